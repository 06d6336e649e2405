// The start-up schema upgrade on database files of an earlier version.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sqlite3.h>
#include "CCashbookset.h"
#include "CHouseset.h"
#include "CRegisterset.h"
#include "SchemaUpgrade.h"
#include "SqliteFiles.h"
#include "TestEnvironment.h"

namespace fs = std::filesystem;

namespace {

const char* const kDatabases[] = {"Hotel", "Register", "Cashbook"};

// Every row of a query's result, columns joined by "|", NULL shown as such.
std::vector<std::string> Query(const std::string& file, const std::string& sql)
{
    sqlite3* db = nullptr;
    std::vector<std::string> rows;
    EXPECT_EQ(SQLITE_OK, sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr)) << file;
    auto collect = [](void* out, int n, char** values, char**) {
        std::string row;
        for (int i = 0; i < n; ++i)
            row += std::string(i ? "|" : "") + (values[i] ? values[i] : "NULL");
        static_cast<std::vector<std::string>*>(out)->push_back(row);
        return 0;
    };
    char* error = nullptr;
    EXPECT_EQ(SQLITE_OK, sqlite3_exec(db, sql.c_str(), collect, &rows, &error)) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    return rows;
}

// What a version's schema consists of: tables with their columns, indexes with theirs.
std::set<std::string> SchemaShape(const std::string& file)
{
    std::set<std::string> shape;
    for (const std::string& row :
         Query(file, "SELECT m.name, p.name, p.type, p.[notnull], p.dflt_value, p.pk FROM sqlite_master m, "
                     "pragma_table_info(m.name) p WHERE m.type = 'table';"))
        shape.insert("table " + row);
    for (const std::string& row : Query(file, "SELECT m.name, m.tbl_name, p.seqno, p.name FROM sqlite_master m, "
                                              "pragma_index_info(m.name) p WHERE m.type = 'index';"))
        shape.insert("index " + row);
    return shape;
}

std::vector<std::string> AllRows(const std::string& file)
{
    std::vector<std::string> rows;
    for (const std::string& table : Query(file, "SELECT name FROM sqlite_master WHERE type = 'table';"))
        for (const std::string& row : Query(file, "SELECT * FROM [" + table + "] ORDER BY rowid;"))
            rows.push_back(table + ": " + row);
    return rows;
}

bool HasIndex(const std::string& file, const std::string& name)
{
    return !Query(file, "SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = '" + name + "';").empty();
}

// Replaces the sandbox's empty databases with the ones the first release left.
void PutOldDatabases(const TestEnvironment& env)
{
    for (const char* name : kDatabases) {
        const std::string file = env.DataSaveFolder() + name + ".db";
        fs::remove(file);
        sqlite3* db = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open(file.c_str(), &db));
        const std::string script = ReadFileText(std::string(OLD_DATABASES_DIR) + "/" + name + ".sql");
        ASSERT_FALSE(script.empty()) << name;
        EXPECT_EQ(SQLITE_OK, sqlite3_exec(db, script.c_str(), nullptr, nullptr, nullptr)) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }
}

// What the application does at start-up before the main frame.
BOOL StartUp(DataConnections& db)
{
    if (!ProbeDataSources(db))
        CreateDataSources(db);
    return OpenDataSources(db) && UpgradeSchema(db);
}

std::string Messages(const TestEnvironment& env)
{
    std::string all;
    for (const CString& m : env.m_messages)
        all += m.utf8_string() + "\n";
    return all;
}

CString SqlitePath(const TestEnvironment& env, const char* name)
{
    return wxString::FromUTF8("Driver=SQLite3;Database=" + env.DataSaveFolder() + name + ".db");
}

