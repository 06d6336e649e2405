// The main frame around the board: the detail pane and its clock, the bars
// that can be hidden, and the hourly rooms that blink when their time is up.
#include <gtest/gtest.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include "CDlgRightView.h"
#include "CMainFrame.h"
#include "CQuillan2021View.h"
#include "CRightView.h"
#include "Globals.h"
#include "GuiTestSupport.h"
#include "LanguageTexts.h"

namespace {

CDlgRightView* Panel()
{
    return MainFrame()->GetRightView()->GetPanel();
}

// 101 plain, 102 reserved on 2021-03-05 with a guest, 103 let by the hour
// from midnight for one second, so its time is up whenever the test runs.
void SeedPaneRooms()
{
    SeedRooms("[房间号],[住房],[房价],[打扫],[定房],[定房日期],[房间人数],[钟点房],[钟点开始],[钟点结束],[房间介绍]",
              "('101',0,'80',0,0,NULL,0,0,NULL,NULL,'东'),"
              "('102',1,'90',1,1,'2021-03-05 00:00:00',1,0,NULL,NULL,'西'),"
              "('103',1,'60',0,0,NULL,1,1,'2024-03-05 00:00:00','2024-03-05 00:00:01','钟点')");
}

TEST(Frame, PropertiesCommandHidesAndShowsThePaneWithItsCheckMark)
{
    ASSERT_TRUE(MainFrame()->m_bPaneVisible);
    EXPECT_TRUE(UpdateOf(ID_VIEW_PROPERTIES).GetChecked());
    MainFrame()->OnViewProperties();
    EXPECT_FALSE(MainFrame()->GetRightView()->IsShown());
    EXPECT_FALSE(UpdateOf(ID_VIEW_PROPERTIES).GetChecked());
    MainFrame()->OnViewProperties();
    EXPECT_TRUE(MainFrame()->GetRightView()->IsShown());
    EXPECT_TRUE(UpdateOf(ID_VIEW_PROPERTIES).GetChecked());
}

TEST(Frame, LargeRowsShowTheHiddenPaneAndItsCheckMarkFollows)
{
    MainFrame()->OnViewProperties();
    ASSERT_FALSE(MainFrame()->GetRightView()->IsShown());
    View()->OnLargeIcons();
    EXPECT_TRUE(MainFrame()->GetRightView()->IsShown());
    EXPECT_TRUE(UpdateOf(ID_VIEW_PROPERTIES).GetChecked());
}

TEST(Frame, ToolbarAndStatusBarCanBeHiddenAndShownAgain)
{
    for (int id : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) {
        wxWindow* bar = id == ID_VIEW_TOOLBAR ? static_cast<wxWindow*>(MainFrame()->GetToolBar())
                                              : static_cast<wxWindow*>(MainFrame()->GetStatusBar());
        ASSERT_TRUE(bar->IsShown());
        EXPECT_TRUE(UpdateOf(id).GetChecked());
        id == ID_VIEW_TOOLBAR ? MainFrame()->OnViewToolBar() : MainFrame()->OnViewStatusBar();
        EXPECT_FALSE(bar->IsShown());
        EXPECT_FALSE(UpdateOf(id).GetChecked());
        id == ID_VIEW_TOOLBAR ? MainFrame()->OnViewToolBar() : MainFrame()->OnViewStatusBar();
        EXPECT_TRUE(bar->IsShown());
    }
}

TEST(Frame, ExtraLargeModeStopsTheClockAndShowsTheSelectedRoomsCard)
{
    SeedPaneRooms();
    View()->OnLargeIcons();
    EXPECT_TRUE(Panel()->IsClockRunning());
    EXPECT_EQ(Panel()->GetShownCard(), nullptr);

    View()->OnExtraLargeIcons();
    EXPECT_FALSE(Panel()->IsClockRunning());
    Select(1);
    EXPECT_EQ(g_nSelectedRoomIndex, 1);
    const RoomCard* card = Panel()->GetShownCard();
    ASSERT_NE(card, nullptr);
    ASSERT_FALSE(card->lines.empty());
    EXPECT_EQ(card->lines[0].text, wxString::FromUTF8("房间号:102"));
    bool dateShown = false;
    for (const RoomCardLine& line : card->lines)
        dateShown = dateShown || (line.y == 235 && line.text == wxString::FromUTF8("订房时间:2021.03.05"));
    EXPECT_TRUE(dateShown);

    View()->OnLargeIcons();
    EXPECT_TRUE(Panel()->IsClockRunning()) << "back to rows, the clock runs again";
    EXPECT_EQ(Panel()->GetShownCard(), nullptr);
}

TEST(Frame, SelectionInRowModesLeavesTheCardIndexAlone)
{
    SeedPaneRooms();
    View()->OnSmallIcons();
    g_nSelectedRoomIndex = 0;
    Select(2);
    EXPECT_EQ(g_nSelectedRoomIndex, 0);
    View()->OnLargeIcons();
}

TEST(Frame, OverdueHourlyRoomBlinksAndOthersKeepTheirPictures)
{
    SeedPaneRooms();
    g_vHourlyDue.clear();
    View()->OnTimer(1000);
    ASSERT_EQ(g_vHourlyDue.size(), 3u);
    EXPECT_EQ(ColumnImage(2, 8), 1);
    // The flag counted as over starts the phase with the picture on.
    View()->OnTimer(1001);
    EXPECT_EQ(ColumnImage(2, 8), 1);
    View()->OnTimer(1001);
    EXPECT_EQ(ColumnImage(2, 8), -1) << "the overdue room's hourly picture goes out";
    EXPECT_EQ(ColumnImage(0, 8), -1) << "a room not let by the hour has none";
    EXPECT_EQ(ColumnImage(1, 1), 1) << "other pictures stay";
    View()->OnTimer(1001);
    EXPECT_EQ(ColumnImage(2, 8), 1) << "and comes back at the next tick";
}

TEST(Frame, ClockPaneShowsTheTimeWithLeadingZeros)
{
    EXPECT_EQ(FormatClockText(9, 5, 3), wxString::FromUTF8("当前时间：09:05:03"));
    EXPECT_TRUE(MainFrame()->GetStatusBar()->GetStatusText(4).StartsWith(wxString::FromUTF8("当前时间：")));
}

}  // namespace
