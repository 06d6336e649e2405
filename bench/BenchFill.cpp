#include "BenchFill.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>
#include <sqlite3.h>
#include "TestEnvironment.h"

namespace fs = std::filesystem;

namespace {

// Raised whenever what a seed holds changes, so that older seeds are not reused.
const char* const kFillVersion = "hotel seed 2";
const char* const kFiles[] = {"Hotel.db", "Register.db", "Cashbook.db"};

// Eleven years, 2016 to 2026, for the stays and the cash book.
constexpr int kFirstYear = 2016;
constexpr int kDays = 4018;

bool Exec(sqlite3* db, const std::string& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", error ? error : "?");
        sqlite3_free(error);
        return false;
    }
    return true;
}

std::vector<std::string> Column(sqlite3* db, const std::string& sql)
{
    std::vector<std::string> values;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW)
            values.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return values;
}

// The schema of the empty databases: a seed of another schema is another seed.
std::string SchemaText()
{
    std::string text;
    for (const char* file : kFiles) {
        sqlite3* db = nullptr;
        sqlite3_open_v2((std::string(DATASAVE_DIR) + "/" + file).c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        for (const std::string& sql : Column(db, "SELECT ifnull(sql, name) FROM sqlite_master ORDER BY name"))
            text += sql + "\n";
        sqlite3_close(db);
    }
    return text;
}

std::string SeedName(const BenchSizes& sizes)
{
    uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (char c : std::string(kFillVersion) + SchemaText())
        hash = (hash ^ uint8_t(c)) * 1099511628211ull;
    char name[96];
    std::snprintf(name, sizeof name, "r%d-s%d-c%d-%016llx", sizes.rooms, sizes.stays, sizes.cashRows,
                  static_cast<unsigned long long>(hash));
    return name;
}

// "YYYY-MM-DD hh:00:00" of day `day` of the eleven years.
std::string DayText(int day, int hour)
{
    std::tm first{};
    first.tm_year = kFirstYear - 1900;
    first.tm_mday = 1;
    const std::time_t t = timegm(&first) + std::time_t(day) * 86400 + hour * 3600;
    std::tm at{};
    gmtime_r(&t, &at);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &at);
    return text;
}

// Day texts asked for in order change seldom: each is made once.
class DayTexts
{
public:
    explicit DayTexts(int hour) : m_hour(hour) {}
    const std::string& Of(int day)
    {
        if (day != m_day) {
            m_day = day;
            m_text = DayText(day, m_hour);
        }
        return m_text;
    }

private:
    int m_hour;
    int m_day = -1;
    std::string m_text;
};

void BindText(sqlite3_stmt* st, int column, const std::string& text)
{
    sqlite3_bind_text(st, column, text.c_str(), int(text.size()), SQLITE_TRANSIENT);
}

// A database opened to be filled at once: no journal, no syncing, a large page cache.
class FillConnection
{
public:
    explicit FillConnection(const std::string& path)
    {
        m_ok = sqlite3_open(path.c_str(), &m_db) == SQLITE_OK &&
               Exec(m_db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA cache_size = -262144;"
                          "PRAGMA locking_mode = EXCLUSIVE; PRAGMA temp_store = MEMORY");
    }
    ~FillConnection() { sqlite3_close(m_db); }

