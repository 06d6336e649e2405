// The recordset as it reads rows a block at a time: positions without a walk,
// filter values as parameters, counts, rows added elsewhere, the driver's
// text turned into members, and statements the connection reuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>
#include "CHouseset.h"
#include "CRegisterset.h"
#include "ConnectString.h"
#include "DeskData.h"
#include "OdbcConnection.h"
#include "RankSamples.h"
#include "SqliteFiles.h"
#include "StoredValue.h"
#include "TestEnvironment.h"
#include "Utf8Text.h"

namespace {

// ------------------------------------------------------------ stored values

TEST(StoredValue, TextOfEveryWidthAndBrokenUtf8)
{
    CString text = "left over from the row before, long enough to need its own buffer";
    AssignUtf8(text, "101", 3);
    EXPECT_EQ(text, "101");
    const std::string mixed = "张三 a€𝄞";  // 3, 1, 3 and 4 bytes a character
    AssignUtf8(text, mixed.data(), mixed.size());
    EXPECT_EQ(text, wxString::FromUTF8(mixed));
    AssignUtf8(text, "", 0);
    EXPECT_TRUE(text.empty());
    for (const char* broken : {"\xE5\xBC", "a\xC0\xAF", "\xED\xA0\x80", "\xF8\x88\x80\x80\x80"}) {
        AssignUtf8(text, broken, std::strlen(broken));
        EXPECT_EQ(text, wxString::FromUTF8(broken)) << "as wx reads it";
    }
}

TEST(StoredValue, BoundTextIsTheUtf8WxMakesOfEveryCharacter)
{
    // Every character of the basic plane, a sample beyond it, and what is no
    // character at all (lone surrogates, codes past Unicode).
    std::vector<unsigned long> codes;
    for (unsigned long code = 1; code < 0x110000; code += code < 0x10000 ? 1 : 0x1F1)
        codes.push_back(code);
    codes.insert(codes.end(), {0x10FFFF, 0x110000, 0x7FFFFFFF});
    for (unsigned long code : codes) {
        const CString text = CString("a") + CString(wxUniChar(code)) + CString("z");
        const wxScopedCharBuffer wx = text.ToUTF8();
        ASSERT_EQ(ToUtf8(text), std::string(wx.data(), wx.length())) << "U+" << std::hex << code;
    }
}

TEST(StoredValue, IntegersAsStrtollReadsThem)
{
    struct Case { const char* text; long long value; };
    const Case cases[] = {{"0", 0},        {"1", 1},   {"-20", -20}, {" +7", 7},   {"12abc", 12}, {"1.5", 1},
                          {"abc", 0},      {"", 0},    {"-", 0},     {"255", 255},
                          {"9223372036854775807", LLONG_MAX},        {"9223372036854775808", LLONG_MAX},
                          {"-9223372036854775808", LLONG_MIN},       {"-99999999999999999999", LLONG_MIN}};
    for (const Case& c : cases)
        EXPECT_EQ(ParseStoredInteger(c.text, std::strlen(c.text)), c.value) << c.text;
}

TEST(StoredValue, TimestampsInTheFormsTheDriverWrites)
{
    COleDateTime date;
    int y, mo, d, h, mi, s, ms;
    ASSERT_TRUE(ParseStoredTimestamp("2024-03-05 14:07:09.400", 23, date));
    ASSERT_TRUE(date.GetParts(y, mo, d, h, mi, s, ms));
    EXPECT_EQ(std::vector<int>({y, mo, d, h, mi, s, ms}), std::vector<int>({2024, 3, 5, 14, 7, 9, 400}));
    ASSERT_TRUE(ParseStoredTimestamp("2024-03-05T14:07:09", 19, date));
    EXPECT_EQ(date.GetSecond(), 9);
    ASSERT_TRUE(ParseStoredTimestamp("1990-01-02", 10, date));
    EXPECT_EQ(date.GetHour(), 0);
    // As another program may have written them.
    struct Other { const char* text; int hour, minute, second, millisecond; };
    for (const Other& o : {Other{"2024-3-5 1:02:03", 1, 2, 3, 0}, Other{"2024/03/05 14:07", 14, 7, 0, 0},
                           Other{"2024-03-05 14:07:09.4", 14, 7, 9, 400}, Other{"2024-03-05 14:07:09.123456 ", 14, 7, 9, 123}}) {
        ASSERT_TRUE(ParseStoredTimestamp(o.text, std::strlen(o.text), date)) << o.text;
        ASSERT_TRUE(date.GetParts(y, mo, d, h, mi, s, ms)) << o.text;
        EXPECT_EQ(std::vector<int>({y, mo, d, h, mi, s, ms}), std::vector<int>({2024, 3, 5, o.hour, o.minute, o.second,
                                                                                o.millisecond})) << o.text;
    }
    // A date that cannot be one is read, and is invalid, as its parts make it.
    ASSERT_TRUE(ParseStoredTimestamp("2021-02-30 00:00:00", 19, date));
    EXPECT_EQ(date.GetStatus(), COleDateTime::invalid);
    // Text that holds no date.
    for (const char* other : {"2459000.5", "abcd-ef-gh", "2024-03-05 14", "2024-03-05 14:07:09.", "24-03-05",
                              "2024-03-05 14:07:09 and more", ""})
        EXPECT_FALSE(ParseStoredTimestamp(other, std::strlen(other), date)) << other;
}

TEST(ConnectStrings, TheSqliteDriverReadsRowsAsTheyAreFetchedAndWaitsBriefly)
{
    const CString resolved = ResolveConnectString("ODBC;Driver=SQLite3;StepAPI=0;Database=/tmp/x.db");
    EXPECT_EQ(ConnectAttribute(resolved, "StepAPI"), "1");
    EXPECT_EQ(ConnectAttribute(resolved, "Timeout"), wxString::Format("%d", kBusyTimeoutMs));
    EXPECT_EQ(ConnectAttribute(resolved, "database"), "/tmp/x.db");
    EXPECT_EQ(ConnectAttribute(ResolveConnectString("Driver=SQLite3;Timeout=5;Database=a"), "Timeout"), "5");
    // Braced values, "}" doubled; other drivers are left as they are.
    EXPECT_EQ(ConnectAttribute("Driver={My Driver};PWD={a;b}}c};UID=u", "PWD"), "a;b}c");
    EXPECT_EQ(ResolveConnectString("Driver=Other;Database=x"), "Driver=Other;Database=x");
}

// ------------------------------------------------------------ the recordset

class RecordsetBlocks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_BACKEND(m_env);
        m_db.OpenEx(m_env.ConnectString("Register.db"));
    }

    // The table's key as the layer names it: SQLite's rowid, the schema's key on a server.
    static std::string Key() { return TestEnvironment::Backend() == TestBackend::sqlite ? "rowid" : "[ID]"; }

    // Stays named "guest 0", "guest 1", ... in key order; every seventh remark long.
    void AddStays(int count)
    {
        CRegisterset add(&m_db);
        add.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly);
        m_db.BeginTrans();
        for (int i = 0; i < count; ++i) {
            const CString remark = i % 7 == 0 ? CString(wxUniChar(0x4E00 + i % 500), 300 + i % 900) : CString("r");
            ASSERT_TRUE(add.AddRecord(wxString::Format("%d", 100 + i % 50), wxString::Format("guest %d", i), i % 2,
                                      "", COleDateTime(1980, 1, 1 + i % 28, 0, 0, 0), COleDateTime(2024, 1, 1, 12, 0, 0),
                                      "", "", remark, "0", "0"));
        }
        m_db.CommitTrans();
    }

    // The stays whose key is below `key`, as SQL counts them.
    long long CountBelow(long long key)
    {
        CRegisterset rs(&m_db);
        rs.m_strFilter = wxString::FromUTF8(Key() + " < ?");
        rs.m_filterValues = {long(key)};
        return static_cast<long long>(rs.CountRows());
    }

    // The rows from the start StartOf gives are the rows from position `rank` on.
    void ExpectStartOf(RankSamples& samples, long long rank)
    {
        const RankSamples::Start start = samples.StartOf(rank);
        EXPECT_EQ(CountBelow(start.key) + (start.after ? 1 : 0) + start.skip, rank) << rank;
        EXPECT_LT(start.skip, RankSamples::kStep) << "a skip of a sample's rows at most, at " << rank;
    }

    TestEnvironment m_env;
    CDatabase m_db;
};

