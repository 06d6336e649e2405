// The room detail pane's content without a window: the room card, the idle
// colours and the clock face kept from the clock's frames.
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

// A frame of `width` x `height` pixels of one colour at (x, y) of a face at (left, 140).
ClockFrame Frame(int left, int x, int y, int width, int height, uint32_t colour)
{
    ClockFrame frame;
    frame.left = left;
    frame.top = CClockPainter::kFaceTop;
    frame.x = x;
    frame.y = y;
    frame.width = width;
    frame.height = height;
    frame.pixels.assign(size_t(width) * size_t(height), colour);
    return frame;
}

TEST(RightViewClockFace, PartsGoIntoTheWholeFaceAndOnlyTheirPlaceIsPaintedAgain)
{
    constexpr int size = CClockPainter::kFaceSize;
    std::vector<uint32_t> face;
    wxRect placed, changed;
    ApplyClockFrame(Frame(25, 10, 10, 5, 5, 0xFF0000FF), face, placed, changed);
    EXPECT_TRUE(placed.IsEmpty() && changed.IsEmpty()) << "a part before any whole face";

    ApplyClockFrame(Frame(25, 0, 0, size, size, 0xFF000000), face, placed, changed);
    EXPECT_EQ(placed, wxRect(25, 140, size, size));
    EXPECT_EQ(changed, placed);
    changed = wxRect();
    ApplyClockFrame(Frame(25, 100, 60, 20, 30, 0xFFFF0000), face, placed, changed);
    ApplyClockFrame(Frame(25, 110, 80, 20, 30, 0xFF00FF00), face, placed, changed);
    EXPECT_EQ(changed, wxRect(125, 200, 30, 50)) << "the two parts, in the panel";
    EXPECT_EQ(face[size_t(60) * size + 100], 0xFFFF0000u);
    EXPECT_EQ(face[size_t(80) * size + 110], 0xFF00FF00u) << "the later part over the earlier";
    EXPECT_EQ(face[size_t(109) * size + 129], 0xFF00FF00u);
    EXPECT_EQ(face[size_t(79) * size + 119], 0xFFFF0000u);
    EXPECT_EQ(face[0], 0xFF000000u);

    // Moved: a part at the new place waits for the whole face there; the old place is painted over.
    changed = wxRect();
    ApplyClockFrame(Frame(-20, 0, 0, 5, 5, 0xFFFFFFFF), face, placed, changed);
    EXPECT_EQ(placed, wxRect(25, 140, size, size));
    EXPECT_TRUE(changed.IsEmpty());
    ApplyClockFrame(Frame(-20, 0, 0, size, size, 0xFF336699), face, placed, changed);
    EXPECT_EQ(placed, wxRect(-20, 140, size, size));
    EXPECT_EQ(changed, wxRect(-20, 140, size + 45, size));
    EXPECT_EQ(face[size_t(80) * size + 110], 0xFF336699u);
}

}  // namespace
