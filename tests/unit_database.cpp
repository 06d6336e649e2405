// The recordset layer against the real driver manager and SQLite3 driver, or
// the PostgreSQL driver on a server.
#include <gtest/gtest.h>
#include "CHouseset.h"
#include "CRegisterset.h"
#include "ConnectString.h"
#include "DeskData.h"
#include "SqlDialect.h"

namespace {

class DynasetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_BACKEND(m_env);
        m_db.OpenEx(m_env.ConnectString("Hotel.db"), CDatabase::useCursorLib);
    }

    void AddRooms(int count)
    {
        CHouseset rooms(&m_db);
        rooms.Open(CRecordset::dynaset);
        m_db.BeginTrans();  // one commit, not one durable write per room
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE(rooms.AddRoom(wxString::Format("%04d", i), "80", "intro"));
        m_db.CommitTrans();
    }

    TestEnvironment m_env;
    CDatabase m_db;
};

TEST_F(DynasetTest, RowsReachedAfterAnotherRecordsetWroteShowTheNewValues)
{
    AddRooms(300);  // more than one block of cached rows
    CHouseset board(&m_db);
    board.m_strSort = wxString::FromUTF8("房间号 ASC");
    board.Open(CRecordset::dynaset);
    ASSERT_EQ(board.m_strRoomNo, "0000");

    CHouseset command(&m_db);
    command.Open(CRecordset::dynaset);
    ASSERT_EQ(command.FindRoom("0250"), 250);
    command.Edit();
    command.m_nPersons = 3;
    command.m_bOccupied = TRUE;
    ASSERT_TRUE(command.Update());
    ASSERT_EQ(command.FindRoom("0001"), 1);
    command.Delete();

    ASSERT_EQ(board.FindRoom("0250"), 249);  // the deleted row no longer counts
    EXPECT_EQ(board.m_nPersons, 3);
    EXPECT_TRUE(board.m_bOccupied);
    EXPECT_EQ(board.GetRecordCount(), 299);
}

TEST_F(DynasetTest, RowsWrittenMoreTimesThanTheWriteLogKeepsAreStillReadAgain)
{
    AddRooms(300);
    CHouseset board(&m_db);
    board.Open(CRecordset::dynaset);
    CHouseset command(&m_db);
    command.Open(CRecordset::dynaset);
    for (command.MoveFirst(); !command.IsEOF(); command.MoveNext()) {
        command.Edit();
        command.m_nPersons = 2;
        command.Update();
    }
    int withGuests = 0;
    for (board.MoveFirst(); !board.IsEOF(); board.MoveNext())
        withGuests += board.m_nPersons == 2;
    EXPECT_EQ(withGuests, 300);

    // SQL of the program's own may touch any row.
    m_db.ExecuteSQL(wxString::FromUTF8("UPDATE [house] SET [房间人数] = 5 WHERE [房间号] = '0007'"));
    ASSERT_EQ(board.FindRoom("0007"), 7);
    EXPECT_EQ(board.m_nPersons, 5);
    EXPECT_EQ(board.FindRoom("0008"), 8);
    EXPECT_EQ(board.m_nPersons, 2);
}

TEST_F(DynasetTest, AddNewLeavesUnsetColumnsAtTheirDefaultsAndAppendsTheRow)
{
    CHouseset rooms(&m_db);
    rooms.Open(CRecordset::dynaset);
    EXPECT_TRUE(rooms.IsEOF());
    EXPECT_TRUE(rooms.IsBOF());
    ASSERT_TRUE(rooms.AddRoom("101", "80", "south"));
    rooms.MoveFirst();
    ASSERT_FALSE(rooms.IsEOF());
    EXPECT_EQ(rooms.m_strRoomNo, "101");
    EXPECT_EQ(rooms.m_nPersons, 0);
    EXPECT_FALSE(rooms.m_bCleaning);
    EXPECT_EQ(rooms.m_dtReserveDate.GetStatus(), COleDateTime::null);
    rooms.MoveNext();
    EXPECT_TRUE(rooms.IsEOF());
}

