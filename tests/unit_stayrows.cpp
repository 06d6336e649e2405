// The stays of the guest-records window, read from the table as the list
// shows them: every row must show what a walk of the table shows there, in
// whatever order the rows are asked for, and follow what is deleted or changed.
#include <gtest/gtest.h>

#include <vector>
#include "CStayRows.h"
#include "OdbcConnection.h"
#include "CUserRWnd.h"
#include "DeskData.h"

namespace {

CString U(const char* utf8) { return wxString::FromUTF8(utf8); }

class StayRowsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_BACKEND(env);
        reg.OpenEx(env.ConnectString("Register.db"));
        CRegisterset rs(&reg);
        ASSERT_TRUE(rs.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly));
        const char* names[] = {"张三", "李四", "张三 ", "Zhang"};
        reg.BeginTrans();  // one commit for all: a commit per stay waits for the disk each time
        for (int i = 0; i < kStays; ++i)
            ASSERT_TRUE(rs.AddRecord(wxString::Format("%d", 100 + i % 7), U(names[i % 4]), TRUE, U("汉族"),
                                     COleDateTime(1990, 1, 2, 0, 0, 0), COleDateTime(2024, 3, 1 + i % 28, 9, 0, 0),
                                     wxString::Format("ID%d", i % 50), U("北京"), wxString::Format("%d", i),
                                     wxT("150"), wxT("0")));
        reg.CommitTrans();
    }
    // What a walk of the whole table shows, stay by stay.
    std::vector<GuestRecord> Walk()
    {
        std::vector<GuestRecord> stays;
        CRegisterset rs(&reg);
        rs.Open(CRecordset::dynaset);
        for (; !rs.IsEOF(); rs.MoveNext())
            stays.push_back(rs.GetGuestRecord());
        return stays;
    }
    static constexpr int kStays = 700;
    TestEnvironment env;
    CDatabase reg;
};

void ExpectSameStay(const GuestRecord& expected, const GuestRecord& shown, size_t row)
{
    EXPECT_EQ(RecordRowTexts(expected), RecordRowTexts(shown)) << "row " << row;
}

TEST_F(StayRowsTest, EveryRowShowsTheStayTheWalkFindsThere)
{
    const std::vector<GuestRecord> walked = Walk();
    CStayRows rows(&reg);
    ASSERT_TRUE(rows.ShowAll());
    ASSERT_EQ(walked.size(), rows.size());
    // In order, backwards, by far jumps and short steps, as a list is drawn and scrolled.
    std::vector<size_t> order;
    for (size_t i = 0; i < walked.size(); i += 37)
        order.push_back(i);
    for (size_t i = walked.size(); i-- > 0; i = i > 90 ? i - 90 : 0)
        order.push_back(i);
    for (size_t i : {size_t(699), size_t(0), size_t(400), size_t(401), size_t(399), size_t(5)})
        order.push_back(i);
    for (size_t row : order)
        ExpectSameStay(walked[row], rows[row], row);
    EXPECT_THROW(rows[walked.size()], CDBException);
}

TEST_F(StayRowsTest, RowsFollowStaysChangedAndDeletedElsewhere)
{
    CStayRows rows(&reg);
    ASSERT_TRUE(rows.ShowAll());
    ASSERT_EQ(U("李四"), rows[9].m_strName);
    {
        CRegisterset other(&reg);
        ASSERT_TRUE(other.Open(CRecordset::dynaset));
        other.Move(9);
        other.Edit();
        other.m_strName = U("王五");
        other.Update();
        other.Move(-4);
        other.Delete();
    }
    rows.erase(5);
    rows.Reread();
    const std::vector<GuestRecord> walked = Walk();
    ASSERT_EQ(walked.size(), rows.size());
    EXPECT_EQ(U("王五"), rows[8].m_strName);
    for (size_t row : {size_t(4), size_t(5), size_t(9), size_t(500), size_t(698)})
        ExpectSameStay(walked[row], rows[row], row);
}

TEST_F(StayRowsTest, MatchesAreExactlyTheSearchTextsStaysInTableOrder)
{
    const std::vector<GuestRecord> walked = Walk();
    CStayRows rows(&reg);
    for (const auto& [key, text] : {std::pair{SEARCH_BY_NAME, U("张三")}, std::pair{SEARCH_BY_NAME, U("zhang")},
                                    std::pair{SEARCH_BY_ID_NUMBER, CString("ID7")}}) {
        std::vector<GuestRecord> expected;
        for (const GuestRecord& rec : walked)
            if (RecordMatchesSearch(rec, key, text))
                expected.push_back(rec);
        ASSERT_TRUE(rows.ShowMatches(key, text));
        ASSERT_EQ(expected.size(), rows.size()) << text;
        for (size_t row = 0; row < expected.size(); ++row)
            ExpectSameStay(expected[row], rows[row], row);
    }

    // A stay deleted from a search result: the matches after it move up.
    ASSERT_TRUE(rows.ShowMatches(SEARCH_BY_NAME, U("李四")));
    const size_t before = rows.size();
    const GuestRecord third = rows[3];
    {
        CRegisterset other(&reg);
        ASSERT_TRUE(other.Open(CRecordset::dynaset));
        ASSERT_NE(-1, other.FindRecord(rows[2]));
        other.Delete();
    }
    rows.erase(2);
    EXPECT_EQ(before - 1, rows.size());
    ExpectSameStay(third, rows[2], 2);
}

// What SQLite plans for a statement, through the driver: the detail of each step.
std::vector<std::string> PlanOf(CDatabase& db, const std::string& sql, const std::string& parameter)
{
    OdbcStatement stmt(db.Connection());
    SQLLEN length = 0;
    stmt.BindText(1, parameter, length);
    stmt.Execute("EXPLAIN QUERY PLAN " + sql);
    std::vector<std::string> steps;
    while (stmt.FetchNext() != SQL_NO_DATA) {
        char detail[512] = {};
        SQLLEN got = 0;
        stmt.Check(SQLGetData(stmt.Get(), 4, SQL_C_CHAR, detail, sizeof detail, &got), "read the plan");
        steps.emplace_back(detail);
    }
    return steps;
}

// A search reads only the stays it finds, through the index on its column:
// the statement the stays recordset runs for it, as it runs it.
TEST_F(StayRowsTest, TheSearchesFindTheirStaysThroughAnIndex)
{
    if (TestEnvironment::Backend() != TestBackend::sqlite)
        GTEST_SKIP() << "SQLite's query plan; the server's schema has the same indexes";
    for (const auto& [column, index] : {std::pair{"[证件号]", "ix_register_idnumber"},
                                        std::pair{"[姓名]", "ix_register_name"}}) {
        const std::vector<std::string> plan =
            PlanOf(reg, std::string("SELECT [ID], [姓名], [证件号] FROM [register] WHERE (") + column +
                            " = ?) AND +rowid <= 9223372036854775807 ORDER BY +rowid",
                   "ID7");
        ASSERT_FALSE(plan.empty());
        EXPECT_NE(plan.front().find(std::string("USING INDEX ") + index), std::string::npos) << plan.front();
    }
}

}  // namespace
