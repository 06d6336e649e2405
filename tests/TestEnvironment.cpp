#include "TestEnvironment.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>
#include "OdbcApi.h"
#include "ProgramFolder.h"
#include "SqlDialect.h"
#include "SqliteFiles.h"

namespace fs = std::filesystem;

namespace {

std::string GetEnvOrEmpty(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

void RestoreEnv(const char* name, const std::string& value)
{
    if (value.empty())
        unsetenv(name);
    else
        setenv(name, value.c_str(), 1);
}

// A connection to the test server of its own, straight through the driver.
class RawServer
{
public:
    explicit RawServer(const std::string& database)
    {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env);
        SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
        SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc);
        const std::string connect = ConnectString(database);
        if (!SQL_SUCCEEDED(SQLDriverConnect(m_dbc, nullptr, (SQLCHAR*)connect.c_str(), SQL_NTS, nullptr, 0, nullptr,
                                            SQL_DRIVER_NOPROMPT)))
            Fail(SQL_HANDLE_DBC, m_dbc, connect);
    }
    ~RawServer()
    {
        SQLDisconnect(m_dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, m_env);
    }
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    static std::string ConnectString(const std::string& database)
    {
        return "Driver={PostgreSQL Unicode};" + GetEnvOrEmpty("QUILLAN_TEST_POSTGRESQL") + ";Database=" + database;
    }

    std::vector<std::vector<std::string>> Query(const std::string& sql)
    {
        SQLHSTMT h = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &h);
        const SQLRETURN rc = SQLExecDirect(h, (SQLCHAR*)sql.c_str(), SQL_NTS);
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
            const std::string error = Diagnostics(SQL_HANDLE_STMT, h);
            SQLFreeHandle(SQL_HANDLE_STMT, h);
            throw std::runtime_error(sql + ": " + error);
        }
        std::vector<std::vector<std::string>> rows;
        SQLSMALLINT columns = 0;
        SQLNumResultCols(h, &columns);
        while (columns > 0 && SQL_SUCCEEDED(SQLFetch(h))) {
            std::vector<std::string> row;
            for (SQLUSMALLINT c = 1; c <= columns; ++c)
                row.push_back(Value(h, c));
            rows.push_back(std::move(row));
        }
        SQLFreeHandle(SQL_HANDLE_STMT, h);
        return rows;
    }

private:
    // Every value as text; a time as the program stores it in a SQLite file.
    static std::string Value(SQLHSTMT h, SQLUSMALLINT column)
    {
        SQLSMALLINT type = 0;
        SQLDescribeCol(h, column, nullptr, 0, nullptr, &type, nullptr, nullptr, nullptr);
        if (type == SQL_TYPE_TIMESTAMP) {
            SQL_TIMESTAMP_STRUCT t{};
            SQLLEN length = 0;
            SQLGetData(h, column, SQL_C_TYPE_TIMESTAMP, &t, sizeof t, &length);
            if (length == SQL_NULL_DATA)
                return "<null>";
            char text[64];
            std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03u", t.year, t.month, t.day, t.hour,
                          t.minute, t.second, unsigned(t.fraction / 1000000));
            return text;
        }
        std::string value;
        char buffer[4096];
        SQLLEN length = 0;
        SQLRETURN rc;
        while (SQL_SUCCEEDED(rc = SQLGetData(h, column, SQL_C_CHAR, buffer, sizeof buffer, &length))) {
            if (length == SQL_NULL_DATA)
                return "<null>";
            value += buffer;
            if (rc == SQL_SUCCESS)
                break;
        }
        return value;
    }
    static std::string Diagnostics(SQLSMALLINT type, SQLHANDLE handle)
    {
        SQLCHAR state[6] = {}, message[1024] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLGetDiagRec(type, handle, 1, state, &native, message, sizeof message, &length);
        return std::string(reinterpret_cast<char*>(state)) + " " + reinterpret_cast<char*>(message);
    }
    [[noreturn]] static void Fail(SQLSMALLINT type, SQLHANDLE handle, const std::string& what)
    {
        throw std::runtime_error(what + ": " + Diagnostics(type, handle));
    }

    SQLHENV m_env = SQL_NULL_HENV;
    SQLHDBC m_dbc = SQL_NULL_HDBC;
};

// The database of this process on the test server, made at its first use and
// dropped when the process ends.
class ServerDatabase
{
public:
    static const std::string& Name()
    {
        static ServerDatabase database;
        return database.m_name;
    }

private:
    ServerDatabase() : m_name("quillan_test_" + std::to_string(getpid()))
    {
        RawServer server("postgres");
        server.Query("DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)");
        server.Query("CREATE DATABASE " + m_name + " ENCODING 'UTF8' TEMPLATE template0");
    }
    ~ServerDatabase()
    {
        try {
            RawServer("postgres").Query("DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)");
        } catch (const std::runtime_error&) {
            // The server is gone already; it was the test's own.
        }
    }