TEST_F(DynasetTest, ValuesThatLookLikeSqlAreStoredAsText)
{
    const wxString hostile = wxString::FromUTF8("1'); DROP TABLE [house]; --[\"房\"]");
    CHouseset rooms(&m_db);
    rooms.Open(CRecordset::dynaset);
    ASSERT_TRUE(rooms.AddRoom(hostile, "8'0", hostile));
    rooms.Requery();
    ASSERT_EQ(rooms.FindRoom(hostile), 0);
    EXPECT_EQ(rooms.m_strIntro, hostile);
    EXPECT_EQ(rooms.m_strPrice, "8'0");
}

TEST_F(DynasetTest, DatesKeepMillisecondsAndNullness)
{
    CHouseset rooms(&m_db);
    rooms.Open(CRecordset::dynaset);
    rooms.AddNew();
    rooms.m_strRoomNo = "201";
    rooms.m_dtHourStart.SetDateTimeMs(2024, 3, 5, 14, 0, 0, 400);
    rooms.m_dtHourEnd.SetStatus(COleDateTime::null);
    ASSERT_TRUE(rooms.Update());
    rooms.Requery();
    int y, mo, d, h, mi, s, ms;
    ASSERT_TRUE(rooms.m_dtHourStart.GetParts(y, mo, d, h, mi, s, ms));
    EXPECT_EQ(h, 14);
    EXPECT_EQ(ms, 400);
    EXPECT_EQ(rooms.m_dtHourEnd.GetStatus(), COleDateTime::null);
}

TEST_F(DynasetTest, ErrorsCarryTheDriversText)
{
    CDatabase missing;
    try {
        missing.OpenEx(wxString::FromUTF8("Driver=SQLite3;NoCreat=1;Database=" + m_env.Folder() + "/none.db"));
        FAIL() << "opened a database that does not exist";
    } catch (const CDBException& e) {
        EXPECT_FALSE(e.m_strError.empty());
    }
    EXPECT_FALSE(missing.IsOpen());
}

}  // namespace

namespace {

TEST_F(DynasetTest, AppendOnlyRecordsetReadsNoRowsButAddsThem)
{
    AddRooms(3);
    CHouseset append(&m_db);
    append.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly);
    EXPECT_TRUE(append.IsEOF());
    EXPECT_EQ(append.GetRecordCount(), 0);
    ASSERT_TRUE(append.AddRoom("201", "90", "north"));

    CHouseset all(&m_db);
    all.Open(CRecordset::dynaset);
    EXPECT_EQ(all.GetRecordCount(), 4);
    EXPECT_EQ(all.FindRoom("201"), 3);
    EXPECT_EQ(all.m_strIntro, "north");

    // Reading no rows still finds out that the table is not there.
    CDatabase stays;
    stays.OpenEx(wxString::FromUTF8("Driver=SQLite3;Database=" + m_env.DataSaveFolder() + "Register.db"));
    CHouseset wrongTable(&stays);
    EXPECT_THROW(wrongTable.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly), CDBException);
    EXPECT_FALSE(wrongTable.IsOpen());
}

}  // namespace

namespace {

TEST_F(DynasetTest, WritesOfATransactionStayOnlyWhenCommitted)
{
    AddRooms(3);
    CHouseset rooms(&m_db);
    rooms.Open(CRecordset::dynaset);
    m_db.BeginTrans();
    rooms.Delete();
    ASSERT_NE(rooms.FindRoom("0001"), -1);
    rooms.Edit();
    rooms.m_nPersons = 4;
    rooms.Update();
    m_db.Rollback();
    rooms.Requery();
    EXPECT_EQ(rooms.GetRecordCount(), 3) << "the delete was undone";
    ASSERT_EQ(rooms.FindRoom("0001"), 1);
    EXPECT_EQ(rooms.m_nPersons, 0) << "and so was the edit";

    m_db.BeginTrans();
    rooms.MoveFirst();
    rooms.Delete();
    m_db.CommitTrans();
    CHouseset again(&m_db);
    again.Open(CRecordset::dynaset);
    EXPECT_EQ(again.GetRecordCount(), 2);
    EXPECT_EQ(again.m_strRoomNo, "0001");
}

}  // namespace

