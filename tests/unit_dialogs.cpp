// Password comparison of the password prompt, room-field checks and texts of the
// add/modify room dialog, and the front desk's start values.
#include <gtest/gtest.h>

#include <string>

#include "CAddHouse.h"
#include "CPasswordDlg.h"
#include "CodePage.h"
#include "Globals.h"
#include "LockSettings.h"

namespace {

CString U(const char* utf8) { return wxString::FromUTF8(utf8); }

// Restores the held password after each test.
class HeldPassword : public ::testing::Test
{
protected:
    void SetUp() override { m_saved = g_lockSettings.m_strPassword; }
    void TearDown() override { g_lockSettings.m_strPassword = m_saved; }
    std::string m_saved;
};

TEST_F(HeldPassword, EmptyHeldPasswordAcceptsEmptyField)
{
    g_lockSettings.m_strPassword.clear();
    EXPECT_TRUE(PasswordMatchesHeld(""));
    EXPECT_FALSE(PasswordMatchesHeld(" "));
    EXPECT_FALSE(PasswordMatchesHeld("a"));
}

TEST_F(HeldPassword, ComparisonIsCaseSensitiveAndWhole)
{
    g_lockSettings.m_strPassword = "abc";
    EXPECT_TRUE(PasswordMatchesHeld("abc"));
    EXPECT_FALSE(PasswordMatchesHeld("ABC"));
    EXPECT_FALSE(PasswordMatchesHeld("Abc"));
    EXPECT_FALSE(PasswordMatchesHeld("ab"));
    EXPECT_FALSE(PasswordMatchesHeld("abcd"));
    EXPECT_FALSE(PasswordMatchesHeld("abc "));
    EXPECT_FALSE(PasswordMatchesHeld(" abc"));
}

TEST_F(HeldPassword, HeldPasswordIsReadInTheOemCodePage)
{
    // The held bytes are GBK, not UTF-8: comparing raw bytes would fail.
    const CString chinese = U("密码一");
    g_lockSettings.m_strPassword = ToCodePage(chinese, CP_OEMCP);
    ASSERT_NE(g_lockSettings.m_strPassword, std::string(chinese.utf8_str()));
    EXPECT_TRUE(PasswordMatchesHeld(chinese));
    EXPECT_FALSE(PasswordMatchesHeld(U("密码")));
}

TEST(PasswordMatches, ComparesAgainstGivenBytes)
{
    EXPECT_TRUE(PasswordMatches("1234", "1234"));
    EXPECT_FALSE(PasswordMatches("1234", "12345"));
    EXPECT_TRUE(PasswordMatches("", ""));
}

TEST(PasswordDlgTexts, ByLanguage)
{
    for (int language : {0, 1}) {
        PasswordDlgTexts t = GetPasswordDlgTexts(language);
        EXPECT_EQ(t.title, U("输入密码"));
        EXPECT_TRUE(t.label.empty());
        EXPECT_TRUE(t.ok.empty());
        EXPECT_TRUE(t.cancel.empty());
    }
    PasswordDlgTexts en = GetPasswordDlgTexts(2);
    EXPECT_EQ(en.title, "Input Password");
    EXPECT_EQ(en.label, "Password:");
    EXPECT_EQ(en.ok, "OK");
    EXPECT_EQ(en.cancel, "CANCEL");
    PasswordDlgTexts other = GetPasswordDlgTexts(7);
    EXPECT_TRUE(other.title.empty());
    EXPECT_TRUE(other.label.empty());
}

TEST(CheckRoomNo, DigitsOnly)
{
    EXPECT_EQ(CheckRoomNo("101"), RoomNoCheck::Ok);
    EXPECT_EQ(CheckRoomNo("0"), RoomNoCheck::Ok);
    EXPECT_EQ(CheckRoomNo("0099"), RoomNoCheck::Ok);
    EXPECT_EQ(CheckRoomNo("9876543210"), RoomNoCheck::Ok);
}

TEST(CheckRoomNo, EmptyIsSilentRefusal)
{
    EXPECT_EQ(CheckRoomNo(""), RoomNoCheck::Empty);
}

TEST(CheckRoomNo, RefusesAnythingButAsciiDigits)
{
    EXPECT_EQ(CheckRoomNo("10a"), RoomNoCheck::NotDigits);
    EXPECT_EQ(CheckRoomNo("A10"), RoomNoCheck::NotDigits);
    EXPECT_EQ(CheckRoomNo("1 0"), RoomNoCheck::NotDigits);
    EXPECT_EQ(CheckRoomNo(" 10"), RoomNoCheck::NotDigits);
    EXPECT_EQ(CheckRoomNo("-10"), RoomNoCheck::NotDigits);
    EXPECT_EQ(CheckRoomNo("10.5"), RoomNoCheck::NotDigits);
    EXPECT_EQ(CheckRoomNo(U("１０１")), RoomNoCheck::NotDigits);  // full-width digits
    EXPECT_EQ(CheckRoomNo(U("١٢")), RoomNoCheck::NotDigits);      // Arabic-Indic digits
    EXPECT_EQ(CheckRoomNo(U("一零一")), RoomNoCheck::NotDigits);
    EXPECT_EQ(CheckRoomNo("/"), RoomNoCheck::NotDigits);  // just below '0'
    EXPECT_EQ(CheckRoomNo(":"), RoomNoCheck::NotDigits);  // just above '9'
}

TEST(AddHouse, DigitsMessage)
{
    EXPECT_EQ(RoomNoDigitsMessage(), U("房间号只能是数字!"));
}

TEST(AddHouse, PriceListInTextOrder)
{
    std::vector<CString> prices = AddHousePriceChoices();
    ASSERT_EQ(prices.size(), 5u);
    EXPECT_EQ(prices[0], "10.0");  // the entry selected at the start
    EXPECT_EQ(prices[1], "100.0");
    EXPECT_EQ(prices[2], "40.0");
    EXPECT_EQ(prices[3], "60.0");
    EXPECT_EQ(prices[4], "80.0");
}

TEST(AddHouse, TextsChinese)
{
    for (int language : {0, 1}) {
        EXPECT_EQ(GetAddHouseTexts(language, 0).title, U("添加房间"));
        EXPECT_EQ(GetAddHouseTexts(language, 1).title, U("修改房间信息"));
        AddHouseTexts t = GetAddHouseTexts(language, 0);
        EXPECT_TRUE(t.roomNoLabel.empty());
        EXPECT_TRUE(t.ok.empty());
        EXPECT_TRUE(t.cancel.empty());
    }
    EXPECT_TRUE(GetAddHouseTexts(1, 5).title.empty());
}

TEST(AddHouse, TextsEnglish)
{
    EXPECT_EQ(GetAddHouseTexts(2, 0).title, "Add House");
    EXPECT_EQ(GetAddHouseTexts(2, 1).title, "Modify House Information");
    EXPECT_TRUE(GetAddHouseTexts(2, 3).title.empty());
    AddHouseTexts t = GetAddHouseTexts(2, 1);
    EXPECT_EQ(t.roomNoLabel, U("House Number："));
    EXPECT_EQ(t.priceLabel, U("House Price："));
    EXPECT_EQ(t.introLabel, U("House Introduce："));
    EXPECT_EQ(t.ok, "OK");
    EXPECT_EQ(t.cancel, "Cancel");
}

TEST(DeskGlobals, StartValues)
{
    EXPECT_EQ(g_nLanguage, 0);
    EXPECT_EQ(g_nIconMode, 2);
    EXPECT_EQ(g_nSelectedRoomIndex, 0);
    EXPECT_EQ(g_nSelectedItem, -1);
    EXPECT_TRUE(g_strSelectedRoom.empty());
}

}  // namespace
