// The check-out bill: days times price, money read from text, and the drawn
// lines; and the check-out itself, which closes exactly one open stay or writes nothing.
#include <gtest/gtest.h>

#include "CRegEndDlg.h"
#include "DeskData.h"
#include "StayDays.h"
#include "StayOperations.h"

namespace {

// Yesterday and today at the given hours, taken from the clock so the test
// exercises the same path as the dialog (check-in date against now).
COleDateTime TodayAt(int hour, int dayOffset = 0)
{
    const COleDateTime now = COleDateTime::GetCurrentTime();
    COleDateTime day(now.GetYear(), now.GetMonth(), now.GetDay(), hour, 0, 0);
    return day + COleDateTimeSpan(dayOffset, 0, 0, 0);
}

}  // namespace

TEST(CheckOutMoney, ParsesLeadingNumber)
{
    EXPECT_DOUBLE_EQ(ParseMoney("80"), 80.0);
    EXPECT_DOUBLE_EQ(ParseMoney("80.5"), 80.5);
    EXPECT_DOUBLE_EQ(ParseMoney(" 12.25"), 12.25);
    EXPECT_DOUBLE_EQ(ParseMoney(wxString::FromUTF8("100元")), 100.0);
    EXPECT_DOUBLE_EQ(ParseMoney("-20"), -20.0);
}

TEST(CheckOutMoney, NonNumbersCountZero)
{
    EXPECT_DOUBLE_EQ(ParseMoney(""), 0.0);
    EXPECT_DOUBLE_EQ(ParseMoney("abc"), 0.0);
    EXPECT_DOUBLE_EQ(ParseMoney(wxString::FromUTF8("八十")), 0.0);
    EXPECT_DOUBLE_EQ(ParseMoney("nan"), 0.0);
    EXPECT_DOUBLE_EQ(ParseMoney("-inf"), 0.0);
}

TEST(CheckOutBill, YesterdayMorningToTodayMorningBillsTwoDays)
{
    const int days = CountStayDays(TodayAt(10, -1), TodayAt(11));
    ASSERT_EQ(days, 2);
    const double total = ComputeBillTotal(days, "80");
    EXPECT_DOUBLE_EQ(total, 160.0);
    EXPECT_DOUBLE_EQ(ComputeRefund(100.0, total), -60.0);
}

TEST(CheckOutBill, DepositStaysOutOfTotalAndRefund)
{
    const double total = ComputeBillTotal(2, "80");
    EXPECT_DOUBLE_EQ(ComputeRefund(200.0, total), 40.0);
    const std::vector<BillLine> lines = GetBillLines(1, 200.0, 20.0, 2, total, ComputeRefund(200.0, total));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1].text, wxString::FromUTF8("押金:￥ 20.000"));
    EXPECT_EQ(lines[3].text, wxString::FromUTF8("合计:￥ 160.000"));
    EXPECT_EQ(lines[4].text, wxString::FromUTF8("退钱:￥ 40.000"));
}

TEST(CheckOutBill, NullCheckInBillsNothing)
{
    COleDateTime none;
    none.SetStatus(COleDateTime::null);
    const int days = CountStayDays(none, COleDateTime::GetCurrentTime());
    EXPECT_EQ(days, 0);
    EXPECT_DOUBLE_EQ(ComputeBillTotal(days, "80"), 0.0);
}

TEST(CheckOutBill, PriceThatIsNoNumberBillsNothing)
{
    EXPECT_DOUBLE_EQ(ComputeBillTotal(3, "free"), 0.0);
    EXPECT_DOUBLE_EQ(ComputeBillTotal(3, "60.0"), 180.0);
}

TEST(CheckOutBillLines, ChineseTextsAndPlaces)
{
    const std::vector<BillLine> lines = GetBillLines(1, 100.0, 20.0, 2, 160.0, -60.0);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].text, wxString::FromUTF8("交钱:￥ 100.000"));
    EXPECT_EQ(lines[1].text, wxString::FromUTF8("押金:￥ 20.000"));
    EXPECT_EQ(lines[2].text, wxString::FromUTF8("共住2天"));
    EXPECT_EQ(lines[3].text, wxString::FromUTF8("合计:￥ 160.000"));
    EXPECT_EQ(lines[4].text, wxString::FromUTF8("退钱:￥ -60.000"));

    const int dx[] = {0, 0, 125, 0, 0};
    const int dy[] = {0, 20, 20, 40, 65};
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].dx, dx[i]) << i;
        EXPECT_EQ(lines[i].dy, dy[i]) << i;
    }
}

TEST(CheckOutBillLines, EnglishTextsKeepPaidAndTotalApart)
{
    const std::vector<BillLine> lines = GetBillLines(2, 100.0, 20.0, 2, 160.0, -60.0);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].text, wxString::FromUTF8("Paid Money:￥ 100.000"));
    EXPECT_EQ(lines[1].text, wxString::FromUTF8("Deposit:￥ 20.000"));
    EXPECT_EQ(lines[2].text, wxString::FromUTF8("Total Day2"));
    EXPECT_EQ(lines[3].text, wxString::FromUTF8("Total Money:￥ 160.000"));
    EXPECT_EQ(lines[4].text, wxString::FromUTF8("Refund:￥ -60.000"));
    EXPECT_NE(lines[0].text.BeforeFirst(':'), lines[3].text.BeforeFirst(':'));
}

TEST(CheckOutBillLines, ThreeDecimals)
{
    const std::vector<BillLine> lines = GetBillLines(1, 1.0 / 3.0, 0.0, 0, 0.0, 0.0);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].text, wxString::FromUTF8("交钱:￥ 0.333"));
    EXPECT_EQ(lines[1].text, wxString::FromUTF8("押金:￥ 0.000"));
}

