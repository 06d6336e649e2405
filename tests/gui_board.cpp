// The started program: its window, the board's rows and the language switch.
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/testing.h>
#include "CAboutDlg.h"
#include "CHouseset.h"
#include "CMainFrame.h"
#include "CQuillan2021App.h"
#include "CQuillan2021View.h"
#include "Globals.h"
#include "GuiTestSupport.h"

namespace {

// Two rooms stored out of order: 102 reserved with three guests, 101 let by the hour.
void SeedBoardRooms()
{
    SeedRooms("[房间号],[住房],[房价],[打扫],[定房],[定房日期],[房间人数],[钟点房],[钟点开始],[钟点结束],[房间介绍]",
              "('102',1,'80',1,1,'2024-03-05 00:00:00',3,0,'2024-03-05 14:00:00','2024-03-05 16:00:00','南'),"
              "('101',0,'60',0,0,'2024-03-09 00:00:00',0,1,'2024-03-05 14:00:00','2024-03-05 16:30:00','')");
}

TEST(Board, StartsInChineseAndTitledWithTheProgramName)
{
    ASSERT_NE(MainFrame(), nullptr);
    EXPECT_EQ(MainFrame()->GetTitle(), wxString::FromUTF8("青禾旅馆"));
    EXPECT_EQ(StateAtStart().language, 1);
    const std::string& ini = StateAtStart().settings;
    EXPECT_NE(ini.find("[LANGUAGE]"), std::string::npos);
    EXPECT_NE(ini.find("Language=1"), std::string::npos);
    EXPECT_EQ(ini.find("[PASSWORD]"), std::string::npos) << "the lock settings are written only at exit";
}

TEST(Board, RowsShowEachRoomInRoomNumberOrder)
{
    SeedBoardRooms();
    CQuillan2021View* view = MainFrame()->GetView();
    ASSERT_EQ(Board().GetItemCount(), 2);
    EXPECT_EQ(Board().GetItemText(0, 0), "101");
    EXPECT_EQ(Board().GetItemText(1, 0), "102");
    EXPECT_EQ(Board().GetItemText(1, 4), wxString::FromUTF8("2024年03月05日"));
    EXPECT_EQ(Board().GetItemText(1, 5), wxString::FromUTF8("3人"));
    EXPECT_EQ(Board().GetItemText(1, 6), "") << "a room not let by the hour shows no hours";
    EXPECT_EQ(Board().GetItemText(0, 4), "") << "a room not reserved shows no date";
    EXPECT_EQ(Board().GetItemText(0, 5), wxString::FromUTF8("0人"));
    EXPECT_EQ(Board().GetItemText(0, 6), "14:00");
    EXPECT_EQ(Board().GetItemText(0, 7), "16:30");
    EXPECT_EQ(view->FindRoomItem("102"), 1);
    EXPECT_EQ(view->FindRoomItem("102 "), -1);
    EXPECT_EQ(view->FindRoomItem("0102"), -1);
}

TEST(Board, RowIsRefreshedFromTheTableAfterAnotherRecordsetChangedIt)
{
    SeedBoardRooms();
    CQuillan2021View* view = MainFrame()->GetView();
    CHouseset rooms(&GetTheApp().m_dbHotel);
    rooms.Open(CRecordset::dynaset);
    ASSERT_NE(rooms.FindRoom("101"), -1);
    rooms.Edit();
    rooms.m_nPersons = 2;
    rooms.Update();
    EXPECT_TRUE(view->UpdateRoomItem(0, "101", 0));
    EXPECT_EQ(Board().GetItemText(0, 5), wxString::FromUTF8("2人"));
    EXPECT_FALSE(view->UpdateRoomItem(0, "999", 0));
}

TEST(Board, LanguageSwitchRewritesTextsAndIsStored)
{
    CMainFrame* frame = MainFrame();
    CQuillan2021View* view = frame->GetView();
    view->OnLanguageEnglish();
    wxListItem heading;
    heading.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH);
    Board().GetColumn(0, heading);
    EXPECT_EQ(heading.GetText(), "HouseNumber");
    EXPECT_EQ(heading.GetWidth(), 140);
    EXPECT_EQ(frame->GetMenuBar()->GetMenuLabel(0), "GuestRoom(&G)");
    EXPECT_EQ(frame->GetMenuBar()->FindItem(32787)->GetItemLabel(), "Register(&R)");
    EXPECT_EQ(g_nLanguage, 2);
    EXPECT_NE(ReadFileText(GuiEnvironment().Folder() + "/Quillan.INI").find("Language=2"), std::string::npos);

