// The cash book's figures: what a row adds to the total, the month sums of a
// year, the chart's scale, and the texts the window and the chart show; and
// the status toggle, the cash book's one write.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "CashBookFigures.h"
#include "CashBookOperations.h"
#include "DeskData.h"

namespace {

CString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

COleDateTime Null()
{
    COleDateTime t;
    t.SetStatus(COleDateTime::null);
    return t;
}

TEST(CashBookTotals, OnlyRowsThatCountAddTheLeadingNumberOfTheirAmount)
{
    EXPECT_DOUBLE_EQ(150.0, CountedAmount(TRUE, "150.000000"));
    EXPECT_DOUBLE_EQ(12.5, CountedAmount(TRUE, "12.5"));
    EXPECT_DOUBLE_EQ(-20.0, CountedAmount(TRUE, "-20"));
    EXPECT_DOUBLE_EQ(7.0, CountedAmount(TRUE, U(" 7元")));
    EXPECT_DOUBLE_EQ(0.0, CountedAmount(TRUE, U("七十")));
    EXPECT_DOUBLE_EQ(0.0, CountedAmount(TRUE, ""));
    EXPECT_DOUBLE_EQ(0.0, CountedAmount(FALSE, "150"));
    // Not-a-number texts must not poison every total after them.
    EXPECT_DOUBLE_EQ(0.0, CountedAmount(TRUE, "nan"));
    EXPECT_DOUBLE_EQ(0.0, CountedAmount(TRUE, "inf"));

    EXPECT_EQ("350.000000", FormatCashBookTotal(350));
    EXPECT_EQ("0.000000", FormatCashBookTotal(0));
    EXPECT_EQ("-0.500000", FormatCashBookTotal(-0.5));
}

TEST(CashBookTotals, RowTexts)
{
    EXPECT_EQ(U("2024年03月05日14时07分"), FormatCashBookTime(COleDateTime(2024, 3, 5, 14, 7, 59)));
    EXPECT_EQ("", FormatCashBookTime(Null()));
    COleDateTime invalid;
    invalid.SetStatus(COleDateTime::invalid);
    EXPECT_EQ("Invalid DateTime", FormatCashBookTime(invalid));
    EXPECT_EQ(U("成功"), CashBookStatusText(TRUE));
    EXPECT_EQ(U("失败"), CashBookStatusText(FALSE));
}

TEST(CashBookChart, MonthSumsTakeTheCountedRowsOfTheYear)
{
    std::vector<double> sums;
    AddToMonthSums(sums, 2024, TRUE, COleDateTime(2024, 3, 10, 9, 0, 0), "99.99");
    AddToMonthSums(sums, 2024, TRUE, COleDateTime(2024, 3, 31, 23, 59, 0), "0.01");
    AddToMonthSums(sums, 2024, FALSE, COleDateTime(2024, 3, 11, 9, 0, 0), "1000");
    AddToMonthSums(sums, 2024, TRUE, COleDateTime(2023, 12, 31, 23, 0, 0), "500");
    AddToMonthSums(sums, 2024, TRUE, COleDateTime(2025, 1, 1, 0, 0, 0), "500");
    AddToMonthSums(sums, 2024, TRUE, COleDateTime(2024, 1, 1, 0, 0, 0), "40");
    AddToMonthSums(sums, 2024, TRUE, COleDateTime(2024, 12, 31, 12, 0, 0), "x");
    AddToMonthSums(sums, 2024, TRUE, Null(), "300");

    ASSERT_EQ(12u, sums.size());
    EXPECT_DOUBLE_EQ(40.0, sums[0]);
    // Cents count, as they do in the cash book's own total.
    EXPECT_NEAR(100.0, sums[2], 1e-9);
    for (int m : {1, 3, 4, 5, 6, 7, 8, 9, 10, 11})
        EXPECT_EQ(0.0, sums[m]) << "month " << m + 1;
}

TEST(CashBookChart, TheLargestPositiveMonthFillsThePlot)
{
    const int plot = 310;
    {
        const std::vector<double> sums{100, 50, 0, 25, 0, 0, 0, 0, 0, 0, 0, 99.99};
        const double scale = ChartScale(sums, plot);
        EXPECT_EQ(310, ChartBarHeight(100, scale, plot));
        EXPECT_EQ(155, ChartBarHeight(50, scale, plot));
        EXPECT_EQ(77, ChartBarHeight(25, scale, plot));
        EXPECT_EQ(309, ChartBarHeight(99.99, scale, plot));
        EXPECT_EQ(0, ChartBarHeight(0, scale, plot));
    }
    for (double largest : {19.0, 3.0, 0.01, 7777777.77, 1e15}) {
        const std::vector<double> sums{largest, largest / 2};
        const double scale = ChartScale(sums, plot);
        const int h = ChartBarHeight(largest, scale, plot);
        EXPECT_GE(h, 309) << largest;
        EXPECT_LE(h, 310) << largest;
    }
    // Nothing positive: no bar stands, and a month of refunds neither turns the
    // scale round nor reaches out of the plot.
    EXPECT_EQ(0, ChartBarHeight(0, ChartScale(std::vector<double>(12, 0.0), plot), plot));
    const std::vector<double> refunds{-50, 0, -10};
    EXPECT_EQ(0, ChartBarHeight(-50, ChartScale(refunds, plot), plot));
    const std::vector<double> mixed{-500, 20};
    const double scale = ChartScale(mixed, plot);
    EXPECT_EQ(0, ChartBarHeight(-500, scale, plot));
    EXPECT_EQ(310, ChartBarHeight(20, scale, plot));
}

TEST(CashBookChart, Texts)
{
    EXPECT_EQ(U("3月"), ChartMonthLabel(1, 3));
    EXPECT_EQ("12", ChartMonthLabel(2, 12));
    EXPECT_EQ(U("￥99.99"), ChartValueLabel(99.99));
    EXPECT_EQ(U("￥-20.00"), ChartValueLabel(-20));

    const ChartTitle chinese = GetChartTitle(1, 2024, 350);
    EXPECT_EQ(U("2024年总收入￥350.00"), chinese.text);
    EXPECT_EQ(225, chinese.x);
    const ChartTitle english = GetChartTitle(2, 2023, 0);
    EXPECT_EQ(U("Total revenues in 2023Year of ￥0.00 money"), english.text);
    EXPECT_EQ(125, english.x);
    EXPECT_TRUE(GetChartTitle(3, 2024, 1).text.empty());
}

}  // namespace