TEST(SchemaUpgradeTest, FirstReleaseDatabasesOpenWithEveryRowAndTodaysSchema)
{
    TestEnvironment env;
    PutOldDatabases(env);
    std::vector<std::string> rowsBefore;
    for (const char* name : kDatabases)
        for (const std::string& row : AllRows(env.DataSaveFolder() + name + ".db"))
            rowsBefore.push_back(row);
    ASSERT_EQ(7u + 2u, rowsBefore.size());  // 3 rooms, 2 stays, 2 cash-book rows, 2 sequences

    for (int start = 0; start < 2; ++start) {  // the second start finds nothing left to do
        DataConnections db;
        ASSERT_TRUE(StartUp(db)) << Messages(env);
        CHouseset rooms(&db.m_dbHotel);
        rooms.Open(CRecordset::dynaset);
        EXPECT_EQ(3, rooms.GetRecordCount());
        EXPECT_EQ(rooms.m_strIntro, wxString::FromUTF8("标准间，朝南"));
        EXPECT_EQ(rooms.m_dtHourEnd, COleDateTime(2024, 3, 5, 16, 30, 0));
        CRegisterset stays(&db.m_dbRegister);
        stays.Open(CRecordset::dynaset);
        EXPECT_EQ(2, stays.GetRecordCount());
        EXPECT_EQ(stays.m_strName, wxString::FromUTF8("张三"));
        EXPECT_EQ(COleDateTime::null, stays.m_dtCheckOut.GetStatus());
        CCashbookset cash(&db.m_dbCashbook);
        cash.Open(CRecordset::dynaset);
        EXPECT_EQ(2, cash.GetRecordCount());
        EXPECT_EQ(cash.m_strAmount, "160.000000");
        rooms.Close();
        stays.Close();
        cash.Close();
        CloseDataSources(db);
    }
    EXPECT_TRUE(env.m_messages.empty()) << Messages(env);

    std::vector<std::string> rowsAfter;
    for (const char* name : kDatabases) {
        const std::string file = env.DataSaveFolder() + name + ".db";
        for (const std::string& row : AllRows(file))
            rowsAfter.push_back(row);
        // Whatever today's schema has, the upgraded file has too.
        EXPECT_EQ(SchemaShape(std::string(DATASAVE_DIR) + "/" + name + ".db"), SchemaShape(file)) << name;
    }
    EXPECT_EQ(rowsBefore, rowsAfter);
}

class UpgradeDatabaseTest : public testing::Test
{
protected:
    void SetUp() override
    {
        PutOldDatabases(env);
        m_db.OpenEx(SqlitePath(env, "Register"));
    }
    std::string RegisterFile() const { return env.DataSaveFolder() + "Register.db"; }

    TestEnvironment env;
    CDatabase m_db;
};

TEST_F(UpgradeDatabaseTest, AddsWhatIsMissingOnceAndKeepsTheRows)
{
    const std::vector<std::string> rows = AllRows(RegisterFile());
    const std::vector<CString> statements = {
        L"CREATE INDEX IF NOT EXISTS {schema}.[ix_room] ON [register]([房间号])",
        L"CREATE INDEX IF NOT EXISTS {schema}.[ix_out] ON [register]([退房日期])",
    };
    UpgradeDatabase(m_db, "main", statements);
    UpgradeDatabase(m_db, "main", statements);
    m_db.Close();
    EXPECT_TRUE(HasIndex(RegisterFile(), "ix_room"));
    EXPECT_TRUE(HasIndex(RegisterFile(), "ix_out"));
    EXPECT_EQ(rows, AllRows(RegisterFile()));
}

TEST_F(UpgradeDatabaseTest, AFailingStatementLeavesNoneOfTheOthers)
{
    const std::vector<std::string> rows = AllRows(RegisterFile());
    try {
        UpgradeDatabase(m_db, "main",
                        {L"CREATE INDEX IF NOT EXISTS {schema}.[ix_room] ON [register]([房间号])",
                         L"CREATE INDEX IF NOT EXISTS {schema}.[ix_gone] ON [gone]([x])"});
        FAIL() << "no exception";
    } catch (const CDBException& e) {
        EXPECT_NE(std::string::npos, e.m_strError.utf8_string().find("gone")) << e.m_strError.utf8_string();
    }
    // The connection writes a row at a time again: this one is committed on its own.
    m_db.ExecuteSQL(wxString::FromUTF8("UPDATE [register] SET [交钱] = '300' WHERE [ID] = 1"));
    m_db.Close();
    EXPECT_FALSE(HasIndex(RegisterFile(), "ix_room"));
    EXPECT_EQ("300", Query(RegisterFile(), "SELECT [交钱] FROM register WHERE ID = 1;").at(0));
    EXPECT_EQ(rows.size(), AllRows(RegisterFile()).size());
}