namespace {

// Text of `chars` Chinese characters (three bytes each in UTF-8), varied by `seed`.
wxString LongChinese(size_t chars, int seed)
{
    std::wstring text;
    text.reserve(chars);
    for (size_t i = 0; i < chars; ++i)
        text += wchar_t(0x4E00 + (i * 7 + size_t(seed)) % 0x5000);
    return wxString(text);
}

TEST_F(DynasetTest, TextOfAnyLengthReadsBackWhole)
{
    CDatabase stays;
    stays.OpenEx(wxString::FromUTF8("Driver=SQLite3;Database=" + m_env.DataSaveFolder() + "Register.db"));
    CRegisterset add(&stays);
    add.Open(CRecordset::dynaset);
    stays.BeginTrans();
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(add.AddRecord("101", wxString::Format("guest %d", i), TRUE, "", COleDateTime(),
                                  COleDateTime::GetCurrentTime(), "", "", "", "0", "0"));
    stays.CommitTrans();
    // Every text column of one row past the first block: 10,000 characters, the remarks over a megabyte.
    std::vector<wxString> texts;
    for (int c = 0; c < 7; ++c)
        texts.push_back(LongChinese(10000 + size_t(c), c));
    texts.push_back(LongChinese(400000, 99));
    ASSERT_GT(texts.back().utf8_str().length(), 1u << 20);
    add.AddNew();
    add.m_strRoomNo = texts[0], add.m_strName = texts[1], add.m_strNation = texts[2];
    add.m_strIdNumber = texts[3], add.m_strNativePlace = texts[4], add.m_strPaid = texts[5];
    add.m_strDeposit = texts[6], add.m_strRemarks = texts[7];
    ASSERT_TRUE(add.Update());

    auto expectWhole = [&](const CRegisterset& set, const char* how) {
        SCOPED_TRACE(how);
        const wxString got[] = {set.m_strRoomNo,     set.m_strName, set.m_strNation, set.m_strIdNumber,
                                set.m_strNativePlace, set.m_strPaid, set.m_strDeposit, set.m_strRemarks};
        for (size_t c = 0; c < texts.size(); ++c) {
            EXPECT_EQ(got[c].length(), texts[c].length()) << "column " << c;
            EXPECT_TRUE(got[c] == texts[c]) << "column " << c;
        }
    };

    CRegisterset walk(&stays);
    walk.Open(CRecordset::dynaset);
    long seen = 0;
    for (; !walk.IsEOF() && seen < 200; walk.MoveNext())
        ++seen;
    ASSERT_FALSE(walk.IsEOF());
    expectWhole(walk, "walk");

    // Another recordset writes the row: reaching it again reads it again.
    CRegisterset edit(&stays);
    edit.Open(CRecordset::dynaset);
    edit.SetAbsolutePosition(201);
    expectWhole(edit, "position");
    edit.Edit();
    texts[1] = LongChinese(20000, 7);
    edit.m_strName = texts[1];
    ASSERT_TRUE(edit.Update());
    walk.MovePrev();
    walk.MoveNext();
    expectWhole(walk, "refetch after another recordset's update");

    CRegisterset again(&stays);
    again.Open(CRecordset::dynaset);
    again.SetAbsolutePosition(201);
    expectWhole(again, "a fresh open after the update");
}

}  // namespace

// ---------------------------------------------------------------- writes that check what they read

