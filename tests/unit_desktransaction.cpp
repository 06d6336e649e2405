// One transaction over the three databases: the files attached to one
// connection, commits across them, failures that leave all three as they were.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sqlite3.h>
#include "CCashbookset.h"
#include "CDeskTransaction.h"
#include "CHouseset.h"
#include "CRegisterset.h"
#include "DeskData.h"
#include "SchemaUpgrade.h"

namespace fs = std::filesystem;

namespace {

// Another connection of this process, straight through SQLite, to see what
// the files hold and to hold locks as another program would.
class RawFile
{
public:
    explicit RawFile(const std::string& path) { sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr); }
    ~RawFile() { sqlite3_close(m_db); }
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    long Count(const std::string& table) const
    {
        sqlite3_stmt* st = nullptr;
        long n = -1;
        if (sqlite3_prepare_v2(m_db, ("SELECT count(*) FROM " + table).c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
        return n;
    }
    bool Exec(const char* sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

private:
    sqlite3* m_db = nullptr;
};

// The SQLite file header tells a WAL file (2) from a rollback-journal one (1).
int FileFormatVersion(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    char header[20] = {};
    in.read(header, sizeof header);
    return header[18];
}

BOOL StartUp(DataConnections& db)
{
    if (!ProbeDataSources(db))
        CreateDataSources(db);
    return OpenDataSources(db);
}

class DeskTransactionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_BACKEND(m_env);
        ASSERT_TRUE(StartUp(m_db));
    }
    void TearDown() override { CloseDataSources(m_db); }

    std::string File(const char* name) const { return m_env.DataSaveFolder() + name; }

    // What a check-out writes: a room, a stay and a cash-book row.
    void WriteInAllThree(const CString& room)
    {
        CHouseset rooms(&m_db.m_dbHotel);
        rooms.Open(CRecordset::dynaset);
        ASSERT_TRUE(rooms.AddRoom(room, "80", "intro"));
        CRegisterset stays(&m_db.m_dbRegister);
        stays.Open(CRecordset::dynaset);
        ASSERT_TRUE(stays.AddRecord(room, wxString::FromUTF8("张三"), TRUE, wxString::FromUTF8("汉"),
                                    COleDateTime(1990, 1, 2, 0, 0, 0), COleDateTime::GetCurrentTime(), "ID1", "",
                                    "", "100", "50"));
        CCashbookset cash(&m_db.m_dbCashbook);
        cash.Open(CRecordset::dynaset);
        ASSERT_TRUE(cash.AppendRecord(room, wxString::FromUTF8("张三"), COleDateTime::GetCurrentTime(), 100, 50, 80,
                                      TRUE));
    }

    // Rows of the three tables as the files (or the server) hold them.
    std::vector<long> Counts() const
    {
        if (TestEnvironment::Backend() == TestBackend::sqlite)
            return {RawFile(File("Hotel.db")).Count("[house]"), RawFile(File("Register.db")).Count("[register]"),
                    RawFile(File("Cashbook.db")).Count("[cashbook]")};
        std::vector<long> counts;
        for (const char* table : {"[house]", "[register]", "[cashbook]"})
            counts.push_back(std::stol(m_env.Query("Hotel.db", std::string("SELECT count(*) FROM ") + table)[0][0]));
        return counts;
    }

    TestEnvironment m_env;
    DataConnections m_db;
};

TEST_F(DeskTransactionTest, TheThreeFilesShareOneConnectionInARollbackJournal)
{
    SKIP_ON_SERVER("a file's journal");
    EXPECT_TRUE(m_db.m_dbHotel.SharesConnectionWith(m_db.m_dbRegister));
    EXPECT_TRUE(m_db.m_dbHotel.SharesConnectionWith(m_db.m_dbCashbook));
    {
        CDeskTransaction transaction(m_db);
        WriteInAllThree("101");
        transaction.Commit();
    }
    for (const char* name : {"Hotel.db", "Register.db", "Cashbook.db"}) {
        EXPECT_EQ(FileFormatVersion(File(name)), 1) << name << " left WAL mode";
        EXPECT_FALSE(fs::exists(File(name) + "-wal")) << name;
        // A truncated journal is what TRUNCATE leaves behind after a commit.
        ASSERT_TRUE(fs::exists(File(name) + "-journal")) << name;
        EXPECT_EQ(fs::file_size(File(name) + "-journal"), 0u) << name;
    }

    // SQL of the program's own names the schema a file is on.
    EXPECT_EQ(m_db.m_dbHotel.GetSchemaName(), "main");
    EXPECT_EQ(m_db.m_dbCashbook.GetSchemaName(), "Cashbook");
    UpgradeDatabase(m_db.m_dbRegister, m_db.m_dbRegister.GetSchemaName(),
                    {L"CREATE INDEX IF NOT EXISTS {schema}.[ix_test] ON [register]([房间号])"});
    EXPECT_EQ(RawFile(File("Register.db")).Count("sqlite_master WHERE name = 'ix_test'"), 1);

    // Closing one releases only its hold; the others go on on the connection.
    m_db.m_dbHotel.Close();
    CRegisterset stays(&m_db.m_dbRegister);
    stays.Open(CRecordset::dynaset);
    EXPECT_EQ(stays.GetRecordCount(), 1);
}

TEST_F(DeskTransactionTest, FilesLeftInWalModeAreConvertedAtOpen)
{
    SKIP_ON_SERVER("a file's journal");
    CloseDataSources(m_db);
    for (const char* name : {"Hotel.db", "Register.db", "Cashbook.db"}) {
        RawFile raw(File(name));
        ASSERT_TRUE(raw.Exec("PRAGMA journal_mode = WAL"));
    }
    auto writer = std::make_unique<RawFile>(File("Register.db"));
    ASSERT_TRUE(writer->Exec("INSERT INTO [register]([姓名]) VALUES ('in the WAL')"));
    ASSERT_EQ(FileFormatVersion(File("Register.db")), 2);
    // Another connection keeps the WAL file open: it cannot be converted now.
    EXPECT_FALSE(OpenDataSources(m_db));
    ASSERT_EQ(m_env.m_messages.size(), 2u);
    EXPECT_EQ(m_env.m_messages[0], wxString::FromUTF8("打开Register数据库失败！"));
    EXPECT_NE(m_env.m_messages[1].Find("locked"), wxNOT_FOUND) << m_env.m_messages[1];
    CloseDataSources(m_db);
    m_env.ClearMessages();

    writer.reset();
    ASSERT_TRUE(OpenDataSources(m_db));
    for (const char* name : {"Hotel.db", "Register.db", "Cashbook.db"})
        EXPECT_EQ(FileFormatVersion(File(name)), 1) << name;
    EXPECT_EQ(Counts()[1], 1) << "the row in the WAL reached the file";
}

TEST_F(DeskTransactionTest, WritesReachTheThreeFilesOnlyWithTheCommit)
{
    const std::vector<long> before = Counts();
    {
        CDeskTransaction transaction(m_db);
        WriteInAllThree("101");
        // Another connection sees nothing before the commit.
        EXPECT_EQ(Counts(), before);
    }
    EXPECT_EQ(Counts(), before) << "no commit: rolled back";

    CHouseset board(&m_db.m_dbHotel);
    board.Open(CRecordset::dynaset);
    EXPECT_EQ(board.FindRoom("101"), -1) << "the recordsets read what the table holds";

    {
        CDeskTransaction transaction(m_db);
        WriteInAllThree("102");
        transaction.Commit();
        EXPECT_THROW(transaction.Commit(), CDBException);
    }
    EXPECT_EQ(Counts(), (std::vector<long>{before[0] + 1, before[1] + 1, before[2] + 1}));
}

TEST_F(DeskTransactionTest, ACommitThatFailsLeavesTheThreeFilesAsTheyWere)
{
    SKIP_ON_SERVER("a file's lock");
    const std::vector<long> before = Counts();
    CHouseset board(&m_db.m_dbHotel);
    board.Open(CRecordset::dynaset);
    {
        CDeskTransaction transaction(m_db);
        WriteInAllThree("101");
        // A reader elsewhere keeps the cash book from being written.
        RawFile reader(File("Cashbook.db"));
        ASSERT_TRUE(reader.Exec("BEGIN; SELECT count(*) FROM [cashbook];"));
        try {
            transaction.Commit();
            FAIL() << "committed past a lock held elsewhere";
        } catch (const CDBException& e) {
            EXPECT_NE(e.m_strError.Find("locked"), wxNOT_FOUND) << e.m_strError;
        }
    }
    EXPECT_EQ(Counts(), before);
    EXPECT_EQ(board.FindRoom("101"), -1);

    // The connection is whole again: the next operation commits.
    CDeskTransaction again(m_db);
    WriteInAllThree("102");
    again.Commit();
    EXPECT_EQ(Counts()[2], before[2] + 1);
}

TEST_F(DeskTransactionTest, AWriteAfterSqliteGaveTheTransactionUpDoesNotCommitAlone)
{
    SKIP_ON_SERVER("SQLite's INSERT OR ROLLBACK");
    const std::vector<long> before = Counts();
    CDeskTransaction transaction(m_db);
    WriteInAllThree("101");
    // A statement whose failure makes SQLite roll the whole transaction back.
    EXPECT_THROW(m_db.m_dbHotel.ExecuteSQL(wxString::FromUTF8("INSERT OR ROLLBACK INTO [house]([房间号]) VALUES (NULL)")),
                 CDBException);
    // A caller that swallowed the error and wrote on.
    CHouseset rooms(&m_db.m_dbHotel);
    rooms.Open(CRecordset::dynaset);
    ASSERT_TRUE(rooms.AddRoom("102", "80", ""));
    EXPECT_EQ(Counts(), before) << "the later write went into no transaction";
    try {
        transaction.Commit();
        FAIL() << "a transaction SQLite gave up committed";
    } catch (const CDBException& e) {
        EXPECT_NE(e.m_strError.Find("NOT NULL"), wxNOT_FOUND) << e.m_strError;
    }
    EXPECT_EQ(Counts(), before);
}

// On a server every failed statement gives the transaction up: a caller that
// swallowed the error and wrote on commits nothing of it.
TEST_F(DeskTransactionTest, AWriteAfterAFailedStatementOnAServerDoesNotCommit)
{
    if (TestEnvironment::Backend() == TestBackend::sqlite)
        GTEST_SKIP() << "a server's: SQLite undoes a failed statement alone (see above)";
    const std::vector<long> before = Counts();
    CDeskTransaction transaction(m_db);
    WriteInAllThree("101");
    EXPECT_THROW(m_db.m_dbHotel.ExecuteSQL(wxString::FromUTF8("INSERT INTO [house]([房间号]) VALUES (NULL)")),
                 CDBException);
    CHouseset rooms(&m_db.m_dbHotel);
    try {
        rooms.Open(CRecordset::dynaset);
        rooms.AddRoom("102", "80", "");
    } catch (const CDBException&) {
        // The driver may refuse it at once: the transaction is given up either way.
    }
    try {
        transaction.Commit();
        FAIL() << "a transaction the server gave up committed";
    } catch (const CDBException& e) {
        EXPECT_NE(e.m_strError.Find("null"), wxNOT_FOUND) << e.m_strError;
    }
    EXPECT_EQ(Counts(), before);
}

TEST_F(DeskTransactionTest, TransactionsOfOneDatabaseInsideBelongToTheDeskTransaction)
{
    const std::vector<long> before = Counts();
    {
        CDeskTransaction transaction(m_db);
        m_db.m_dbRegister.BeginTrans();
        WriteInAllThree("101");
        m_db.m_dbRegister.CommitTrans();
        EXPECT_EQ(Counts(), before) << "an inner commit waits for the outer one";
        transaction.Commit();
    }
    EXPECT_EQ(Counts()[1], before[1] + 1);

    CDeskTransaction transaction(m_db);
    m_db.m_dbCashbook.BeginTrans();
    WriteInAllThree("102");
    m_db.m_dbCashbook.Rollback();
    EXPECT_THROW(transaction.Commit(), CDBException) << "an inner rollback undoes the operation";
    EXPECT_EQ(Counts()[1], before[1] + 1);
}

TEST_F(DeskTransactionTest, RecordsetsOpenAcrossTransactionsKeepReading)
{
    CDeskTransaction fill(m_db);
    CRegisterset stays(&m_db.m_dbRegister);
    stays.Open(CRecordset::dynaset);
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(stays.AddRecord("201", wxString::Format("guest %d", i), TRUE, "", COleDateTime(),
                                    COleDateTime::GetCurrentTime(), "", "", "", "0", "0"));
    fill.Commit();

    CRegisterset walk(&m_db.m_dbRegister);
    walk.Open(CRecordset::dynaset);
    int seen = 0;
    for (; !walk.IsEOF() && seen < 150; walk.MoveNext())
        ++seen;
    {
        CDeskTransaction transaction(m_db);
        stays.MoveFirst();
        stays.Move(200);
        stays.Edit();
        stays.m_strName = "changed, then rolled back";
        stays.Update();
        for (; !walk.IsEOF() && seen < 200; walk.MoveNext())
            ++seen;
        EXPECT_EQ(walk.m_strName, "changed, then rolled back") << "the walk sees the transaction's own write";
    }
    for (walk.MoveNext(), ++seen; !walk.IsEOF(); walk.MoveNext()) {
        ++seen;
        EXPECT_EQ(walk.m_strName.Find("changed"), wxNOT_FOUND);
    }
    EXPECT_EQ(seen, 300);
    walk.MoveFirst();
    walk.Move(200);
    EXPECT_EQ(walk.m_strName, "guest 200");
}

// A data source that is no SQLite file gets a connection of its own; the desk
// transaction then holds per database.
TEST(DeskTransactionFallback, ADataSourceElsewhereKeepsAConnectionOfItsOwn)
{
    TestEnvironment env;
    DataConnections db;
    db.m_dbHotel.OpenEx(wxString::FromUTF8("Driver=SQLite3;Database=" + env.DataSaveFolder() + "Hotel.db"));
    db.m_dbRegister.OpenAttached("Driver=SQLite3;Database=:memory:", 0, db.m_dbHotel, "Register");
    EXPECT_FALSE(db.m_dbHotel.SharesConnectionWith(db.m_dbRegister));
    std::string schema = ReadFileText(std::string(SCHEMA_DIR) + "/Register.sql");
    schema.erase(0, schema.find("CREATE"));
    db.m_dbRegister.ExecuteSQL(wxString::FromUTF8(schema));

    auto addBoth = [&](const char* room) {
        CHouseset rooms(&db.m_dbHotel);
        rooms.Open(CRecordset::dynaset);
        rooms.AddRoom(room, "80", "");
        CRegisterset stays(&db.m_dbRegister);
        stays.Open(CRecordset::dynaset);
        stays.AddRecord(room, "guest", TRUE, "", COleDateTime(), COleDateTime::GetCurrentTime(), "", "", "", "0", "0");
    };
    auto count = [](CRecordset&& set) {
        set.Open(CRecordset::dynaset);
        return set.GetRecordCount();
    };
    const long rooms = count(CHouseset(&db.m_dbHotel));
    {
        CDeskTransaction transaction(db);
        addBoth("301");
    }
    EXPECT_EQ(count(CHouseset(&db.m_dbHotel)), rooms);
    EXPECT_EQ(count(CRegisterset(&db.m_dbRegister)), 0);
    {
        CDeskTransaction transaction(db);
        addBoth("302");
        transaction.Commit();
    }
    EXPECT_EQ(count(CHouseset(&db.m_dbHotel)), rooms + 1);
    EXPECT_EQ(count(CRegisterset(&db.m_dbRegister)), 1);
}

}  // namespace