TEST_F(RecordsetBlocks, PositionsReachTheRowsAWalkReaches)
{
    AddStays(1000);
    std::vector<CString> names, remarks;
    {
        CRegisterset walk(&m_db);
        walk.Open(CRecordset::dynaset);
        for (; !walk.IsEOF(); walk.MoveNext()) {
            names.push_back(walk.m_strName);
            remarks.push_back(walk.m_strRemarks);
        }
    }
    ASSERT_EQ(names.size(), 1000u);
    EXPECT_EQ(remarks[7].length(), 307u) << "a long value read whole";

    CRegisterset rs(&m_db);
    rs.Open(CRecordset::dynaset);
    // Far ahead, back, inside one block, and across blocks.
    for (long row : {900L, 3L, 1000L, 129L, 128L, 640L, 641L, 1L, 777L}) {
        rs.SetAbsolutePosition(row);
        ASSERT_FALSE(rs.IsEOF()) << row;
        EXPECT_EQ(rs.m_strName, names[size_t(row - 1)]) << row;
        EXPECT_EQ(rs.m_strRemarks, remarks[size_t(row - 1)]) << row;
    }
    rs.SetAbsolutePosition(500);
    rs.Move(300);
    EXPECT_EQ(rs.m_strName, names[799]);
    rs.MovePrev();
    EXPECT_EQ(rs.m_strName, names[798]);
    EXPECT_EQ(rs.GetRecordCount(), 1000);

    // One past the last row is the end; further is an error, as a walk of MoveNext makes it.
    rs.SetAbsolutePosition(1001);
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_FALSE(rs.IsBOF());
    EXPECT_THROW(rs.SetAbsolutePosition(1002), CDBException);
    rs.SetAbsolutePosition(995);
    rs.Move(6);
    EXPECT_TRUE(rs.IsEOF());
    rs.SetAbsolutePosition(995);
    EXPECT_THROW(rs.Move(7), CDBException);

    // A sorted open reaches its own order by position too.
    CRegisterset sorted(&m_db);
    sorted.m_strSort = wxString::FromUTF8("[姓名] DESC");
    sorted.Open(CRecordset::dynaset);
    std::vector<CString> descending(names);
    std::sort(descending.begin(), descending.end(), [](const CString& a, const CString& b) { return a > b; });
    sorted.SetAbsolutePosition(850);
    EXPECT_EQ(sorted.m_strName, descending[849]);
}