namespace {

// A write made only where the row still holds what the operation read: one
// room's persons taken off one by one, the occupied flag following the count
// the table holds; a stay closed once.
TEST_F(DynasetTest, GuardedUpdatesWriteOnlyWhereTheRowStillHoldsWhatWasRead)
{
    AddRooms(2);
    CHouseset rooms(&m_db), other(&m_db);
    rooms.Open(CRecordset::dynaset);
    ASSERT_EQ(rooms.FindRoom("0001"), 1);
    rooms.Edit();
    rooms.m_nPersons = 2;
    rooms.m_bOccupied = TRUE;
    rooms.Update();
    const CString takeOne =
        wxString::FromUTF8("[房间人数] = [房间人数] - 1, [住房] = CASE WHEN [房间人数] > 1 THEN 1 ELSE 0 END");
    const CString someoneIn = wxString::FromUTF8("[房间人数] > ?");
    EXPECT_TRUE(rooms.UpdateWhere(takeOne, someoneIn, {0}));
    EXPECT_EQ(rooms.m_nPersons, 1);
    EXPECT_TRUE(rooms.m_bOccupied);
    // Another recordset read the room before the next write: it sees the table's count.
    other.Open(CRecordset::dynaset);
    ASSERT_EQ(other.FindRoom("0001"), 1);
    EXPECT_TRUE(rooms.UpdateWhere(takeOne, someoneIn, {0}));
    EXPECT_FALSE(other.UpdateWhere(takeOne, someoneIn, {0})) << "nobody left to take off";
    EXPECT_EQ(other.m_nPersons, 0);
    EXPECT_FALSE(other.m_bOccupied);
    EXPECT_EQ(other.m_strRoomNo, "0001") << "the members are the row's";
    ASSERT_EQ(rooms.FindRoom("0000"), 0);
    EXPECT_EQ(rooms.m_nPersons, 0) << "the room beside it untouched";

    CDatabase stays;
    stays.OpenEx(m_env.ConnectString("Register.db"));
    CRegisterset add(&stays);
    add.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly);
    ASSERT_TRUE(add.AddRecord("0001", "guest", TRUE, "", COleDateTime(), COleDateTime(2024, 3, 5, 14, 0, 0), "", "",
                              "", "0", "0"));
    CRegisterset first(&stays), second(&stays);
    first.Open(CRecordset::dynaset);
    second.Open(CRecordset::dynaset);
    const COleDateTime out(2024, 3, 6, 12, 0, 0);
    const CString close = wxString::FromUTF8("[退房日期] = ?"), running = wxString::FromUTF8("[退房日期] IS NULL");
    EXPECT_TRUE(first.UpdateWhere(close, running, {out}));
    EXPECT_FALSE(second.UpdateWhere(close, running, {COleDateTime(2024, 3, 7, 12, 0, 0)})) << "closed once";
    EXPECT_TRUE(second.m_dtCheckOut == out);
}

}  // namespace

// ---------------------------------------------------------------- the spelling of SQL

TEST(SqlDialectTest, NamesInBracketsTakeTheServersQuotesOutsideQuotedText)
{
    const std::string sql = R"(SELECT [房间号], [a"b] FROM [house] WHERE [姓名] = 'x[1]' AND "[c]" = '''[d]''')";
    EXPECT_EQ(Spelled(SqlDialect::sqlite, sql), sql);
    EXPECT_EQ(Spelled(SqlDialect::postgresql, sql),
              R"(SELECT "房间号", "a""b" FROM "house" WHERE "姓名" = 'x[1]' AND "[c]" = '''[d]''')");
    EXPECT_EQ(Spelled(SqlDialect::postgresql, "SELECT [unclosed"), "SELECT [unclosed");
}

TEST(DatabaseErrorsTest, LocksLostConnectionsAndFullDisksPassTablesThatAreMissingDoNot)
{
    for (const char* passing : {"State:08S01,Native:35", "State:57P01,Native:7", "State:55P03,Native:7",
                                "State:40P01,Native:7", "State:53100,Native:7", "State:HY000,Native:5",
                                "State:HY000,Native:13", "State:HY000,Native:266"})
        EXPECT_TRUE(CDBException("text", passing).IsPassingFailure()) << passing;
    for (const char* lasting : {"State:42P01,Native:7", "State:23502,Native:7", "State:HY000,Native:1",
                                "State:42S02,Native:5", ""})
        EXPECT_FALSE(CDBException("text", lasting).IsPassingFailure()) << lasting;
}

TEST(ConnectStringsTest, TheServersDriverReadsRowsThroughACursorAFetchAtATime)
{
    for (const char* connect : {"Driver={PostgreSQL Unicode};UseDeclareFetch=0;Fetch=5;Database=hotel",
                                "DRIVER=/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so;Database=hotel"}) {
        const CString resolved = ResolveConnectString(connect);
        EXPECT_EQ(ConnectAttribute(resolved, "UseDeclareFetch"), "1") << connect;
        EXPECT_EQ(ConnectAttribute(resolved, "Fetch"), "1024") << connect;
        EXPECT_EQ(ConnectAttribute(resolved, "Database"), "hotel") << connect;
    }
}
