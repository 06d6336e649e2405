// The board of a desk follows what another desk, on the same data sources,
// commits: within a few ticks of its timer, without a command of its own.
#include <gtest/gtest.h>

#include <chrono>
#include <wx/app.h>
#include "CQuillan2021App.h"
#include "CQuillan2021View.h"
#include "DataSources.h"
#include "GuiTestSupport.h"
#include "StayOperations.h"

namespace {

// Runs the program's event loop until `done` holds or `seconds` have passed.
template <class Done>
bool RunUntil(Done done, int seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done() && std::chrono::steady_clock::now() < end) {
        wxMilliSleep(20);
        wxYield();
    }
    return done();
}

}  // namespace

TEST(OtherDesk, ItsCheckInReachesTheBoardWithinSeconds)
{
    SeedRooms("[房间号],[房价]", "('101','80'),('102','90')");
    DataConnections other;
    ASSERT_TRUE(OpenDataSources(other));
    // A tick of the board's timer takes what is there as seen.
    RunUntil([] { return false; }, 1);

    GuestRecord guest;
    guest.m_strRoomNo = "102";
    guest.m_strName = wxString::FromUTF8("王五");
    guest.m_dtCheckIn = COleDateTime::GetCurrentTime();
    guest.m_dtCheckOut.SetStatus(COleDateTime::null);
    ASSERT_TRUE(CheckIn(other, guest, std::nullopt));
    EXPECT_TRUE(RunUntil([] { return Board().GetItemText(1, 5) == wxString::FromUTF8("1人"); }, 5))
        << Board().GetItemText(1, 5);
    CloseDataSources(other);
}