TEST_F(RecordsetBlocks, PositionsAfterRowsWentAreThoseOfTheRowsLeft)
{
    AddStays(700);
    CRegisterset rs(&m_db);
    rs.Open(CRecordset::dynaset);
    rs.SetAbsolutePosition(600);
    EXPECT_EQ(rs.m_strName, "guest 599");

    // Rows removed through another recordset, before and at the position.
    CRegisterset other(&m_db);
    other.Open(CRecordset::dynaset);
    for (long row : {600L, 10L, 2L}) {
        other.SetAbsolutePosition(row);
        other.Delete();
    }
    rs.SetAbsolutePosition(600);
    EXPECT_EQ(rs.m_strName, "guest 602") << "the 600th row still there";
    rs.SetAbsolutePosition(3);
    EXPECT_EQ(rs.m_strName, "guest 3");
    EXPECT_EQ(rs.GetRecordCount(), 697);
    int walked = 0;
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
        ++walked;
    EXPECT_EQ(walked, 697);
    EXPECT_EQ(rs.GetRecordCount(), 697);
}

// A sorted walk (and every walk on a server) gives the rows as they were
// when it ran: a row removed since then is passed over when it comes.
TEST_F(RecordsetBlocks, PositionsOfAWalkThatRanBeforeARowWentPassItOver)
{
    AddStays(700);
    CRegisterset rs(&m_db);
    rs.m_strSort = wxString::FromUTF8("[性别] DESC");  // the odd guests first, then the even ones
    rs.Open(CRecordset::dynaset);
    ASSERT_EQ(rs.m_strName, "guest 1");
    CRegisterset other(&m_db);
    other.Open(CRecordset::dynaset);
    other.SetAbsolutePosition(302);
    ASSERT_EQ(other.m_strName, "guest 301");
    other.Delete();
    rs.SetAbsolutePosition(200);
    EXPECT_EQ(rs.m_strName, "guest 401") << "the 200th row still there";
    long walked = 0;
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
        walked += rs.m_strName == "guest 301" ? 1000 : 1;
    EXPECT_EQ(walked, 699);
}