    // Runs `insert` once per row in one transaction; `bind` fills the row's
    // parameters. The table's indexes are dropped first and made again at the
    // end: one sort each instead of ten million scattered inserts.
    template <class Bind>
    bool InsertRows(const std::string& table, const char* insert, int count, Bind bind)
    {
        if (!m_ok || !Exec(m_db, "BEGIN"))
            return false;
        const std::vector<std::string> indexes =
            Column(m_db, "SELECT sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL AND tbl_name = '" +
                             table + "'");
        for (const std::string& name : Column(m_db, "SELECT name FROM sqlite_master WHERE type = 'index' AND "
                                                    "sql IS NOT NULL AND tbl_name = '" + table + "'"))
            if (!Exec(m_db, "DROP INDEX [" + name + "]"))
                return false;
        sqlite3_stmt* st = nullptr;
        bool ok = sqlite3_prepare_v2(m_db, insert, -1, &st, nullptr) == SQLITE_OK;
        for (int i = 0; ok && i < count; ++i) {
            bind(st, i);
            ok = sqlite3_step(st) == SQLITE_DONE;
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        for (const std::string& sql : indexes)
            ok = ok && Exec(m_db, sql);
        return ok && Exec(m_db, "COMMIT");
    }

private:
    sqlite3* m_db = nullptr;
    bool m_ok = false;
};

bool FillRooms(const std::string& folder, const BenchSizes& sizes)
{
    return FillConnection(folder + "Hotel.db")
        .InsertRows("house",
                    "INSERT INTO [house] ([房间号],[房价],[房间介绍],[钟点房],[钟点开始],[钟点结束],[住房],[房间人数]) "
                    "VALUES (?,'120','标准间',?,'2024-03-05 00:00:00','2024-03-05 00:00:01',?,?)",
                    sizes.rooms, [](sqlite3_stmt* st, int i) {
                        BindText(st, 1, std::to_string(1000 + i));
                        const int let = i % 10 == 0 ? 1 : 0;
                        sqlite3_bind_int(st, 2, let);
                        sqlite3_bind_int(st, 3, let);
                        sqlite3_bind_int(st, 4, let);
                    });
}

bool FillStays(const std::string& folder, const BenchSizes& sizes)
{
    const int running = RunningStays(sizes);
    const int closed = sizes.stays - running;
    DayTexts checkIns(14), checkOuts(12);
    return FillConnection(folder + "Register.db")
        .InsertRows("register",
                    "INSERT INTO [register] ([房间号],[姓名],[性别],[民族],[出生年月],[住房日期],[退房日期],"
                    "[证件号],[籍贯],[本人职务备注],[交钱],[押金]) VALUES "
                    "(?,?,1,'汉族','1980-01-02 00:00:00',?,?,?,'北京','教师','150','100')",
                    sizes.stays, [&](sqlite3_stmt* st, int i) {
                        BindText(st, 2, "客人" + std::to_string(i));
                        BindText(st, 5, StayIdNumber(i));
                        if (i < closed) {
                            const int day = int(int64_t(i) * (kDays - 31) / std::max(closed, 1));
                            BindText(st, 1, std::to_string(1000 + i % sizes.rooms));
                            BindText(st, 3, checkIns.Of(day));
                            BindText(st, 4, checkOuts.Of(day + 1));
                        } else {
                            BindText(st, 1, RunningStayRoom(i - closed));
                            BindText(st, 3, DayText(kDays - 30, 14));
                            sqlite3_bind_null(st, 4);
                        }
                    });
}

bool FillCashBook(const std::string& folder, const BenchSizes& sizes)
{
    DayTexts times(12);
    return FillConnection(folder + "Cashbook.db")
        .InsertRows("cashbook",
                    "INSERT INTO [cashbook] ([房间号],[姓名],[时间],[交钱],[押金],[交易金额],[状态]) "
                    "VALUES (?,?,?,'150.000000','100.000000','120.000000',?)",
                    sizes.cashRows, [&](sqlite3_stmt* st, int i) {
                        BindText(st, 1, std::to_string(1000 + i % sizes.rooms));
                        BindText(st, 2, "客人" + std::to_string(i));
                        BindText(st, 3, times.Of(int(int64_t(i) * kDays / sizes.cashRows)));
                        sqlite3_bind_int(st, 4, i % 20 != 0);
                    });
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double FolderMegabytes(const fs::path& folder)
{
    double bytes = 0;
    for (const char* file : kFiles)
        bytes += double(fs::file_size(folder / file));
    return bytes / (1024.0 * 1024.0);
}

// Builds the seed in a folder of its own beside its final place, and moves it
// there whole: an interrupted build leaves no seed that looks complete.
bool BuildSeed(const fs::path& seed, const BenchSizes& sizes)
{
    const fs::path building = seed.string() + ".building";
    std::error_code ignored;
    fs::remove_all(building, ignored);
    fs::create_directories(building);
    for (const char* file : kFiles)
        fs::copy_file(fs::path(DATASAVE_DIR) / file, building / file);
    const auto start = std::chrono::steady_clock::now();
    const std::string folder = building.string() + "/";
    if (!FillRooms(folder, sizes) || !FillStays(folder, sizes) || !FillCashBook(folder, sizes))
        return false;
    std::ofstream(building / "seed.txt") << SecondsSince(start) << " " << FolderMegabytes(building) << "\n";
    fs::rename(building, seed);
    return true;
}

}  // namespace

int RunningStays(const BenchSizes& sizes)
{
    return std::min((sizes.rooms + 9) / 10, sizes.stays);
}

std::string RunningStayRoom(int j)
{
    return std::to_string(1000 + 10 * j);
}

std::string StayIdNumber(int i)
{
    return "ID" + std::to_string(i);
}

std::string SeedCacheFolder()
{
    if (const char* folder = std::getenv("QUILLAN_BENCH_CACHE"))
        return folder;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "/tmp") + "/.cache/quillan2021-bench";
}

