// Room maintenance from the board: cleaning, repair, add, modify, delete.
#include <gtest/gtest.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>
#include "CAddHouse.h"
#include "CHouseset.h"
#include "CMainFrame.h"
#include "CQuillan2021App.h"
#include "CQuillan2021View.h"
#include "CReserveDlg.h"
#include "DialogDrivers.h"
#include "GuiTestSupport.h"

namespace {

// A fresh table of three rooms, 101 with two guests in it by the hour.
void SeedThreeRooms()
{
    SeedRooms("[房间号],[住房],[房价],[房间人数],[钟点房],[钟点开始],[钟点结束],[房间介绍]",
              "('101',1,'80',2,1,'2024-03-05 14:00:00','2024-03-05 16:00:00','南'),"
              "('102',0,'90',0,0,NULL,NULL,'北'),('103',0,'100',0,0,NULL,NULL,'东')");
}

CHouseset& Room(CHouseset& rooms, const char* number)
{
    rooms.Open(CRecordset::dynaset);
    EXPECT_NE(rooms.FindRoom(number), -1) << number;
    return rooms;
}

TEST(Rooms, CleaningTogglesTheFlagAndThePicture)
{
    SeedThreeRooms();
    Select(1);
    ASSERT_EQ(View()->GetSelectionMark(), 1);
    View()->OnCleanRoom();
    EXPECT_EQ(Board().GetItemText(1, 0), "102");
    {
        CHouseset rooms(&GetTheApp().m_dbHotel);
        EXPECT_TRUE(Room(rooms, "102").m_bCleaning);
    }
    View()->OnCleanRoom();
    CHouseset rooms(&GetTheApp().m_dbHotel);
    EXPECT_FALSE(Room(rooms, "102").m_bCleaning);
}

TEST(Rooms, CleaningWithoutAMarkedRowAsksForOne)
{
    SeedThreeRooms();
    GuiEnvironment().ClearMessages();
    wxTEST_DIALOG(View()->OnCleanRoom(), wxExpectModal<wxMessageDialog>(wxID_OK));
}

TEST(Rooms, RepairFreesTheRoomButKeepsItsTimes)
{
    SeedThreeRooms();
    Select(0);
    View()->OnRepairRoom();
    CHouseset rooms(&GetTheApp().m_dbHotel);
    Room(rooms, "101");
    EXPECT_FALSE(rooms.m_bOccupied);
    EXPECT_EQ(rooms.m_nPersons, 0);
    EXPECT_FALSE(rooms.m_bHourly);
    EXPECT_EQ(rooms.m_dtHourStart.GetHour(), 14);
    EXPECT_EQ(Board().GetItemText(0, 5), wxString::FromUTF8("0人"));
}

TEST(Rooms, AddedRoomIsListedAndMarked)
{
    SeedThreeRooms();
    wxTEST_DIALOG(View()->OnAddRoom(), wxExpectModal<CAddHouse>("099", "10.0", wxString::FromUTF8("新房")));
    ASSERT_EQ(Board().GetItemCount(), 4);
    EXPECT_EQ(Board().GetItemText(0, 0), "099");
    EXPECT_EQ(View()->GetSelectionMark(), 0);
}

TEST(Rooms, AddingAnEmptyRoomNumberChangesNothing)
{
    SeedThreeRooms();
    wxTEST_DIALOG(View()->OnAddRoom(), wxExpectModal<CAddHouse>("", "10.0", ""));
    EXPECT_EQ(Board().GetItemCount(), 3);
}

TEST(Rooms, ModifyStartsFromTheMarkedRoomAndRewritesIt)
{
    SeedThreeRooms();
    Select(2);
    wxExpectModal<CAddHouse> answer("203", "150", wxString::FromUTF8("西"));
    wxTEST_DIALOG(View()->OnModifyRoom(), answer);
    EXPECT_EQ(View()->FindRoomItem("103"), -1);
    const int row = View()->FindRoomItem("203");
    ASSERT_NE(row, -1);
    EXPECT_EQ(Board().GetItemText(row, 2), "150");
}

TEST(Rooms, DeleteAsksFirstAndRemovesOnlyOnOk)
{
    SeedThreeRooms();
    Select(1);
    wxTEST_DIALOG(View()->OnDeleteRoom(), wxExpectModal<wxMessageDialog>(wxID_CANCEL));
    EXPECT_EQ(Board().GetItemCount(), 3);
    Select(1);
    wxTEST_DIALOG(View()->OnDeleteRoom(), wxExpectModal<wxMessageDialog>(wxID_OK));
    ASSERT_EQ(Board().GetItemCount(), 2);
    EXPECT_EQ(View()->FindRoomItem("102"), -1);
    EXPECT_EQ(View()->GetSelectionMark(), 0);
}

}  // namespace

namespace {

TEST(Selection, StatusLineNamesTheRoomAndItsGuests)
{
    SeedThreeRooms();
    Select(0);
    wxFrame* frame = wxDynamicCast(wxTheApp->GetTopWindow(), wxFrame);
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), wxString::FromUTF8("101号房间有2个人入住"));
    EXPECT_TRUE(View()->m_bCanCheckOut);
    Select(1);
    EXPECT_FALSE(View()->m_bCanChangeRoom);
}

}  // namespace

namespace {

TEST(Reservation, BookedThenCancelled)
{
    SeedThreeRooms();
    Select(1);
    // Cancel in the dialog stores nothing.
    wxTEST_DIALOG(View()->OnReserve(), wxExpectDismissableModal<CReserveDlg>(wxID_CANCEL));
    EXPECT_EQ(Board().GetItemText(1, 4), "");

    ASSERT_TRUE(ReserveRoom("102", COleDateTime(2024, 3, 5, 9, 30, 0)));
    View()->UpdateRoomItem(1, "102", 0);
    EXPECT_EQ(Board().GetItemText(1, 4), wxString::FromUTF8("2024年03月05日"));

    View()->OnCancelReservation();
    EXPECT_EQ(Board().GetItemText(1, 4), "");
    CHouseset rooms(&GetTheApp().m_dbHotel);
    Room(rooms, "102");
    EXPECT_FALSE(rooms.m_bReserved);
    EXPECT_EQ(rooms.m_dtReserveDate.Format("%Y-%m-%d %H:%M:%S"), "1900-12-01 00:00:00");
    EXPECT_FALSE(ReserveRoom("999", COleDateTime(2024, 3, 5, 9, 30, 0)));
}

}  // namespace
