// Lists, default name, hour count and hourly end of the check-in dialog.
#include <gtest/gtest.h>

#include "CRegisterDlg.h"
#include "IdNumber.h"
#include "Money.h"

namespace {

CString U(const char* utf8) { return wxString::FromUTF8(utf8); }

TEST(RegisterLists, NationsAreFiftySixInOrder)
{
    std::vector<CString> n = RegisterNationNames();
    ASSERT_EQ(n.size(), 56u);
    EXPECT_EQ(n.front(), U("汉族"));
    EXPECT_EQ(n[5], U("维吾尔族"));
    EXPECT_EQ(n[21], U("柯尔克孜族"));
    EXPECT_EQ(n.back(), U("塔塔尔族"));
}

TEST(RegisterLists, MoneyAndHoursSortedAsText)
{
    std::vector<CString> paid = {"100.000", "150.000", "40.000", "50.000", "60.000"};
    EXPECT_EQ(RegisterPaidChoices(), paid);
    std::vector<CString> deposit = {"0.000", "10.000", "20.000", "30.000"};
    EXPECT_EQ(RegisterDepositChoices(), deposit);
    std::vector<CString> hours = RegisterHourChoices();
    ASSERT_EQ(hours.size(), 23u);
    EXPECT_EQ(hours[0], "0");
    EXPECT_EQ(hours[1], "1");
    EXPECT_EQ(hours[2], "10");
    EXPECT_EQ(hours[12], "2");
    EXPECT_EQ(hours[15], "22");
    EXPECT_EQ(hours[16], "3");
    EXPECT_EQ(hours.back(), "9");
}

TEST(RegisterLists, ValuePushSelectsOnlyTheEqualEntry)
{
    // A typed or stored value is never replaced by a longer entry it begins.
    const std::vector<CString> paid = RegisterPaidChoices();
    EXPECT_EQ(FindComboEntry(paid, "150.000"), 1);
    EXPECT_EQ(FindComboEntry(paid, "15"), -1);
    EXPECT_EQ(FindComboEntry(paid, "1"), -1);
    EXPECT_EQ(FindComboEntry(RegisterDepositChoices(), "2"), -1);
    EXPECT_EQ(FindComboEntry(RegisterHourChoices(), "1"), 1);
    EXPECT_EQ(FindComboEntry(RegisterNationNames(), U("回")), -1);
    EXPECT_EQ(FindComboEntry(RegisterNationNames(), U("回族")), 1);
}

TEST(RegisterName, DefaultNameCarriesRowCount)
{
    EXPECT_EQ(RegisterDefaultName(7), U("客户7"));
    EXPECT_EQ(RegisterDefaultName(0), U("客户0"));
}

TEST(RegisterHours, ParseTakesLeadingIntegerOnly)
{
    EXPECT_EQ(ParseHourCount("5"), 5);
    EXPECT_EQ(ParseHourCount("12abc"), 12);
    EXPECT_EQ(ParseHourCount("abc"), 0);
    EXPECT_EQ(ParseHourCount(""), 0);
    EXPECT_EQ(ParseHourCount("-3"), -3);
}

TEST(RegisterHours, EndOnSameDayWhenBeforeMidnight)
{
    COleDateTime start(2024, 3, 5, 10, 20, 30), end;
    ASSERT_TRUE(ComputeHourlyEnd(start, 5, end));
    EXPECT_EQ(end.GetYear(), 2024);
    EXPECT_EQ(end.GetMonth(), 3);
    EXPECT_EQ(end.GetDay(), 5);
    EXPECT_EQ(end.GetHour(), 15);
    EXPECT_EQ(end.GetMinute(), 20);
    EXPECT_EQ(end.GetSecond(), 30);
}

TEST(RegisterHours, PassingMidnightMovesToNextDay)
{
    COleDateTime start(2024, 12, 31, 21, 40, 15), end;
    ASSERT_TRUE(ComputeHourlyEnd(start, 5, end));
    EXPECT_EQ(end.GetYear(), 2025);
    EXPECT_EQ(end.GetMonth(), 1);
    EXPECT_EQ(end.GetDay(), 1);
    EXPECT_EQ(end.GetHour(), 2);
    EXPECT_EQ(end.GetMinute(), 40);
    EXPECT_EQ(end.GetSecond(), 15);
    EXPECT_FALSE(end < start);
}

TEST(RegisterHours, LongCountNeverEndsBeforeStart)
{
    COleDateTime start(2024, 2, 28, 23, 0, 0), end;
    ASSERT_TRUE(ComputeHourlyEnd(start, 49, end));
    EXPECT_EQ(end.GetMonth(), 3);
    EXPECT_EQ(end.GetDay(), 2);  // 2024 is a leap year
    EXPECT_EQ(end.GetHour(), 0);
    EXPECT_TRUE(start < end);
}

TEST(RegisterHours, ZeroOrNegativeStartsNoHourlyStay)
{
    COleDateTime start(2024, 3, 5, 10, 0, 0), end(2000, 1, 1, 0, 0, 0);
    EXPECT_FALSE(ComputeHourlyEnd(start, 0, end));
    EXPECT_FALSE(ComputeHourlyEnd(start, -2, end));
    EXPECT_EQ(end.GetYear(), 2000);
}

TEST(RegisterIdNumber, RejectsEmptyLettersAndChinese)
{
    EXPECT_TRUE(CRegisterDlg::CheckIdNumber(""));
    EXPECT_TRUE(CRegisterDlg::CheckIdNumber(U("1101一")));
    EXPECT_TRUE(CRegisterDlg::CheckIdNumber("1101051949123100AX"));
    EXPECT_FALSE(CRegisterDlg::CheckIdNumber("110105 1949 1231"));
    EXPECT_FALSE(CRegisterDlg::CheckIdNumber(U("１２３４")));
}

TEST(RegisterIdNumber, ResidentNumberEndingInXIsAcceptedAndStoredWithCapitalX)
{
    // About one resident in eleven has the check character X.
    EXPECT_FALSE(CRegisterDlg::CheckIdNumber("11010519491231002X"));
    EXPECT_FALSE(CRegisterDlg::CheckIdNumber("11010519491231002x"));
    EXPECT_EQ(NormalizeIdNumber("11010519491231002x"), "11010519491231002X");
    EXPECT_EQ(NormalizeIdNumber("11010519491231002X"), "11010519491231002X");
    EXPECT_EQ(NormalizeIdNumber("110105 1949 1231"), "110105 1949 1231");

    // Only as the 18th character after 17 digits.
    for (const char* refused : {"1101051949123100X", "110105194912310021X", "1101051949123100XX", "X11010519491231002",
                                "1101051949123100 X", "11010519491231002Y"})
        EXPECT_TRUE(CRegisterDlg::CheckIdNumber(refused)) << refused;
    EXPECT_TRUE(CRegisterDlg::CheckIdNumber(U("１１０１０５１９４９１２３１００２X")));
}

TEST(RegisterIdNumber, OnlyBlanksCountAsEmpty)
{
    for (const wxString& blank : {wxString(" "), wxString("   "), wxString("\t "), U("\u3000")})
        EXPECT_TRUE(CRegisterDlg::CheckIdNumber(blank)) << blank;
    EXPECT_FALSE(CRegisterDlg::CheckIdNumber(" 1 "));
}

TEST(RegisterMoney, FullWidthAmountsReadAsTheirAsciiForm)
{
    // What an input method in full-width mode types.
    EXPECT_DOUBLE_EQ(ParseMoney(U("１００")), 100.0);
    EXPECT_DOUBLE_EQ(ParseMoney(U("９９．５")), 99.5);
    EXPECT_DOUBLE_EQ(ParseMoney(U("－２０．２５")), -20.25);
    EXPECT_DOUBLE_EQ(ParseMoney(U("＋８")), 8.0);
    EXPECT_DOUBLE_EQ(ParseMoney(U("\u3000１５元")), 15.0);
    EXPECT_DOUBLE_EQ(ParseMoney(U("1５.５")), 15.5) << "mixed forms";
    EXPECT_DOUBLE_EQ(ParseMoney(U("ｎａｎ")), 0.0);
    EXPECT_DOUBLE_EQ(ParseMoney(U("八十")), 0.0);
}

TEST(RegisterTexts, SexTitleAndMessageByLanguage)
{
    EXPECT_TRUE(IsManText(U("男")));
    EXPECT_TRUE(IsManText("Man"));
    EXPECT_FALSE(IsManText(U("女")));
    EXPECT_FALSE(IsManText("Woman"));
    EXPECT_EQ(RegisterTitle(1, 0), U("登记记录"));
    EXPECT_EQ(RegisterTitle(2, 0), "Register record");
    EXPECT_EQ(RegisterTitle(2, 1), "Modify record");
    EXPECT_EQ(RegisterTitle(2, 2), U("查看"));
    EXPECT_EQ(RegisterIdRejectMessage(1), U("证件号不能为空，或有字母或汉字请检查！！"));
    EXPECT_NE(RegisterIdRejectMessage(2).Find("check id card number"), wxNOT_FOUND);
}

}  // namespace
