// Board logic that needs no window: the status line, the hourly-room clock
// and the texts a row holds.
#include <gtest/gtest.h>
#include "CQuillan2021View.h"
#include "CRoomList.h"

namespace {

COleDateTime At(int hour, int minute, int second, int day = 5)
{
    return COleDateTime(2024, 3, day, hour, minute, second);
}

TEST(HourlyPeriod, IsOverFromItsEndOn)
{
    const COleDateTime start = At(14, 0, 0), end = At(16, 0, 0);
    EXPECT_FALSE(IsHourlyPeriodOverAt(start, end, At(15, 59, 59)));
    EXPECT_TRUE(IsHourlyPeriodOverAt(start, end, At(16, 0, 0)));
    EXPECT_TRUE(IsHourlyPeriodOverAt(start, end, At(18, 30, 0)));
}

TEST(HourlyPeriod, PassingMidnightIsMeasuredAcrossTheDateChange)
{
    // Booked from 22:00 for three hours: the end's time of day is 01:00.
    const COleDateTime start = At(22, 0, 0), end = At(1, 0, 0, 6);
    EXPECT_FALSE(IsHourlyPeriodOverAt(start, end, At(22, 30, 0)));
    EXPECT_FALSE(IsHourlyPeriodOverAt(start, end, At(0, 59, 0, 6)));
    EXPECT_TRUE(IsHourlyPeriodOverAt(start, end, At(1, 0, 0, 6)));
    // Rows stored with the end on the start's date read the same way.
    EXPECT_FALSE(IsHourlyPeriodOverAt(start, At(1, 0, 0), At(23, 0, 0)));
}

TEST(HourlyPeriod, AnEndOnAnEarlierDayIsOverWhateverTheTimeOfDay)
{
    const COleDateTime start = At(14, 0, 0), end = At(16, 0, 0);
    EXPECT_TRUE(IsHourlyPeriodOverAt(start, end, At(10, 0, 0, 6))) << "the next morning";
    EXPECT_TRUE(IsHourlyPeriodOverAt(start, end, At(15, 0, 0, 9))) << "days later, within the booked hours";
    // Booked from 14:00 on one day until 16:00 two days later.
    EXPECT_FALSE(IsHourlyPeriodOverAt(start, At(16, 0, 0, 7), At(17, 0, 0, 6)));
    EXPECT_TRUE(IsHourlyPeriodOverAt(start, At(16, 0, 0, 7), At(16, 0, 0, 7)));
}

TEST(HourlyPeriod, DatesThatAreNotValidCountEveryPartAsMinusOne)
{
    COleDateTime invalid;
    invalid.SetStatus(COleDateTime::invalid);
    // Period 0 against an elapsed time from -1:-1:-1 to now: over.
    EXPECT_TRUE(IsHourlyPeriodOverAt(invalid, invalid, At(0, 0, 0)));
}

TEST(StatusLine, FollowsTheLanguage)
{
    EXPECT_EQ(FormatRoomStatusLine(1, "101", 2), wxString::FromUTF8("101号房间有2个人入住"));
    EXPECT_EQ(FormatRoomStatusLine(2, "101", 2), "101 number house have 2 person move into");
    EXPECT_EQ(FormatRoomStatusLine(0, "101", 2), "101");
}

// A row copied is a row of its own: changing the copy leaves the board's row as it was.
TEST(RowTexts, CopiesAreDeepAndUnwrittenColumnsAreEmpty)
{
    BoardRow held;
    held.texts[0] = "101";
    const BoardRow& numberOnly = held;
    EXPECT_EQ(numberOnly.texts[5], "");
    BoardRow copy = held;
    copy.texts[5] = "?";
    EXPECT_EQ(numberOnly.texts[5], "");
    held.texts[2] = "80";
    BoardRow second = held;
    second.texts[2] = "90";
    EXPECT_EQ(numberOnly.texts[2], "80");
    EXPECT_EQ(second.texts[0], "101");
    held = second;
    EXPECT_EQ(numberOnly.texts[2], "90");
}

}  // namespace