bool SeedDatabases(const std::string& dataSaveFolder, const BenchSizes& sizes, const std::string& cacheFolder)
{
    if (sizes.rooms < 1 || sizes.stays < 0 || sizes.cashRows < 0)
        return false;
    const fs::path seed = fs::path(cacheFolder) / SeedName(sizes);
    try {
        const bool built = !fs::exists(seed / "seed.txt");
        if (built && !BuildSeed(seed, sizes))
            return false;
        double buildSeconds = 0, megabytes = 0;
        std::ifstream(seed / "seed.txt") >> buildSeconds >> megabytes;
        const auto start = std::chrono::steady_clock::now();
        for (const char* file : kFiles)
            fs::copy_file(seed / file, fs::path(dataSaveFolder) / file, fs::copy_options::overwrite_existing);
        std::printf("seed: %d rooms, %d stays (%d running), %d cash-book rows: %.0f MB on disk, built %s in %.1f s "
                    "(raw sqlite3, one transaction, indexes made after), copied in %.1f s\n       from %s\n",
                    sizes.rooms, sizes.stays, RunningStays(sizes), sizes.cashRows, megabytes,
                    built ? "now" : "once", buildSeconds, SecondsSince(start), seed.c_str());
        std::fflush(stdout);
        return true;
    } catch (const fs::filesystem_error& e) {
        std::fprintf(stderr, "seed: %s\n", e.what());
        return false;
    }
}

void FillServerDatabase(const TestEnvironment& env, const BenchSizes& sizes)
{
    // The same hotel as the seed of the SQLite files, row for row.
    const std::string r = std::to_string(sizes.rooms), s = std::to_string(sizes.stays),
                      closed = std::to_string(sizes.stays - RunningStays(sizes));
    const std::string firstDay = "timestamp '" + std::to_string(kFirstYear) + "-01-01'";
    auto day = [&firstDay](const std::string& number, int hour) {
        return firstDay + " + (" + number + ") * interval '1 day' + interval '" + std::to_string(hour) + " hours'";
    };
    env.Execute("Hotel.db", "INSERT INTO [house] ([房间号],[房价],[房间介绍],[钟点房],[钟点开始],[钟点结束],[住房],[房间人数]) "
                            "SELECT 1000 + i, '120', '标准间', (i % 10 = 0)::int, '2024-03-05 00:00:00', "
                            "'2024-03-05 00:00:01', (i % 10 = 0)::int, (i % 10 = 0)::int "
                            "FROM generate_series(0, " + r + " - 1) i");
    const std::string closedDay = "i::bigint * " + std::to_string(kDays - 31) + " / greatest(" + closed + ", 1)";
    env.Execute("Register.db", "INSERT INTO [register] ([房间号],[姓名],[性别],[民族],[出生年月],[住房日期],[退房日期],"
                               "[证件号],[籍贯],[本人职务备注],[交钱],[押金]) "
                               "SELECT CASE WHEN i < " + closed + " THEN 1000 + i % " + r + " ELSE 1000 + 10 * (i - " +
                               closed + ") END, '客人' || i, 1, '汉族', '1980-01-02 00:00:00', "
                               "CASE WHEN i < " + closed + " THEN " + day(closedDay, 14) + " ELSE " +
                               day(std::to_string(kDays - 30), 14) + " END, "
                               "CASE WHEN i < " + closed + " THEN " + day(closedDay + " + 1", 12) + " END, "
                               "'ID' || i, '北京', '教师', '150', '100' FROM generate_series(0, " + s + " - 1) i");
    const std::string c = std::to_string(sizes.cashRows);
    env.Execute("Cashbook.db", "INSERT INTO [cashbook] ([房间号],[姓名],[时间],[交钱],[押金],[交易金额],[状态]) "
                               "SELECT 1000 + i % " + r + ", '客人' || i, " +
                               day("i::bigint * " + std::to_string(kDays) + " / " + c, 12) +
                               ", '150.000000', '100.000000', '120.000000', (i % 20 <> 0)::int "
                               "FROM generate_series(0, " + c + " - 1) i");
    env.Execute("Hotel.db", "ANALYZE");
}