TEST_F(RecordsetBlocks, FilterValuesGoAsParametersAndCountsAgreeWithAWalk)
{
    AddStays(400);
    CRegisterset rs(&m_db);
    rs.m_strFilter = wxString::FromUTF8("[房间号] = ? AND [性别] = ? AND [出生年月] < ?");
    rs.m_filterValues = {CString("103"), 1, COleDateTime(1980, 1, 20, 0, 0, 0)};
    rs.Open(CRecordset::dynaset);
    const long counted = rs.GetRecordCount();
    long walked = 0;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        ++walked;
        EXPECT_EQ(rs.m_strRoomNo, "103");
        EXPECT_TRUE(rs.m_bSex);
    }
    EXPECT_GT(walked, 0);
    EXPECT_EQ(counted, walked);
    EXPECT_EQ(rs.GetRecordCount(), walked);

    // A value that looks like SQL is a value; Requery binds the values anew.
    rs.m_filterValues = {CString("103' OR '1'='1"), 1, COleDateTime(1980, 1, 20, 0, 0, 0)};
    rs.Requery();
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(rs.GetRecordCount(), 0);
    COleDateTime none;
    none.SetStatus(COleDateTime::null);
    rs.m_filterValues = {CString("103"), 1, none};  // NULL compares as nothing
    rs.Requery();
    EXPECT_TRUE(rs.IsEOF());
}

TEST_F(RecordsetBlocks, ACountIsOfTheRowsTheOpenFixedUntilARequery)
{
    AddStays(400);
    CRegisterset rs(&m_db);
    rs.m_strFilter = wxString::FromUTF8("[性别] = 1");
    rs.Open(CRecordset::dynaset);
    // A filter changed on the open recordset waits for the Requery, as its rows do.
    rs.m_strFilter.clear();
    EXPECT_EQ(rs.GetRecordCount(), 200);
    rs.Requery();
    EXPECT_EQ(rs.GetRecordCount(), 400);
}

TEST_F(RecordsetBlocks, RowsAddedElsewhereWaitForARequeryAndOwnRowsComeLast)
{
    AddStays(300);
    CRegisterset rs(&m_db);
    rs.Open(CRecordset::dynaset);
    EXPECT_EQ(rs.GetRecordCount(), 300);
    // Added here before the walk ends: it comes after the rows of the open.
    ASSERT_TRUE(rs.AddRecord("999", "mine", TRUE, "", COleDateTime(), COleDateTime::GetCurrentTime(), "", "", "", "0",
                             "0"));
    EXPECT_EQ(rs.m_strName, "guest 0") << "back on the row it was on";
    CRegisterset other(&m_db);
    other.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly);
    ASSERT_TRUE(other.AddRecord("998", "theirs", TRUE, "", COleDateTime(), COleDateTime::GetCurrentTime(), "", "", "",
                                "0", "0"));
    EXPECT_EQ(other.GetRecordCount(), 1);
    EXPECT_EQ(rs.GetRecordCount(), 301);

    CString last;
    long walked = 0;
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext(), ++walked)
        last = rs.m_strName;
    EXPECT_EQ(walked, 301);
    EXPECT_EQ(last, "mine");
    rs.Requery();
    EXPECT_EQ(rs.GetRecordCount(), 302);
}

TEST_F(RecordsetBlocks, AWalkOfStoredRowsSeesWhatMovesSeeAndSetsNoMember)
{
    AddStays(300);
    CRegisterset rs(&m_db);
    rs.Open(CRecordset::dynaset);
    // Changed and removed through another recordset after the open, in a later block.
    CRegisterset other(&m_db);
    other.Open(CRecordset::dynaset);
    other.SetAbsolutePosition(200);
    other.Edit();
    other.m_strName = "renamed";
    other.Update();
    other.SetAbsolutePosition(250);
    other.Delete();

    auto text = [&rs](const CString& member) {
        const StoredField value = rs.Stored(&member);
        return std::string(value.data, value.length);
    };
    std::vector<std::string> names, remarks;
    rs.WalkStored([&] {
        names.push_back(text(rs.m_strName));
        remarks.push_back(text(rs.m_strRemarks));
        return true;
    });
    ASSERT_EQ(names.size(), 299u);
    EXPECT_EQ(names[199], "renamed");
    EXPECT_EQ(names[250], "guest 251");
    EXPECT_EQ(FromUtf8(remarks[7].data(), remarks[7].size()).length(), 307u) << "a long value read whole";
    EXPECT_EQ(rs.m_strName, "guest 0") << "the members stay as the open set them";
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_THROW(rs.Stored(&rs.m_strName), CDBException) << "only in a walk";

    // Stopped, the recordset stands on that row; an empty one is at both ends at once.
    rs.WalkStored([&] { return text(rs.m_strName) != "guest 5"; });
    EXPECT_FALSE(rs.IsEOF());
    rs.MoveNext();
    EXPECT_EQ(rs.m_strName, "guest 6");
    m_db.ExecuteSQL("DELETE FROM [register]");
    rs.Requery();
    int visits = 0;
    rs.WalkStored([&] { return ++visits > 0; });
    EXPECT_EQ(visits, 0);
    EXPECT_TRUE(rs.IsEOF() && rs.IsBOF());
}

