// The cash book's figures: what a row adds to the total, the month sums of a
// year, the chart's scale, and the texts the window and the chart show; and
// the status toggle, the cash book's one write.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "CashBookFigures.h"
#include "CashBookOperations.h"
#include "CashBookSums.h"
#include "CCashbookset.h"
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

// The year's chart on either back end: the rows of the year counted by month,
// the last moment of the year before (it rounds into January) too, what lies
// in other years and rows that do not count left out.
TEST_F(CashBookStatus, TheChartSumsTheYearsCountedRowsByMonth)
{
    m_env.Execute("Cashbook.db", "INSERT INTO [cashbook]([房间号],[姓名],[时间],[交易金额],[状态]) VALUES "
                                 "('101','c','2025-01-05 10:00:00','100',1),"
                                 "('101','d','2025-03-31 23:59:59','20.5',1),"
                                 "('101','e','2025-12-31 23:59:58','7',1),"
                                 "('101','f','2024-12-31 23:59:59.600','3',1),"
                                 "('101','g','2025-06-01 09:00:00','40',0),"
                                 "('101','h','2026-01-01 00:00:00','900',1),"
                                 "('101','i','2024-06-01 00:00:00','800',1)");
    const std::vector<double> sums = SumMonths(m_db.m_dbCashbook, 2025);
    EXPECT_EQ(sums, (std::vector<double>{103, 0, 20.5, 0, 0, 0, 0, 0, 0, 0, 0, 7}));
}

// ---------------------------------------------------------------- the sums the database adds

namespace {

// The sums as the program reads the rows itself: every row walked, each
// amount, status and time read by the recordset and added in the table's order.
class CashBookSumsFromSql : public DeskData
{
protected:
    CDatabase& Cash() { return m_db.m_dbCashbook; }

    // The table holds these rows alone; each is "(time, amount, status)" in SQL.
    void Store(const std::vector<std::string>& rows)
    {
        std::string sql = "BEGIN; DELETE FROM [cashbook];";
        for (const std::string& row : rows)
            sql += "INSERT INTO [cashbook]([时间],[交易金额],[状态]) VALUES " + row + ";";
        ExecuteOnDatabase(File("Cashbook.db"), sql + "COMMIT;");
    }

    long long LastKey() { return std::stoll("0" + QueryOne("Cashbook.db", "SELECT max([ID]) FROM [cashbook]")); }

    double WalkedTotal()
    {
        CCashbookset rows(&Cash());
        rows.Open(CRecordset::dynaset);
        double sum = 0.0;
        for (; !rows.IsEOF(); rows.MoveNext())
            sum += CountedAmount(rows.m_bStatus, rows.m_strAmount);
        return sum;
    }

    std::vector<double> WalkedMonths(int year)
    {
        CCashbookset rows(&Cash());
        rows.Open(CRecordset::dynaset);
        std::vector<double> sums(12, 0.0);
        for (; !rows.IsEOF(); rows.MoveNext())
            AddToMonthSums(sums, year, rows.m_bStatus, rows.m_dtTime, rows.m_strAmount);
        return sums;
    }