    view->OnLanguageChinese();
    Board().GetColumn(0, heading);
    EXPECT_EQ(heading.GetText(), wxString::FromUTF8("房间号"));
    EXPECT_EQ(frame->GetMenuBar()->GetMenuLabel(5), wxString::FromUTF8("设置(&S)"));
    EXPECT_NE(ReadFileText(GuiEnvironment().Folder() + "/Quillan.INI").find("Language=1"), std::string::npos);
}

}  // namespace

namespace {

TEST(Board, DisplayModesKeepTheRoomsAndSetTheIconMode)
{
    SeedBoardRooms();
    CQuillan2021View* view = MainFrame()->GetView();
    view->OnExtraLargeIcons();
    EXPECT_EQ(g_nIconMode, 3);
    EXPECT_EQ(Board().GetItemCount(), 2);
    view->OnSmallIcons();
    EXPECT_EQ(g_nIconMode, 1);
    EXPECT_EQ(Board().GetColumnCount(), 10);
    EXPECT_EQ(Board().GetItemText(1, 5), wxString::FromUTF8("3人"));
    view->OnLargeIcons();
    EXPECT_EQ(g_nIconMode, 2);
    EXPECT_EQ(view->m_nViewMode, 1000);
}

}  // namespace

namespace {

TEST(Board, AboutBoxShowsTheVersion)
{
    wxTEST_DIALOG(MainFrame()->OnAppAbout(), wxExpectDismissableModal<CAboutDlg>(wxID_OK));
}

// The hourly timers watch the rooms as their rows show them: a room a command
// changed (and so redrew) blinks from the next tick, a room added gets its flag
// from timer 1000 while the others keep their phase.
TEST(Board, HourlyTimersFollowTheRowsTheCommandsRedraw)
{
    SeedRooms("[房间号],[房价],[房间人数],[钟点房],[房间介绍]", "('101','60',0,0,''),('102','60',0,0,'')");
    g_vHourlyDue.clear();
    View()->OnTimer(1000);
    ASSERT_EQ(g_vHourlyDue.size(), 2u);
    EXPECT_FALSE(g_vHourlyDue[1]);

    // Let by the hour, for one second from midnight: over all day.
    GetTheApp().m_dbHotel.ExecuteSQL(wxString::FromUTF8(
        "UPDATE [house] SET [钟点房] = 1, [钟点开始] = '2024-03-05 00:00:00', [钟点结束] = '2024-03-05 00:00:01' "
        "WHERE [房间号] = '102'"));
    ASSERT_TRUE(View()->UpdateRoomItem(0, "102", 0));
    EXPECT_EQ(ColumnImage(1, 8), 1);
    View()->OnTimer(1001);
    EXPECT_EQ(ColumnImage(1, 8), -1) << "a clear flag takes the picture away";
    EXPECT_TRUE(g_vHourlyDue[1]);
    EXPECT_EQ(ColumnImage(0, 8), -1);

    GetTheApp().m_dbHotel.ExecuteSQL(wxString::FromUTF8(
        "INSERT INTO [house]([房间号],[房价],[钟点房],[钟点开始],[钟点结束]) "
        "VALUES ('103','60',1,'2024-03-05 00:00:00','2024-03-05 00:00:01')"));
    View()->LoadRooms();
    View()->OnTimer(1000);
    ASSERT_EQ(g_vHourlyDue.size(), 3u);
    EXPECT_TRUE(g_vHourlyDue[1]) << "the phase of a flag already there stays";
    EXPECT_TRUE(g_vHourlyDue[2]) << "an overdue room added is counted as over";
    View()->OnTimer(1001);
    EXPECT_EQ(ColumnImage(1, 8), 1);
    EXPECT_EQ(ColumnImage(2, 8), 1);
}

// A stay that ran out yesterday, an hour after this time of day.
TEST(Board, AnHourlyStayOverSinceAnEarlierDayBlinks)
{
    const wxDateTime now = wxDateTime::Now();
    const wxString start = (now - wxTimeSpan::Hours(25)).Format("%Y-%m-%d %H:%M:%S");
    const wxString end = (now - wxTimeSpan::Hours(23)).Format("%Y-%m-%d %H:%M:%S");
    SeedRooms("[房间号],[房价],[房间人数],[钟点房],[钟点开始],[钟点结束],[房间介绍]",
              ("('101','60',1,1,'" + start + "','" + end + "','')").utf8_str());
    g_vHourlyDue.clear();
    View()->OnTimer(1000);
    ASSERT_EQ(g_vHourlyDue.size(), 1u);
    EXPECT_TRUE(g_vHourlyDue[0]) << "counted as over";
    EXPECT_EQ(ColumnImage(0, 8), 1);
    View()->OnTimer(1001);
    EXPECT_EQ(ColumnImage(0, 8), 1) << "a set flag shows the picture";
    View()->OnTimer(1001);
    EXPECT_EQ(ColumnImage(0, 8), -1) << "and the next tick takes it away";
}

}  // namespace
