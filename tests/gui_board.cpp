// The started program: its window, the board's rows and the language switch.
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/testing.h>
#include <wx/uiaction.h>
#include "CAboutDlg.h"
#include "CHouseset.h"
#include "CMainFrame.h"
#include "CQuillan2021App.h"
#include "CQuillan2021View.h"
#include "CRoomList.h"
#include "DialogDrivers.h"
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

namespace {

CRoomList& Rows()
{
    return dynamic_cast<CRoomList&>(Board());
}

// Rooms "R000" to "R299" priced by their index, every tenth let by the hour
// and over all day, and two rooms sharing the number "R064" on both sides of
// the first block the board reads, with their own prices.
void SeedManyRooms()
{
    wxString values;
    for (int i = 0; i < 300; ++i) {
        const bool hourly = i % 10 == 0;
        values += wxString::Format("('R%03d','%d',%d,%d,'2024-03-05 00:00:00','2024-03-05 00:00:01','%d号'),",
                                   i == 63 ? 64 : i, i, i % 3, hourly ? 1 : 0, i);
    }
    values.RemoveLast();
    SeedRooms("[房间号],[房价],[房间人数],[钟点房],[钟点开始],[钟点结束],[房间介绍]", values.utf8_str());
}

// A board of many rooms reads of each room its number and hourly stay; the
// rest of a row comes from the table when the row is shown, a screenful at a
// time, and is what the table holds then.
TEST(Board, ARowIsReadWholeWhenItIsShown)
{
    SeedManyRooms();
    ASSERT_EQ(Board().GetItemCount(), 300);
    EXPECT_FALSE(Rows().Row(250).detailed) << "the load read every room whole";
    GetTheApp().m_dbHotel.ExecuteSQL(
        wxString::FromUTF8("UPDATE [house] SET [房价] = '75', [打扫] = 1 WHERE [房间号] = 'R251'"));
    EXPECT_EQ(Board().GetItemText(251, 2), "75");
    EXPECT_EQ(ColumnImage(251, 3), 2) << "cleaning";
    EXPECT_EQ(Board().GetItemText(250, 0), "R250");
    EXPECT_EQ(Board().GetItemText(250, 5), wxString::FromUTF8("1人"));
    EXPECT_EQ(Board().GetItemText(250, 6), "00:00");
    EXPECT_EQ(Board().GetItemText(250, 9), wxString::FromUTF8("250号"));
    EXPECT_FALSE(Rows().Row(10).detailed) << "rows out of view stay unread";

    // The two rooms of one number, each with its own row, whichever is read first.
    EXPECT_EQ(Board().GetItemText(64, 2), "64");
    EXPECT_EQ(Board().GetItemText(63, 2), "63");
    EXPECT_EQ(Board().GetItemText(63, 0), "R064");
}

TEST(Board, ARowWhoseRoomWentKeepsItsNumberAlone)
{
    SeedManyRooms();
    GetTheApp().m_dbHotel.ExecuteSQL(wxString::FromUTF8("DELETE FROM [house] WHERE [房间号] = 'R200'"));
    EXPECT_EQ(Board().GetItemText(200, 0), "R200");
    EXPECT_EQ(Board().GetItemText(200, 2), "");
    EXPECT_TRUE(Rows().Row(200).detailed) << "it would be read at every paint";
    EXPECT_EQ(Board().GetItemText(201, 2), "201") << "the rooms after it keep their rows";
}

// Two rooms with an empty number, which no range of numbers takes from below.
TEST(Board, RoomsWithoutANumberAreReadToo)
{
    SeedRooms("[房间号],[房价],[房间介绍]", "('','10','甲'),('','20','乙'),('101','30','丙')");
    ASSERT_EQ(Board().GetItemCount(), 3);
    EXPECT_EQ(Board().GetItemText(0, 9), wxString::FromUTF8("甲"));
    EXPECT_EQ(Board().GetItemText(1, 9), wxString::FromUTF8("乙"));
    EXPECT_EQ(Board().GetItemText(2, 9), wxString::FromUTF8("丙"));
}

TEST(Board, TheHourlyTimersSeeEveryRoomWithoutReadingItsRow)
{
    SeedManyRooms();
    g_vHourlyDue.clear();
    View()->OnTimer(1000);
    ASSERT_EQ(g_vHourlyDue.size(), 300u);
    EXPECT_TRUE(g_vHourlyDue[290]);
    EXPECT_FALSE(g_vHourlyDue[291]);
    View()->OnTimer(1001);
    EXPECT_FALSE(Rows().Row(290).detailed);
    EXPECT_EQ(ColumnImage(290, 8), 1) << "the picture goes with the blink, also out of view";
    EXPECT_EQ(Board().GetItemText(290, 7), "00:00");
}

// The mark is what the toolkit has selected, however the selection was made.
TEST(Board, TheMarkIsTheSelectedRow)
{
    SeedManyRooms();
    auto selected = [] { return int(Board().GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)); };
    EXPECT_EQ(View()->GetSelectionMark(), -1);
    Select(120);
    EXPECT_EQ(View()->GetSelectionMark(), 120);
    Select(7);
    EXPECT_EQ(selected(), 7) << "one row at a time";
    EXPECT_EQ(View()->GetSelectionMark(), 7);
    Board().SetItemState(7, 0, wxLIST_STATE_SELECTED);
    EXPECT_EQ(View()->GetSelectionMark(), -1);

    Select(30);
    Board().SetFocus();
    wxUIActionSimulator keys;
    keys.Char(WXK_DOWN);
    DialogDriving::PumpUntil([&] { return selected() != 30; }, 2000);
    EXPECT_EQ(selected(), 31);
    EXPECT_EQ(View()->GetSelectionMark(), 31);

    View()->LoadRooms();
    EXPECT_EQ(selected(), -1);
    EXPECT_EQ(View()->GetSelectionMark(), -1) << "the rows were read again";
}

}  // namespace