    double Total() { return CountedTotal(Cash(), LastKey()).Sum(); }
};

std::string Row(const std::string& time, const std::string& amount, const std::string& status = "1")
{
    return "(" + time + ", " + amount + ", " + status + ")";
}

// Each amount alone beside a whole one, so that the order of adding cannot
// matter: the database's reading must be the program's to the last bit, or
// the program must read the row itself.
TEST_F(CashBookSumsFromSql, EveryStoredFormOfAnAmountAddsWhatTheProgramReads)
{
    const char* amounts[] = {
        "'150.000000'", "'33.333333'", "'3353.581277'", "'-3353.581277'", "'99.990000'", "'99.99'", "'12.5'",
        "'-20'", "'150'", "' 150'", "'150 '", "'007'", "'+5'", "'.5'", "'5.'", "'-0'", "'-.500000'",
        "'0x10'", "'0X1p3'", "'1e999'", "'-1e999'", "'1e5'", "'1.5e+100'", "'1.2e-100'", "'15e0'",
        "'1.0e-1000'", "'nan'", "'inf'", "'infinity'", "''", "'   '", "'" "\xEF\xBF\xA5" "100'",
        "'" "\xEF\xBC\x91\xEF\xBC\x90\xEF\xBC\x90" "'", "'" "\xE4\xB8\x83\xE5\x8D\x81" "'",
        "' 7" "\xE5\x85\x83" "'", "'1234567890123.123400'", "'12345678901234.123400'",
        "'9007199254740993'", "'12345678901234567890123'", "'0.000100'", "'0.000050'",
        "'100000000000000000000000000000.0e-29'", "CAST(X'3132FF' AS TEXT)", "X'313530'",
        "'12.3456789012345678901'", "'1' || char(0) || '5'",
    };
    for (const char* amount : amounts) {
        SCOPED_TRACE(amount);
        Store({Row("'2024-03-05 14:07:00'", "'100'"), Row("'2024-03-05 15:00:00'", amount)});
        EXPECT_EQ(Total(), WalkedTotal());
        EXPECT_EQ(SumMonths(Cash(), 2024), WalkedMonths(2024));
    }
}

TEST_F(CashBookSumsFromSql, OnlyStatusesTheProgramReadsAsTrueCount)
{
    for (const char* status : {"1", "0", "2", "-1", "'1'", "' 1'", "'abc'", "'2x'", "0.5", "1.0", "X'31'"}) {
        SCOPED_TRACE(status);
        Store({Row("'2024-03-05 14:07:00'", "'100.000000'", status), Row("'2024-04-05 14:07:00'", "'7'", "1")});
        EXPECT_EQ(Total(), WalkedTotal());
        EXPECT_EQ(SumMonths(Cash(), 2024), WalkedMonths(2024));
    }
}

// A time counts in the month the program reads from it, which rounds to the
// nearest second: the last half second of a year belongs to the next.
TEST_F(CashBookSumsFromSql, EveryStoredFormOfATimeCountsInTheMonthTheProgramReads)
{
    const char* times[] = {
        "'2024-03-05 14:07:00'", "'2024-03-05 14:07:00.123'", "'2024/03/05 14:07'", "'2024-3-5 9:05'",
        "'2024-03-05T14:07:00'", "'2024-03-05'", "'2024-03-05 14:07:00 '", "' 2024-03-05 14:07:00'",
        "'2023-12-31 23:59:59.600'", "'2023-12-31 23:59:59.400'", "'2023/12/31 23:59:59.9'",
        "'2024-12-31 23:59:59.700'", "'2024-01-31 23:59:59.500'", "'2024-01-31 23:59:59.499'",
        "'2024-02-29 12:00:00'", "'2023-02-29 12:00:00'", "'2024-02-30 12:00:00'", "'2024-04-31 12:00:00'",
        "'2024-13-01 00:00:00'",
        "'2024-03-05 24:00:00'", "'2024-03-05 23:60:00'", "'2024-03-05 14:07:60'", "'2024-03-05 14:07:00.1234'",
        "'0099-03-05 12:00:00'", "'20240305'", "20240305", "2460374.5", "NULL", "X'323032342D30332D3035'",
        "'2024-03-05 14:07:00.000abc'", "'2024-1-1 0:0'",
    };
    for (const char* time : times) {
        SCOPED_TRACE(time);
        Store({Row(time, "'100.000000'")});
        for (int year : {2023, 2024, 2025})
            EXPECT_EQ(SumMonths(Cash(), year), WalkedMonths(year)) << year;
    }
    EXPECT_EQ(SumMonths(Cash(), 99), std::vector<double>(12, 0.0));
}

// Many amounts of the program's own form, none left to the program: the sums
// are the database's, added in the table's order and handed over to the last bit.
TEST_F(CashBookSumsFromSql, SumsOfManyRowsAreTheProgramsToTheLastBit)
{
    std::vector<std::string> rows;
    unsigned seed = 12345;
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 1103515245u + 12345u;
        const unsigned cents = (seed >> 8) % 2000000;
        char time[40], amount[40];
        std::snprintf(time, sizeof time, "'%d-%02d-%02d 12:%02d:00'", 2023 + i % 2, 1 + i % 12, 1 + i % 28, i % 60);
        std::snprintf(amount, sizeof amount, "'%s%u.%02u%02u00'", i % 7 == 0 ? "-" : "", cents / 100, cents % 100,
                      (seed >> 4) % 100);
        rows.push_back(Row(time, amount, i % 10 == 0 ? "0" : "1"));
    }
    Store(rows);
    // From 3.43 on SQLite compensates the rounding of its sums: they come
    // closer to the exact sum than adding one by one does, by a few bits.
    const auto expectSame = [](double sql, double walked) {
        if (sqlite3_libversion_number() < 3043000)
            EXPECT_EQ(sql, walked);
        else
            EXPECT_NEAR(sql, walked, std::fabs(walked) * 1e-12);
    };
    const double walked = WalkedTotal();
    expectSame(Total(), walked);
    EXPECT_NE(walked, std::round(walked * 100) / 100) << "the sum is to be one that rounding could move";
    for (int year : {2023, 2024}) {
        SCOPED_TRACE(year);
        const std::vector<double> sql = SumMonths(Cash(), year), months = WalkedMonths(year);
        for (size_t m = 0; m < 12; ++m)
            expectSame(sql[m], months[m]);
    }
}

// The rows the program reads itself are found once; a later sum follows every
// flipped status, and a write of anything else, here or by another program,
// makes the next sum look at every row again.
TEST_F(CashBookSumsFromSql, AKeptTotalFollowsFlipsAndEveryOtherWrite)
{
    Store({Row("'2024-03-05 14:07:00'", "'150.000000'"), Row("'2024-03-06 14:07:00'", "'12.5'"),
           Row("'2024-03-07 14:07:00'", "'80'", "0")});
    CountedTotal total(Cash(), LastKey());
    EXPECT_EQ(total.Sum(), 162.5);

    const long third = long(LastKey());
    const unsigned long before = total.WriteSerial();
    ASSERT_EQ(ToggleCashBookStatus(m_db, third), std::optional<BOOL>(TRUE));
    total.Flipped(before);
    EXPECT_EQ(total.Sum(), 242.5);

    // Another program writes the file: its amounts are read again.
    ExecuteOnDatabase(File("Cashbook.db"), "UPDATE [cashbook] SET [交易金额] = '0x10' WHERE [交易金额] = '80'");
    EXPECT_EQ(total.Sum(), WalkedTotal());
    // So does a write of this program that is not a flip told to the total.
    Cash().ExecuteSQL(U("UPDATE [cashbook] SET [交易金额] = '1e999' WHERE [交易金额] = '150.000000'"));
    EXPECT_EQ(total.Sum(), WalkedTotal());
    EXPECT_EQ(total.Sum(), 12.5 + 16);
}

}  // namespace