TEST_F(UpgradeDatabaseTest, SchemaNamesTheAttachedFile)
{
    m_db.Close();
    m_db.OpenEx(SqlitePath(env, "Hotel"));
    m_db.ExecuteSQL(wxString::FromUTF8("ATTACH DATABASE '" + RegisterFile() + "' AS [Register]"));
    UpgradeDatabase(m_db, "[Register]", {L"CREATE INDEX IF NOT EXISTS {schema}.[ix_room] ON [register]([房间号])"});
    m_db.Close();
    EXPECT_TRUE(HasIndex(RegisterFile(), "ix_room"));
    EXPECT_FALSE(HasIndex(env.DataSaveFolder() + "Hotel.db", "ix_room"));
}

TEST(SchemaUpgradeTest, AFailureEndsStartUpWithTheDataSourceAndTheDriversText)
{
    TestEnvironment env;
    PutOldDatabases(env);
    DataConnections db;
    ASSERT_TRUE(StartUp(db)) << Messages(env);
    const std::vector<SchemaUpgrade> upgrades = {
        {&DataConnections::m_dbHotel, L"CREATE INDEX IF NOT EXISTS {schema}.[ix_price] ON [house]([房价])"},
        {&DataConnections::m_dbRegister, L"CREATE INDEX IF NOT EXISTS {schema}.[ix_room] ON [register]([房间号])"},
        {&DataConnections::m_dbRegister, L"CREATE INDEX IF NOT EXISTS {schema}.[ix_gone] ON [gone]([x])"},
    };
    EXPECT_FALSE(UpgradeSchema(db, upgrades));
    CloseDataSources(db);
    ASSERT_EQ(2u, env.m_messages.size()) << Messages(env);
    EXPECT_EQ(env.m_messages[0], wxString::FromUTF8("打开Register数据库失败！"));
    EXPECT_NE(std::string::npos, env.m_messages[1].utf8_string().find("gone")) << Messages(env);
    // Each database is upgraded whole or not at all.
    EXPECT_TRUE(HasIndex(env.DataSaveFolder() + "Hotel.db", "ix_price"));
    EXPECT_FALSE(HasIndex(env.DataSaveFolder() + "Register.db", "ix_room"));
}

// A start that finds nothing to change takes no write lock, so another
// program writing Cashbook.db does not stop it; a change that must wait for
// that program names the data source whose file it is.
TEST(SchemaUpgradeTest, ALockElsewhereStopsOnlyTheChangeOfThatFileAndNamesItsDataSource)
{
    TestEnvironment env;
    {
        DataConnections db;
        ASSERT_TRUE(StartUp(db)) << Messages(env);
        CloseDataSources(db);
    }
    FileWriteLock otherProgram(env.DataSaveFolder() + "Cashbook.db");
    DataConnections db;
    ASSERT_TRUE(StartUp(db)) << Messages(env);
    const std::vector<SchemaUpgrade> upgrades = {
        {&DataConnections::m_dbRegister, L"CREATE INDEX IF NOT EXISTS {schema}.[ix_room] ON [register]([房间号])"},
        {&DataConnections::m_dbCashbook, L"CREATE INDEX IF NOT EXISTS {schema}.[ix_name] ON [cashbook]([姓名])"},
    };
    EXPECT_FALSE(UpgradeSchema(db, upgrades));
    CloseDataSources(db);
    ASSERT_EQ(2u, env.m_messages.size()) << Messages(env);
    EXPECT_EQ(env.m_messages[0], wxString::FromUTF8("打开Cashbook数据库失败！"));
    EXPECT_NE(std::string::npos, env.m_messages[1].utf8_string().find("locked")) << Messages(env);
    EXPECT_TRUE(HasIndex(env.DataSaveFolder() + "Register.db", "ix_room"));
}

}  // namespace
