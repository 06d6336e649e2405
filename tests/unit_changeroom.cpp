// Change-room: which names are listed, which stay is shown, and the value texts.
#include <gtest/gtest.h>

#include "CExchangeHDlg.h"

namespace {

GuestRecord Stay(const char* room, const char* name, bool open)
{
    GuestRecord g;
    g.m_strRoomNo = wxString::FromUTF8(room);
    g.m_strName = wxString::FromUTF8(name);
    g.m_dtCheckIn = COleDateTime(2024, 3, 5, 14, 7, 9);
    if (open)
        g.m_dtCheckOut.SetStatus(COleDateTime::null);
    else
        g.m_dtCheckOut = COleDateTime(2024, 3, 6, 10, 0, 0);
    return g;
}

}  // namespace

TEST(ChangeRoom, ListsOnlyOpenStaysOfTheRoomSorted)
{
    const std::vector<GuestRecord> stays = {
        Stay("101", "Zhao", true), Stay("102", "Qian", true), Stay("101", "Li", false),
        Stay("101", "Bai", true),
    };
    const std::vector<CString> names = ExchangeOpenStayNames(stays, "101");
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "Bai");
    EXPECT_EQ(names[1], "Zhao");
}

TEST(ChangeRoom, NamesakesInOneRoomKeepTwoEntries)
{
    const std::vector<GuestRecord> stays = {Stay("101", "Wang", true), Stay("101", "Wang", true)};
    EXPECT_EQ(ExchangeOpenStayNames(stays, "101").size(), 2u);
}

TEST(ChangeRoom, EmptyRoomListsNothing)
{
    const std::vector<GuestRecord> stays = {Stay("101", "Wang", false)};
    EXPECT_TRUE(ExchangeOpenStayNames(stays, "101").empty());
    EXPECT_EQ(ExchangeFindShownStay(stays, "Wang", "101"), -1);
    EXPECT_EQ(ExchangeFindShownStay(stays, "", "101"), -1);
}

TEST(ChangeRoom, NamesakeInOtherRoomIsNotShown)
{
    const std::vector<GuestRecord> stays = {Stay("101", "Wang", true), Stay("102", "Wang", true)};
    EXPECT_EQ(ExchangeFindShownStay(stays, "Wang", "101"), 0);
    EXPECT_EQ(ExchangeFindShownStay(stays, "Wang", "102"), 1);
}

TEST(ChangeRoom, LaterNamesakeInRoomIsShown)
{
    const std::vector<GuestRecord> stays = {Stay("101", "Wang", true), Stay("101", "Li", true),
                                            Stay("101", "Wang", true), Stay("101", "Wang", false)};
    EXPECT_EQ(ExchangeFindShownStay(stays, "Wang", "101"), 2);
    EXPECT_EQ(ExchangeFindShownStay(stays, "Li", "101"), 1);
}

TEST(ChangeRoom, ValueTexts)
{
    EXPECT_EQ(ExchangeSexText(TRUE), wxString::FromUTF8("男"));
    EXPECT_EQ(ExchangeSexText(FALSE), wxString::FromUTF8("女"));
    const COleDateTime dt(2024, 3, 5, 14, 7, 9);
    EXPECT_EQ(ExchangeBirthText(dt), wxString::FromUTF8("2024年03月05日"));
    EXPECT_EQ(ExchangeCheckInText(dt), wxString::FromUTF8("2024年03月05日14时07分"));
}
