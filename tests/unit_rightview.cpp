// The room detail pane's content without a window: the room card and the idle colours.
#include <gtest/gtest.h>
#include <algorithm>
#include <set>
#include <utility>
#include <vector>
#include "CDlgRightView.h"
#include "CHouseset.h"
#include "Resources.h"

namespace {

using Lines = std::vector<std::pair<int, wxString>>;

Lines LinesOf(const RoomCard& card)
{
    Lines lines;
    for (const RoomCardLine& line : card.lines)
        lines.emplace_back(line.y, line.text);
    return lines;
}

wxString U(const char* text)
{
    return wxString::FromUTF8(text);
}

// Room 102: three guests, reserved for 5 March 2021, clean, not let by the hour.
class RightViewCard : public testing::Test
{
protected:
    RightViewCard() : room(nullptr)
    {
        room.m_strRoomNo = "102";
        room.m_nPersons = 3;
        room.m_strPrice = "80.5";
        room.m_bCleaning = FALSE;
        room.m_bReserved = TRUE;
        room.m_dtReserveDate = COleDateTime(2021, 3, 5, 9, 30, 0);
        room.m_bHourly = FALSE;
        room.m_dtHourStart = COleDateTime(2021, 3, 5, 14, 0, 0);
        room.m_dtHourEnd = COleDateTime(2021, 3, 5, 16, 30, 0);
        room.m_strIntro = U("朝南，双床");
    }

    CHouseset room;
};

TEST_F(RightViewCard, ReservedRoomShowsItsDate)
{
    const RoomCard card = FormatRoomCard(room);
    EXPECT_EQ(card.icon, IDI_GUEST);
    const Lines expected = {
        {110, U("房间号:102")},   {135, U("房间人数:3")},
        {160, U("房价:80.5")},    {185, U("打扫:否")},
        {210, U("订房:是")},      {235, U("订房时间:2021.03.05")},
        {260, U("钟点房:否")},    {335, U("房间介绍:")},
        {360, U("朝南，双床")},
    };
    EXPECT_EQ(LinesOf(card), expected);
}

TEST_F(RightViewCard, UnreservedRoomHasNoDateLineAndKeepsTheLinesBelowInPlace)
{
    room.m_bReserved = FALSE;
    room.m_bCleaning = TRUE;
    room.m_nPersons = 0;
    const RoomCard card = FormatRoomCard(room);
    EXPECT_EQ(card.icon, IDI_ROOM);
    const Lines lines = LinesOf(card);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const auto& l) { return l.first == 235; }), 0);
    EXPECT_NE(std::find(lines.begin(), lines.end(), std::make_pair(185, U("打扫:是"))), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), std::make_pair(210, U("订房:否"))), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), std::make_pair(260, U("钟点房:否"))), lines.end());
}

TEST_F(RightViewCard, HourlyRoomShowsItsPeriod)
{
    room.m_bHourly = TRUE;
    room.m_bReserved = FALSE;
    const Lines lines = LinesOf(FormatRoomCard(room));
    const Lines tail(lines.end() - 5, lines.end());
    const Lines expected = {
        {260, U("钟点房:是")},
        {285, U("钟点开始:14:00")},
        {310, U("钟点结束:16:30")},
        {335, U("房间介绍:")},
        {360, U("朝南，双床")},
    };
    EXPECT_EQ(tail, expected);
}

TEST(RightViewColours, SameSecondSameColours)
{
    const std::set<uint32_t> bottoms = {0xFFC0C0C0, 0xFF8B0000, 0xFF006400, 0xFF00008B, 0xFFBC8F8F, 0xFFFAF0E6};
    std::set<uint32_t> seen;
    for (std::time_t t = 1614900000; t < 1614900060; ++t) {
        const IdleColours a = PickIdleColours(t), b = PickIdleColours(t);
        EXPECT_EQ(a.gradientBottom, b.gradientBottom);
        EXPECT_EQ(a.hourHand, b.hourHand);
        EXPECT_EQ(a.minuteHand, b.minuteHand);
        EXPECT_EQ(bottoms.count(a.gradientBottom), 1u);
        EXPECT_EQ(a.hourHand >> 24, 0xFFu) << "hands are opaque";
        EXPECT_EQ(a.minuteHand >> 24, 0xFFu);
        seen.insert(a.gradientBottom);
    }
    EXPECT_GT(seen.size(), 2u) << "another second, another picture";
}

}  // namespace