TEST_F(RecordsetBlocks, StatementsLeftBeforeTheirEndAreNotRunAgain)
{
    // The driver runs every other execution of a statement whose last result
    // was left unread as if it returned nothing.
    AddStays(300);
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        CRegisterset rs(&m_db);
        rs.Open(CRecordset::dynaset);
        EXPECT_EQ(rs.m_strName, "guest 0");
        rs.SetAbsolutePosition(150);  // stops the walk half-way
        EXPECT_EQ(rs.m_strName, "guest 149");
        EXPECT_EQ(rs.GetRecordCount(), 300);
    }
}

TEST_F(RecordsetBlocks, DatesAnotherProgramWroteReadWithoutTheDriversParser)
{
    SKIP_ON_SERVER("a server's timestamp column holds no text");
    m_db.ExecuteSQL(wxString::FromUTF8("INSERT INTO [register]([姓名], [出生年月], [住房日期], [退房日期]) "
                                       "VALUES ('a', '1990-01-02 03:04', '2024-03-05 14:07:09.400', 'soon'), "
                                       "('b', '', ' ', NULL)"));
    CRegisterset rs(&m_db);
    rs.Open(CRecordset::dynaset);
    ASSERT_FALSE(rs.IsEOF());
    EXPECT_EQ(rs.m_dtBirth.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(rs.m_dtBirth.GetMinute(), 4);
    EXPECT_EQ(rs.m_dtCheckIn.GetSecond(), 9);
    EXPECT_EQ(rs.m_dtCheckOut.GetStatus(), COleDateTime::invalid);
    // An empty date is no date: the stay reads as running, not as a broken date.
    rs.MoveNext();
    ASSERT_FALSE(rs.IsEOF());
    EXPECT_EQ(rs.m_dtBirth.GetStatus(), COleDateTime::null);
    EXPECT_EQ(rs.m_dtCheckIn.GetStatus(), COleDateTime::null);
    EXPECT_EQ(rs.m_dtCheckOut.GetStatus(), COleDateTime::null);
}

TEST_F(RecordsetBlocks, RowsAddedOneAfterAnotherStoreWhatEachOneSet)
{
    // One INSERT stays bound from row to row while the columns set are the
    // same: nothing of a row may reach the next, whatever moved in between.
    SKIP_ON_SERVER("a server's text holds no NUL");
    const CString nul = CString("1") + CString(wxUniChar(0)) + CString("3");
    const CString longName = CString(wxUniChar(0x5F20), 3000);
    {
        CRegisterset add(&m_db);
        add.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly);
        auto addRow = [&add](const CString& room, const CString& name, const COleDateTime& in) {
            add.AddNew();
            add.m_strRoomNo = room;
            add.m_strName = name;
            add.m_dtCheckIn = in;
            add.Update();
        };
        COleDateTime none;
        none.SetStatus(COleDateTime::null);
        addRow("101", "a", COleDateTime(2024, 3, 5, 14, 7, 9));
        addRow("102", "", none);
        addRow(nul, longName, COleDateTime(1999, 12, 31, 23, 59, 59));
        addRow("104", "d", COleDateTime(100, 1, 1, 0, 0, 0));
        addRow("105", "e", none);
        add.AddNew();
        add.Update();  // nothing set: the table's defaults
        // Edited and filtered by the same values, as text of the same form.
        CRegisterset edit(&m_db);
        edit.m_strFilter = wxString::FromUTF8("[住房日期] = ?");
        edit.m_filterValues = {COleDateTime(2024, 3, 5, 14, 7, 9)};
        edit.Open(CRecordset::dynaset);
        ASSERT_FALSE(edit.IsEOF());
        edit.Edit();
        edit.m_dtCheckOut = COleDateTime(2024, 3, 6, 12, 0, 0);
        edit.Update();
    }
    const auto rows = QueryDatabase(m_env.DataSaveFolder() + "Register.db",
                                    "SELECT hex([房间号]), [姓名], [住房日期], [退房日期] FROM register ORDER BY rowid");
    const std::vector<std::vector<std::string>> expected = {
        {"313031", "a", "2024-03-05 14:07:09.000", "2024-03-06 12:00:00.000"},
        {"313032", "", "<null>", "<null>"},
        {"310033", ToUtf8(longName), "1999-12-31 23:59:59.000", "<null>"},
        {"313034", "d", "0100-01-01 00:00:00.000", "<null>"},
        {"313035", "e", "<null>", "<null>"},
        {"", "", "<null>", "<null>"}};
    EXPECT_EQ(rows, expected);
}