TEST(CheckOutBillLines, OtherLanguagesDrawNothing)
{
    EXPECT_TRUE(GetBillLines(0, 1, 2, 3, 4, 5).empty());
    EXPECT_TRUE(GetBillLines(3, 1, 2, 3, 4, 5).empty());
}

TEST(CheckOutTexts, ByLanguage)
{
    const RegEndTexts zh = GetRegEndTexts(1);
    EXPECT_EQ(zh.title, wxString::FromUTF8("退房"));
    EXPECT_TRUE(zh.roomLabel.empty());
    EXPECT_TRUE(zh.ok.empty());

    const RegEndTexts en = GetRegEndTexts(2);
    EXPECT_EQ(en.title, "Check Out");
    EXPECT_EQ(en.roomLabel, wxString::FromUTF8("House Number："));
    EXPECT_EQ(en.nameLabel, wxString::FromUTF8("Name："));
    EXPECT_EQ(en.ok, "OK");
    EXPECT_EQ(en.cancel, "Cancel");

    EXPECT_EQ(NoGuestChosenMessage(), wxString::FromUTF8("请选择姓名！"));
}

TEST(CheckOutLists, PlainTextOrderKeepsDuplicates)
{
    const std::vector<CString> sorted = SortedEntries({"201", "1001", "102", "Li", "102"});
    const std::vector<CString> expected = {"1001", "102", "102", "201", "Li"};
    EXPECT_EQ(sorted, expected);
}

// ---------------------------------------------------------------- the check-out itself

namespace {

// Room 101 with two guests: one whose name another program wrote as bytes
// that are no text, and 王五.
class CheckOutStay : public DeskData
{
protected:
    void SetUp() override
    {
        DeskData::SetUp();
        if (IsSkipped())
            return;
        m_env.Execute("Hotel.db", "INSERT INTO [house]([房间号],[房价],[住房],[房间人数]) "
                                  "VALUES ('101','80',1,2),('102','90',0,0)");
        // A server's text is always text: there the first guest's name is
        // one the dialog cannot show either, a line break and a tab.
        const char* unreadable =
            TestEnvironment::Backend() == TestBackend::sqlite ? "CAST(X'FFFE41' AS TEXT)" : "E'\\n\\tA'";
        m_env.Execute("Register.db", std::string("INSERT INTO [register]([房间号],[姓名],[住房日期],[交钱],[押金]) VALUES "
                                                 "('101',") + unreadable + ",'2026-03-01 10:00:00','100','20'),"
                                                 "('101','王五','2026-03-02 10:00:00','50','0')");
        m_binary = std::stol(QueryOne("Register.db", "SELECT [ID] FROM [register] WHERE [交钱]='100'"));
    }

    std::string CheckedOut(long id)
    {
        return QueryOne("Register.db",
                        "SELECT [退房日期] IS NOT NULL FROM [register] WHERE [ID]=" + std::to_string(id));
    }

    long m_binary = 0;
};

}  // namespace

TEST_F(CheckOutStay, TheStayOfTheKeyClosesWhateverItsNameReadsAs)
{
    ASSERT_TRUE(CheckOut(m_db, m_binary, CheckOutBill{100, 20, 80}));
    EXPECT_EQ(CheckedOut(m_binary), "1");
    EXPECT_EQ(QueryOne("Register.db", "SELECT COUNT(*) FROM [register] WHERE [退房日期] IS NULL"), "1")
        << "王五 stays";
    const auto book = m_env.Query("Cashbook.db", "SELECT [房间号],[交易金额],[状态] FROM [cashbook]");
    EXPECT_EQ(book, (std::vector<std::vector<std::string>>{{"101", "80.000000", "1"}}));
    EXPECT_EQ(QueryOne("Hotel.db", "SELECT [房间人数] || ',' || [住房] FROM [house] WHERE [房间号]='101'"), "1,1");
}

// A bill is booked only with the stay it closes: no cash-book row, no person
// taken off, when that stay is not open (any more), by key or by name.
TEST_F(CheckOutStay, NoOpenStayWritesNothing)
{
    ASSERT_TRUE(CheckOut(m_db, m_binary, CheckOutBill{100, 20, 80}));
    const std::string after = Dumps();
    EXPECT_FALSE(CheckOut(m_db, m_binary, CheckOutBill{100, 20, 80})) << "checked out twice";
    EXPECT_FALSE(CheckOut(m_db, 9999, CheckOutBill{100, 20, 80}));
    EXPECT_FALSE(CheckOut(m_db, "101", wxString::FromUTF8("王五五"), CheckOutBill{50, 0, 80}));
    EXPECT_FALSE(CheckOut(m_db, "102", wxString::FromUTF8("王五"), CheckOutBill{50, 0, 80})) << "another room";
    EXPECT_EQ(Dumps(), after);

    EXPECT_TRUE(CheckOut(m_db, "101", wxString::FromUTF8("王五"), CheckOutBill{50, 0, 80}));
    EXPECT_EQ(QueryOne("Hotel.db", "SELECT [房间人数] || ',' || [住房] FROM [house] WHERE [房间号]='101'"), "0,0");
}

TEST(CheckOutTexts, AStayThatIsGoneIsToldInTheUiLanguage)
{
    EXPECT_TRUE(StayGoneMessage(1).StartsWith(wxString::FromUTF8("没有完成：")));
    EXPECT_TRUE(StayGoneMessage(2).StartsWith("This was not done: "));
}
