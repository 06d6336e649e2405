// The UI language's locale: which one each language gets, and that money,
// bills and dates read and write the same in it as in the "C" locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>
#include <wx/datetime.h>
#include <wx/uilocale.h>

#include "COleDateTime.h"
#include "CRegEndDlg.h"
#include "CUserRWnd.h"
#include "Money.h"
#include "StayOperations.h"
#include "UiLocale.h"

namespace {

wxString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

// What the program's own code makes of amounts and dates, as text.
std::vector<std::string> NumbersAndDates()
{
    std::vector<std::string> out;
    for (const char* money : {"1234.5", "12,5", "1e3", " 80.000", "abc"})
        out.push_back(std::to_string(ParseMoney(money)));
    out.push_back(NormaliseMoney("12.5").ToStdString());
    out.push_back(std::to_string(ComputeBillTotal(3, "80.5")));
    for (const BillLine& line : GetBillLines(2, 100, 20, 3, 241.5, -141.5))
        out.push_back(line.text.utf8_string());
    const wxString dates[] = {"2024-03-05 14:00:00", U("2024年3月5日 14:05"), U("2024-03-05\u300014:00"), "3/5/2024",
                              U("\u30002024-03-05")};
    for (const wxString& text : dates) {
        COleDateTime date;
        out.push_back(date.ParseDateTime(text) ? date.Format(U("%Y年%m月%d日%H时%M分")).utf8_string() : "refused");
    }
    return out;
}

struct CLocaleAfterwards
{
    ~CLocaleAfterwards()
    {
        wxUILocale::UseLocaleName("C");
        std::setlocale(LC_ALL, "C");
        unsetenv("LANGUAGE");
    }
};

TEST(UiLocale, ChineseForEveryLanguageButEnglish)
{
    EXPECT_STREQ(UiLocaleName(0), "zh_CN.UTF-8");
    EXPECT_STREQ(UiLocaleName(1), "zh_CN.UTF-8");
    EXPECT_STREQ(UiLocaleName(7), "zh_CN.UTF-8");
    EXPECT_STREQ(UiLocaleName(2), "en_US.UTF-8");
}

TEST(UiLocale, AmountsBillsAndDatesReadAndWriteAsInTheCLocale)
{
    const CLocaleAfterwards restore;
    std::setlocale(LC_ALL, "C");
    const std::vector<std::string> inC = NumbersAndDates();
    for (int language : {1, 2}) {
        ASSERT_TRUE(ApplyUiLocale(language)) << UiLocaleName(language) << " is not installed (scripts/setup.sh)";
        EXPECT_STREQ(std::setlocale(LC_MESSAGES, nullptr), UiLocaleName(language));
        EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
        EXPECT_EQ(NumbersAndDates(), inC) << "under " << UiLocaleName(language);
    }
}

// The date pickers show the toolkit's short date: 9 December 2026 in the
// language's order, not in the US one under both.
TEST(UiLocale, TheToolkitsShortDateFollowsTheLanguage)
{
    const CLocaleAfterwards restore;
    const wxDateTime day(9, wxDateTime::Dec, 2026);
    const auto shortDate = [&day] { return day.Format(wxUILocale::GetCurrent().GetInfo(wxLOCALE_SHORT_DATE_FMT)); };
    ASSERT_TRUE(ApplyUiLocale(1));
    EXPECT_EQ(shortDate(), U("2026年12月09日"));
    ASSERT_TRUE(ApplyUiLocale(2));
    EXPECT_EQ(shortDate(), "12/09/2026");
}

}  // namespace