    std::string m_name;
};

const char* const kTables[] = {"house", "register", "cashbook"};

}  // namespace

TestBackend TestEnvironment::Backend()
{
    return GetEnvOrEmpty("QUILLAN_TEST_BACKEND") == "postgresql" ? TestBackend::postgresql : TestBackend::sqlite;
}

TestEnvironment::TestEnvironment()
{
    char pattern[] = "/tmp/quillan-test-XXXXXX";
    m_folder = mkdtemp(pattern);
    m_oldHome = GetEnvOrEmpty("HOME");
    m_oldOdbcIni = GetEnvOrEmpty("ODBCINI");
    m_oldCwd = fs::current_path().string();

    setenv("HOME", m_folder.c_str(), 1);
    setenv("ODBCINI", (m_folder + "/.odbc.ini").c_str(), 1);
    fs::current_path(m_folder);

    fs::create_directories(DataSaveFolder());
    for (const char* db : {"Hotel.db", "Register.db", "Cashbook.db"})
        fs::copy_file(fs::path(DATASAVE_DIR) / db, fs::path(DataSaveFolder()) / db);
    OverrideProgramFolder(wxString::FromUTF8(ProgramFolder()));

    m_previousHandler = SetMessageBoxHandler([this](const CString& text, const CString&, UINT) {
        m_messages.push_back(text);
        return m_nAnswer;
    });

    if (Backend() == TestBackend::postgresql) {
        if (GetEnvOrEmpty("QUILLAN_TEST_POSTGRESQL").empty())
            m_unavailable = "PostgreSQL: no test server given (QUILLAN_TEST_POSTGRESQL); "
                            "bash scripts/test.sh starts one";
        else
            RegisterServerDataSources();
    }
}

// A fresh hotel on the server, and the three data sources on it in the
// user's file, as a site would write them.
void TestEnvironment::RegisterServerDataSources() const
{
    RawServer(ServerDatabase::Name())
        .Query("DROP SCHEMA IF EXISTS public CASCADE; CREATE SCHEMA public; " +
               ReadFileText(std::string(DATASAVE_DIR) + "/postgresql.sql"));
    std::ofstream ini(m_folder + "/.odbc.ini");
    for (const char* source : {"Hotel", "Register", "Cashbook"}) {
        ini << "[" << source << "]\nDriver=PostgreSQL Unicode\nDatabase=" << ServerDatabase::Name() << "\n";
        std::istringstream keys(GetEnvOrEmpty("QUILLAN_TEST_POSTGRESQL"));
        for (std::string key; std::getline(keys, key, ';');)
            ini << key << "\n";
        ini << "\n";
    }
}

TestEnvironment::~TestEnvironment()
{
    SetMessageBoxHandler(m_previousHandler);
    OverrideProgramFolder(CString());
    fs::current_path(m_oldCwd);
    RestoreEnv("HOME", m_oldHome);
    RestoreEnv("ODBCINI", m_oldOdbcIni);
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
}

CString TestEnvironment::ConnectString(const std::string& file) const
{
    if (Backend() == TestBackend::sqlite)
        return wxString::FromUTF8("Driver=SQLite3;Database=" + DataSaveFolder() + file);
    return wxString::FromUTF8(RawServer::ConnectString(ServerDatabase::Name()));
}

std::vector<std::vector<std::string>> TestEnvironment::Query(const std::string& file, const std::string& sql) const
{
    if (Backend() == TestBackend::sqlite)
        return QueryDatabase(DataSaveFolder() + file, sql);
    return RawServer(ServerDatabase::Name()).Query(Spelled(SqlDialect::postgresql, sql));
}

void TestEnvironment::Execute(const std::string& file, const std::string& sql) const
{
    if (Backend() == TestBackend::sqlite)
        ExecuteOnDatabase(DataSaveFolder() + file, sql);
    else
        Query(file, sql);
}

std::string TestEnvironment::Dump() const
{
    if (Backend() == TestBackend::sqlite)
        return DumpDatabase(DataSaveFolder() + "Hotel.db") + DumpDatabase(DataSaveFolder() + "Register.db") +
               DumpDatabase(DataSaveFolder() + "Cashbook.db");
    std::string dump;
    RawServer server(ServerDatabase::Name());
    for (const char* table : kTables) {
        dump += std::string("table ") + table + "\n";
        for (const auto& row : server.Query(std::string("SELECT * FROM \"") + table + "\" ORDER BY \"ID\"")) {
            for (const std::string& value : row)
                dump += value + "\x1f";
            dump += "\n";
        }
    }
    return dump;
}

bool TestEnvironment::ControlServer(const std::string& action)
{
    const std::string command = GetEnvOrEmpty("QUILLAN_TEST_POSTGRESQL_CTL");
    return !command.empty() && std::system((command + " " + action + " >/dev/null 2>&1").c_str()) == 0;
}

std::string ReadFileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