// ---------------------------------------------------------------- the status toggle

namespace {

class CashBookStatus : public DeskData
{
protected:
    void SetUp() override
    {
        DeskData::SetUp();
        if (IsSkipped())
            return;
        m_env.Execute("Cashbook.db", "INSERT INTO [cashbook]([房间号],[姓名],[交易金额],[状态]) VALUES "
                                     "('101','a','150',1),('102','b','80',0)");
    }

    std::string Statuses()
    {
        return QueryOne("Cashbook.db", TestEnvironment::Backend() == TestBackend::sqlite
                                           ? "SELECT group_concat([状态], ',') FROM [cashbook]"
                                           : "SELECT string_agg([状态]::text, ',' ORDER BY [ID]) FROM [cashbook]");
    }

    long KeyOf(const char* room)
    {
        return std::stol(QueryOne("Cashbook.db", std::string("SELECT [ID] FROM [cashbook] WHERE [房间号]='") + room + "'"));
    }
};

}  // namespace

TEST_F(CashBookStatus, FlipsTheRowOfTheKeyAndGivesWhatWasStored)
{
    EXPECT_EQ(ToggleCashBookStatus(m_db, KeyOf("102")), std::optional<BOOL>(TRUE));
    EXPECT_EQ(Statuses(), "1,1");
    EXPECT_EQ(ToggleCashBookStatus(m_db, KeyOf("101")), std::optional<BOOL>(FALSE));
    EXPECT_EQ(ToggleCashBookStatus(m_db, KeyOf("101")), std::optional<BOOL>(TRUE));
    EXPECT_EQ(Statuses(), "1,1");
}

TEST_F(CashBookStatus, ARowThatIsGoneChangesNothing)
{
    const std::string before = Dumps();
    EXPECT_EQ(ToggleCashBookStatus(m_db, 9999), std::nullopt);
    EXPECT_EQ(Dumps(), before);
}
