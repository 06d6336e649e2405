#include "SqliteFiles.h"

#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <stdexcept>

namespace {

struct Connection
{
    sqlite3* db = nullptr;
    explicit Connection(const std::string& path)
    {
        // Read-write, so that a journal a killed writer left is rolled back
        // as the next opener of the file would.
        if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            const std::string error = db ? sqlite3_errmsg(db) : "out of memory";
            sqlite3_close(db);
            throw std::runtime_error(path + ": " + error);
        }
        sqlite3_busy_timeout(db, 2000);
    }
    ~Connection() { sqlite3_close(db); }
};

std::vector<std::vector<std::string>> Query(sqlite3* db, const std::string& sql)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(sql + ": " + sqlite3_errmsg(db));
    std::vector<std::vector<std::string>> rows;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            const unsigned char* text = sqlite3_column_text(stmt, i);
            row.push_back(text ? reinterpret_cast<const char*>(text) : "<null>");
        }
        rows.push_back(std::move(row));
    }
    const std::string error = sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        throw std::runtime_error(sql + ": " + error);
    return rows;
}

}  // namespace

std::vector<std::vector<std::string>> QueryDatabase(const std::string& path, const std::string& sql)
{
    Connection c(path);
    return Query(c.db, sql);
}

void ExecuteOnDatabase(const std::string& path, const std::string& sql)
{
    Connection c(path);
    char* error = nullptr;
    if (sqlite3_exec(c.db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string text = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error(sql + ": " + text);
    }
}

std::string DumpDatabase(const std::string& path)
{
    try {
        Connection c(path);
        std::string dump;
        for (const auto& table : Query(c.db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")) {
            dump += "table " + table[0] + "\n";
            for (const auto& row : Query(c.db, "SELECT * FROM \"" + table[0] + "\" ORDER BY rowid")) {
                for (const std::string& value : row)
                    dump += value + "\x1f";
                dump += "\n";
            }
        }
        return dump;
    } catch (const std::runtime_error&) {
        return std::string();
    }
}

std::string IntegrityOf(const std::string& path)
{
    try {
        std::string found;
        for (const auto& row : QueryDatabase(path, "PRAGMA integrity_check"))
            found += (found.empty() ? "" : "; ") + row[0];
        return found;
    } catch (const std::runtime_error& e) {
        return e.what();
    }
}

long long FillToTheEnd(const std::string& path, const std::string& table)
{
    {
        Connection c(path);
        Query(c.db, "PRAGMA synchronous = OFF");
        Query(c.db, "CREATE TABLE IF NOT EXISTS pad(b)");
        Query(c.db, "INSERT INTO pad VALUES (zeroblob(200000))");
        Query(c.db, "PRAGMA max_page_count = " + Query(c.db, "PRAGMA page_count")[0][0]);
        const std::string insert = "INSERT INTO \"" + table + "\" DEFAULT VALUES";
        while (sqlite3_exec(c.db, insert.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) {
        }
        if (sqlite3_errcode(c.db) != SQLITE_FULL)
            throw std::runtime_error(insert + ": " + sqlite3_errmsg(c.db));
    }
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_size;
}

FileSizeLimit::FileSizeLimit(long long bytes)
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_previous = limit.rlim_cur;
    limit.rlim_cur = rlim_t(bytes);
    m_previousHandler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_previous);
    setrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, m_previousHandler);
}

FileWriteLock::FileWriteLock(const std::string& path)
{
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        const std::string error = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        throw std::runtime_error(path + ": " + error);
    }
}

FileWriteLock::~FileWriteLock()
{
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(m_db);
}