TEST_F(RecordsetBlocks, StatementsThatWorkAsTheyAreSteppedRunWhole)
{
    // A PRAGMA that sets something returns a row: ExecuteSQL runs it all the same.
    SKIP_ON_SERVER("PRAGMA is SQLite's");
    m_db.ExecuteSQL("PRAGMA main.max_page_count = 1");
    CRegisterset rs(&m_db);
    rs.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly);
    EXPECT_THROW(rs.AddRecord("1", CString('x', 100000), TRUE, "", COleDateTime(), COleDateTime(), "", "", "", "", ""),
                 CDBException);
}

TEST_F(RecordsetBlocks, RankSamplesFollowRowsGoneAndAdded)
{
    AddStays(1000);
    // Gaps in the keys: every third row of the first half gone.
    m_db.ExecuteSQL(wxString::FromUTF8("DELETE FROM [register] WHERE " + Key() + " % 3 = 0 AND " + Key() + " < 500"));
    OdbcConnection& conn = m_db.Connection();
    for (long long key : {1LL, 2LL, 256LL, 257LL, 499LL, 500LL, 777LL, 1000LL, 1001LL})
        EXPECT_EQ(RankSamples::Of(conn, "[register]", Key()).RankOf(key), CountBelow(key)) << key;

    // A row removed through a recordset, and rows added since the samples were read.
    CRegisterset rs(&m_db);
    rs.Open(CRecordset::dynaset);
    rs.SetAbsolutePosition(10);
    rs.Delete();
    AddStays(300);
    for (long long key : {5LL, 600LL, 1100LL, 1300LL})
        EXPECT_EQ(RankSamples::Of(conn, "[register]", Key()).RankOf(key), CountBelow(key)) << key;

    // The start of a position: the rows from the key on, less the skip.
    RankSamples& samples = RankSamples::Of(conn, "[register]", Key());
    for (long long rank : {0LL, 255LL, 256LL, 900LL, 1100LL})
        ExpectStartOf(samples, rank);
}

// The samples are read from the end a position is nearer to, a batch at a
// time: however they were read, a position and a rank are what counting says.
TEST_F(RecordsetBlocks, RankSamplesReadFromEitherEndAgreeWithCounting)
{
    AddStays(3000);
    m_db.ExecuteSQL(wxString::FromUTF8("DELETE FROM [register] WHERE " + Key() + " % 5 = 0 AND " + Key() + " > 1200 AND " +
                                       Key() + " < 2100"));
    const long long rows = CountBelow(INT_MAX);
    OdbcConnection& conn = m_db.Connection();
    auto fresh = [&]() -> RankSamples& {
        m_db.ExecuteSQL("UPDATE [register] SET [ID] = [ID] WHERE 1 = 0");  // what was read counts as old
        return RankSamples::Of(conn, "[register]", Key());
    };
    // Each from samples read anew, and all of them one after another from the same.
    std::vector<long long> ranks = {0, 1, 255, 256, 257, 1000, 1409, 1410, 1411, 2000, rows - 257, rows - 256,
                                    rows - 2, rows - 1, rows, rows + 3};
    for (long long rank : ranks)
        ExpectStartOf(fresh(), rank);
    RankSamples& kept = fresh();
    for (long long rank = rows + 2; rank >= 0; rank -= 41)
        ExpectStartOf(kept, rank);
    for (long long key : {1LL, 1500LL, 1501LL, 2999LL, 3000LL, 3001LL, 1205LL})
        EXPECT_EQ(fresh().RankOf(key), CountBelow(key)) << key;
    RankSamples& sweep = fresh();
    for (long long key = 3003; key > 0; key -= 53)
        ASSERT_EQ(sweep.RankOf(key), CountBelow(key)) << key;

    // The end of the recordset, reached by position: the last row a walk reaches.
    CRegisterset walk(&m_db), last(&m_db);
    walk.Open(CRecordset::dynaset);
    walk.MoveLast();
    fresh();
    last.Open(CRecordset::dynaset);
    last.SetAbsolutePosition(last.GetRecordCount());
    EXPECT_EQ(last.m_nID, walk.m_nID);
    last.MoveNext();
    EXPECT_TRUE(last.IsEOF());
}

}  // namespace
