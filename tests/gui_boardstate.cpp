// What the board says about the marked room follows the tables after every
// room command: the status line, the check-out and change-room commands, the
// row itself and, with extra-large icons, the room's card.
#include <gtest/gtest.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/testing.h>
#include <wx/uiaction.h>

#include "CDlgRightView.h"
#include "CHouseset.h"
#include "CMainFrame.h"
#include "CQuillan2021App.h"
#include "CQuillan2021View.h"
#include "CReserveDlg.h"
#include "CRightView.h"
#include "CRoomIconBoard.h"
#include "DialogDrivers.h"
#include "Globals.h"
#include "GuiTestSupport.h"
#include "LanguageTexts.h"
#include "StayOperations.h"

namespace {

wxString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

int PersonsIn(const wxString& room)
{
    CHouseset rooms(&GetTheApp().m_dbHotel);
    rooms.Open(CRecordset::dynaset);
    return rooms.FindRoom(room) == -1 ? -1 : int(rooms.m_nPersons);
}

wxString StatusLine()
{
    return MainFrame()->GetStatusBar()->GetStatusText(0);
}

const RoomCard* ShownCard()
{
    CDlgRightView* panel = MainFrame()->GetRightView()->GetPanel();
    panel->Refresh();
    panel->Update();
    return panel->GetShownCard();
}

bool CardHasLine(const wxString& text)
{
    const RoomCard* card = ShownCard();
    if (!card)
        return false;
    for (const RoomCardLine& line : card->lines)
        if (line.text == text)
            return true;
    return false;
}

// The marked row is `room`, and everything the board shows of it is what the rooms table holds.
void ExpectBoardFollowsMarkedRoom(const wxString& room)
{
    const int row = View()->GetSelectionMark();
    ASSERT_NE(row, -1) << "no row is marked";
    EXPECT_EQ(Board().GetItemText(row, 0), room);
    const int persons = PersonsIn(room);
    ASSERT_NE(persons, -1) << room << " is not in the table";
    EXPECT_EQ(Board().GetItemText(row, 5), wxString::Format(U("%d人"), persons));
    EXPECT_EQ(StatusLine(), wxString::Format(U("%s号房间有%d个人入住"), room, persons));
    EXPECT_EQ(UpdateOf(ID_CHECKOUT).GetEnabled(), persons > 0) << "check-out of " << room;
    EXPECT_EQ(UpdateOf(ID_CHANGE_ROOM).GetEnabled(), persons > 0) << "change room of " << room;
    if (g_nIconMode == 3) {
        EXPECT_EQ(g_nSelectedRoomIndex, row);
        EXPECT_TRUE(CardHasLine(U("房间号:") + room)) << "the card shows another room than " << room;
        EXPECT_TRUE(CardHasLine(wxString::Format(U("房间人数:%d"), persons)));
    }
}

// A guest typed in by name and ID number, everything else as the dialog offers it.
CheckInForm Guest(const char* name, const char* idNumber)
{
    CheckInForm form;
    form.name = U(name);
    form.idNumber = idNumber;
    return form;
}

// A double-click of the mouse at a point of a window, as the toolkit delivers
// it; returns once the check-in dialog was asked for, or after five seconds.
void DoubleClickForCheckIn(wxWindow* window, const wxPoint& point, const wxExpectModal<CRegisterDlg>& clerk)
{
    wxUIActionSimulator mouse;
    mouse.MouseMove(window->ClientToScreen(point));
    DialogDriving::PumpUntil([] { return false; }, 100);
    mouse.MouseDblClick();
    DialogDriving::PumpUntil([&clerk] { return clerk.Seen().invoked; }, 5000);
}

void SeedStays(const wxString& values)
{
    CDatabase& db = GetTheApp().m_dbRegister;
    db.ExecuteSQL("DELETE FROM [register]");
    if (!values.empty())
        db.ExecuteSQL(U("INSERT INTO [register]([房间号],[姓名],[住房日期],[退房日期],[证件号],[交钱],[押金],"
                        "[性别],[民族],[出生年月],[籍贯],[本人职务备注]) VALUES ") +
                      values);
}

// 101 with one guest in an open stay, 102 and 103 free; Chinese, large rows.
class BoardState : public testing::Test
{
protected:
    void SetUp() override
    {
        if (g_nLanguage != 1)
            View()->OnLanguageChinese();
        if (View()->m_nViewMode != 1000)
            View()->OnLargeIcons();
        GetTheApp().m_dbCashbook.ExecuteSQL("DELETE FROM [cashbook]");
        SeedStays(U("('101','张三','2024-03-05 10:00:00',NULL,'110','80','0',1,'汉族','1980-01-01 00:00:00','','')"));
        SeedRooms("[房间号],[住房],[房价],[房间人数],[房间介绍]",
                  "('101',1,'80',1,'南'),('102',0,'90',0,'北'),('103',0,'100',0,'东')");
    }
    void TearDown() override
    {
        if (View()->m_nViewMode != 1000)
            View()->OnLargeIcons();
    }
};

TEST_F(BoardState, RepairOfAnOccupiedRoomEndsItsCheckOut)
{
    Select(0);
    ASSERT_TRUE(UpdateOf(ID_CHECKOUT).GetEnabled());
    View()->OnRepairRoom();
    ExpectBoardFollowsMarkedRoom("101");
    EXPECT_EQ(StatusLine(), U("101号房间有0个人入住"));
}

TEST_F(BoardState, ModifiedRoomKeepsTheMarkUnderItsNewNumber)
{
    Select(1);
    wxTEST_DIALOG(View()->OnModifyRoom(), wxExpectModal<CAddHouse>("302", "95", U("北")));
    ExpectBoardFollowsMarkedRoom("302");
    EXPECT_EQ(Board().GetItemText(View()->GetSelectionMark(), 2), "95");
}

TEST_F(BoardState, AddedRoomIsMarkedAndNamed)
{
    Select(0);
    wxTEST_DIALOG(View()->OnAddRoom(), wxExpectModal<CAddHouse>("104", "70", U("西")));
    ExpectBoardFollowsMarkedRoom("104");
}

TEST_F(BoardState, DeletingMarksTheRowBeforeOrNothing)
{
    Select(2);
    wxTEST_DIALOG(View()->OnDeleteRoom(), wxExpectModal<wxMessageDialog>(wxID_OK));
    ExpectBoardFollowsMarkedRoom("102");

    // A room with a guest stays; once the guest has left it can go.
    CheckOut(GetTheApp(), "101", U("张三"), CheckOutBill{80, 0, 80});
    Select(0);
    wxTEST_DIALOG(View()->OnDeleteRoom(), wxExpectModal<wxMessageDialog>(wxID_OK));
    EXPECT_EQ(View()->GetSelectionMark(), -1);
    EXPECT_EQ(StatusLine(), "") << "the status line names no room that is gone";
}

TEST_F(BoardState, CleaningAndReservationKeepTheMarkedRoomAndItsCard)
{
    View()->OnExtraLargeIcons();
    Select(1);
    View()->OnCleanRoom();
    ExpectBoardFollowsMarkedRoom("102");
    EXPECT_TRUE(CardHasLine(U("打扫:是")));

    wxTEST_DIALOG(View()->OnReserve(), wxExpectModal<CReserveDlg>());
    ExpectBoardFollowsMarkedRoom("102");
    EXPECT_TRUE(CardHasLine(U("订房:是")));

    View()->OnCancelReservation();
    ExpectBoardFollowsMarkedRoom("102");
    EXPECT_TRUE(CardHasLine(U("订房:否"))) << "the card still shows the cancelled reservation";
}

TEST_F(BoardState, CheckInOpensTheRoomsCheckOut)
{
    Select(1);
    ASSERT_FALSE(UpdateOf(ID_CHECKOUT).GetEnabled());
    wxExpectModal<CRegisterDlg> clerk(Guest("李四", "220"));
    wxTEST_DIALOG(View()->OnRegister(), clerk);
    ExpectBoardFollowsMarkedRoom("102");
    EXPECT_EQ(PersonsIn("102"), 1);
}

TEST_F(BoardState, CheckOutOfTheLastGuestEndsTheRoomsCheckOut)
{
    Select(0);
    CheckOutForm form;
    wxExpectModal<CRegEndDlg> clerk(form);
    wxTEST_DIALOG(View()->OnCheckOut(), clerk);
    ExpectBoardFollowsMarkedRoom("101");
    EXPECT_EQ(PersonsIn("101"), 0);
}

TEST_F(BoardState, ChangedRoomMarksTheTargetWithItsGuest)
{
    Select(0);
    ChangeRoomForm form;
    form.target = "103";
    wxExpectModal<CExchangeHDlg> clerk(form);
    wxTEST_DIALOG(View()->OnChangeRoom(), clerk);
    ExpectBoardFollowsMarkedRoom("103");
    EXPECT_EQ(PersonsIn("103"), 1);
}

// The clerk opens change room on 101, and before OK the guest is checked out
// elsewhere: the stay the dialog shows is no longer running.
class ExpectGuestGoneBeforeOk : public wxExpectModalBase<CExchangeHDlg, ExpectGuestGoneBeforeOk>
{
protected:
    int OnInvoked(CExchangeHDlg* dlg) const override
    {
        dlg->InitDialog();
        CheckOut(GetTheApp(), "101", U("张三"), CheckOutBill{80, 0, 80});
        dlg->SetReturnCode(0);
        DialogDriving::PickEntry(dlg, IDC_EXCHANGE_NEWROOM, "103");
        DialogDriving::PressButton(dlg, IDC_EXCHANGE_OK);
        return DialogDriving::ResultOf(dlg);
    }
};

TEST_F(BoardState, AGuestWhoLeftWhileTheDialogWasOpenIsNotMoved)
{
    Select(0);
    ExpectMessageBox refusal;
    wxTEST_DIALOG(View()->OnChangeRoom(), ExpectGuestGoneBeforeOk(), refusal);
    EXPECT_EQ(refusal.Shown(), U("换房失败！"));
    EXPECT_EQ(PersonsIn("103"), 0);
    ExpectBoardFollowsMarkedRoom("101");
}

TEST_F(BoardState, DoubleClickBesideTheRowsChecksIntoTheMarkedRoom)
{
    Select(2);
    wxWindow* rows = ListRowsWindow(Board());
    const wxPoint beside(rows->GetClientSize().x / 2, rows->GetClientSize().y - 20);
    int flags = 0;
    ASSERT_EQ(Board().HitTest(beside, flags), wxNOT_FOUND);
    wxExpectModal<CRegisterDlg> clerk(Guest("王五", "330"));
    wxTEST_DIALOG(DoubleClickForCheckIn(rows, beside, clerk), clerk);
    EXPECT_EQ(clerk.Seen().roomOffered, "103");
    EXPECT_EQ(PersonsIn("103"), 1);
}

TEST_F(BoardState, DoubleClickOnARowChecksInOnce)
{
    wxWindow* rows = ListRowsWindow(Board());
    wxRect row;
    ASSERT_TRUE(Board().GetItemRect(1, row));
    wxExpectModal<CRegisterDlg> clerk(Guest("钱七", "550"));
    wxTEST_DIALOG(DoubleClickForCheckIn(rows, row.GetPosition() + wxPoint(row.width / 2, row.height / 2), clerk),
                  clerk);
    EXPECT_EQ(clerk.Seen().roomOffered, "102");
    EXPECT_EQ(PersonsIn("102"), 1);
}

TEST_F(BoardState, CardFollowsTheTableAtEveryPaint)
{
    View()->OnExtraLargeIcons();
    Select(0);
    ASSERT_TRUE(CardHasLine(U("房价:80")));
    // Another recordset changes the price behind the board's back.
    CHouseset rooms(&GetTheApp().m_dbHotel);
    rooms.Open(CRecordset::dynaset);
    ASSERT_NE(rooms.FindRoom("101"), -1);
    rooms.Edit();
    rooms.m_strPrice = "85";
    rooms.Update();
    rooms.Close();
    EXPECT_TRUE(CardHasLine(U("房价:85")));
}

}  // namespace

// ------------------------------------------------------------- extra-large icons

namespace {

// Five rooms, listed as 1001, 101, 102, 201, 301.
void SeedFiveRooms()
{
    SeedRooms("[房间号],[住房],[房价],[房间人数],[房间介绍]",
              "('101',1,'80',1,'a'),('102',0,'90',0,'b'),('1001',0,'95',0,'c'),('201',0,'70',0,'d'),"
              "('301',0,'60',0,'e')");
}

class ExtraLarge : public BoardState
{
protected:
    void SetUp() override
    {
        BoardState::SetUp();
        SeedFiveRooms();
    }
};

TEST_F(ExtraLarge, IconsStandInRowsInTheBoardsOrderWithTheirNumbersCentredUnder)
{
    View()->OnExtraLargeIcons();
    CRoomIconBoard* icons = View()->GetIconBoard();
    ASSERT_TRUE(icons->IsShown());
    ASSERT_GE(icons->GetClientSize().x, 5 * 160) << "the test wants the five rooms in one row";
    for (int row = 0; row < 5; ++row) {
        const wxRect icon = icons->GetIconRect(row);
        const wxRect label = icons->GetLabelRect(row);
        EXPECT_EQ(icon.width, 128);
        EXPECT_NEAR(label.x + label.width / 2.0, icon.x + icon.width / 2.0, 1) << "number of row " << row << " off centre";
        EXPECT_GT(label.y, icon.GetBottom()) << "number of row " << row << " not under its icon";
        if (row > 0) {
            EXPECT_EQ(icon.y, icons->GetIconRect(row - 1).y) << "row " << row << " starts a new line";
            EXPECT_GT(icon.x, icons->GetIconRect(row - 1).x) << "row " << row << " stands left of the one before";
        }
    }
}

TEST(IconGrid, WrapsIntoTheNextLineWhenTheWidthIsUsedUp)
{
    const IconGrid grid = IconGrid::For(2 * 160 + 20, 15);
    EXPECT_EQ(grid.columns, 2);
    EXPECT_EQ(grid.Cell(2).x, grid.Cell(0).x);
    EXPECT_GT(grid.Cell(2).y, grid.Cell(1).y);
    EXPECT_EQ(grid.HitTest(grid.Icon(3).GetTopLeft() + wxPoint(5, 5), 5), 3);
    EXPECT_EQ(grid.HitTest(grid.Icon(1).GetTopLeft() + wxPoint(5, grid.CellSize().y * 3), 5), -1)
        << "beside the last room";
    EXPECT_EQ(IconGrid::For(10, 15).columns, 1) << "a narrow board still shows one room to a line";
}

TEST_F(ExtraLarge, ClickingAnIconMarksItsRoom)
{
    View()->OnExtraLargeIcons();
    CRoomIconBoard* icons = View()->GetIconBoard();
    wxMouseEvent click(wxEVT_LEFT_DOWN);
    click.SetPosition(icons->GetIconRect(3).GetPosition() + wxPoint(10, 10));
    click.SetEventObject(icons);
    icons->GetEventHandler()->ProcessEvent(click);
    ExpectBoardFollowsMarkedRoom("201");
}

TEST_F(ExtraLarge, DoubleClickBesideTheIconsChecksIn)
{
    View()->OnExtraLargeIcons();
    Select(4);
    CRoomIconBoard* icons = View()->GetIconBoard();
    const wxPoint beside(icons->GetClientSize().x - 20, icons->GetClientSize().y - 20);
    ASSERT_EQ(icons->HitTest(beside), -1);
    wxExpectModal<CRegisterDlg> clerk(Guest("赵六", "440"));
    wxTEST_DIALOG(DoubleClickForCheckIn(icons, beside, clerk), clerk);
    EXPECT_EQ(clerk.Seen().roomOffered, "301");
}

TEST_F(ExtraLarge, EnteringTheModeShowsTheMarkedRoomsCard)
{
    Select(3);
    View()->OnExtraLargeIcons();
    EXPECT_TRUE(CardHasLine(U("房间号:201")));
}

TEST_F(ExtraLarge, RowsComeBackWithEveryColumn)
{
    View()->OnExtraLargeIcons();
    Select(1);
    View()->OnCleanRoom();
    wxTEST_DIALOG(View()->OnAddRoom(), wxExpectModal<CAddHouse>("401", "50", U("新")));
    View()->OnLargeIcons();
    ASSERT_EQ(Board().GetItemCount(), 6);
    for (int row = 0; row < Board().GetItemCount(); ++row) {
        EXPECT_FALSE(Board().GetItemText(row, 2).empty()) << "price of row " << row;
        EXPECT_FALSE(Board().GetItemText(row, 5).empty()) << "persons of row " << row;
        EXPECT_FALSE(Board().GetItemText(row, 9).empty()) << "description of row " << row;
    }
    EXPECT_EQ(ColumnImage(1, 3), 2) << "the cleaning picture of 101";
}

}  // namespace

// ------------------------------------------------------------- rooms that share a number

namespace {

// A value of each room of that number, in the board's order.
template <class Value>
auto OfTwins(const char* number, Value value)
{
    std::vector<decltype(value(std::declval<CHouseset&>()))> values;
    CHouseset rooms(&GetTheApp().m_dbHotel);
    rooms.m_strSort = BoardSortText();
    rooms.Open(CRecordset::dynaset);
    for (int twin = 0; rooms.FindRoom(number, twin) != -1; ++twin)
        values.push_back(value(rooms));
    return values;
}

int Persons(const CHouseset& room)
{
    return room.m_nPersons;
}
bool Cleaning(const CHouseset& room)
{
    return room.m_bCleaning;
}
bool Reserved(const CHouseset& room)
{
    return room.m_bReserved;
}

// Written before numbers were kept apart: 101 with 张三, an empty 101 added
// later, and 102. The board lists 101, 101, 102.
class Twins : public BoardState
{
protected:
    void SetUp() override
    {
        BoardState::SetUp();
        SeedRooms("[房间号],[住房],[房价],[房间人数],[房间介绍]",
                  "('101',1,'80',1,'first'),('102',0,'90',0,'b'),('101',0,'70',0,'second')");
    }
};

TEST_F(Twins, TheMarkedTwinIsTheOneTheBoardShowsAndTheCommandsChange)
{
    View()->OnExtraLargeIcons();
    Select(1);
    EXPECT_EQ(Board().GetItemText(1, 2), "70");
    EXPECT_EQ(StatusLine(), U("101号房间有0个人入住"));
    EXPECT_FALSE(UpdateOf(ID_CHECKOUT).GetEnabled());
    EXPECT_TRUE(CardHasLine(U("房价:70")));

    View()->OnCleanRoom();
    EXPECT_EQ(OfTwins("101", Cleaning), (std::vector<bool>{false, true}));
    EXPECT_EQ(ColumnImage(1, 3), 2);
    EXPECT_EQ(ColumnImage(0, 3), -1);

    wxTEST_DIALOG(View()->OnReserve(), wxExpectModal<CReserveDlg>());
    EXPECT_EQ(OfTwins("101", Reserved), (std::vector<bool>{false, true}));
    std::unique_ptr<wxMenu> menu(View()->BuildContextMenu());
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->IsEnabled(ID_CANCEL_RESERVE));
    EXPECT_FALSE(menu->IsEnabled(ID_CHANGE_ROOM));
    View()->OnCancelReservation();
    EXPECT_EQ(OfTwins("101", Reserved), (std::vector<bool>{false, false}));

    wxTEST_DIALOG(View()->OnModifyRoom(), wxExpectModal<CAddHouse>("101", "75", U("second")));
    EXPECT_EQ(View()->GetSelectionMark(), 1) << "the twin keeps the mark";
    EXPECT_EQ(Board().GetItemText(1, 2), "75");
    EXPECT_EQ(Board().GetItemText(0, 2), "80");
}

TEST_F(Twins, DeletingTheEmptyTwinLeavesTheGuestInTheOther)
{
    Select(0);
    ExpectMessageBox refusal;
    wxTEST_DIALOG(View()->OnDeleteRoom(), wxExpectModal<wxMessageDialog>(wxID_OK), refusal);
    EXPECT_EQ(refusal.Shown(), U("101 房间还有客人入住，不能删除！"));

    Select(1);
    wxTEST_DIALOG(View()->OnDeleteRoom(), wxExpectModal<wxMessageDialog>(wxID_OK));
    EXPECT_EQ(OfTwins("101", [](const CHouseset& room) { return room.m_strIntro; }), (std::vector<CString>{"first"}));
    EXPECT_EQ(OfTwins("101", Persons), (std::vector<int>{1}));
}

// Every text and picture of every row.
std::vector<wxString> ShownRows()
{
    std::vector<wxString> shown;
    for (int row = 0; row < Board().GetItemCount(); ++row)
        for (int column = 0; column < Board().GetColumnCount(); ++column)
            shown.push_back(Board().GetItemText(row, column) + wxString::Format("/%d", ColumnImage(row, column)));
    return shown;
}

// A room added or renumbered takes its row where the board's order puts it,
// the other rows staying: the board is what reading the rooms again gives.
TEST_F(Twins, RoomsAddedAndRenumberedStandWhereAReloadPutsThem)
{
    Select(1);
    wxTEST_DIALOG(View()->OnModifyRoom(), wxExpectModal<CAddHouse>("100", "70", U("second")));
    EXPECT_EQ(View()->GetSelectionMark(), 0);
    EXPECT_EQ(Board().GetItemText(0, 9), U("second"));
    std::vector<wxString> shown = ShownRows();
    View()->LoadRooms();
    EXPECT_EQ(ShownRows(), shown);

    wxTEST_DIALOG(View()->OnAddRoom(), wxExpectModal<CAddHouse>("1011", "60", U("new")));
    EXPECT_EQ(View()->GetSelectionMark(), 2);
    shown = ShownRows();
    View()->LoadRooms();
    EXPECT_EQ(ShownRows(), shown);
}

TEST_F(Twins, CheckInKeepsTheMarkOnTheTwin)
{
    Select(1);
    wxExpectModal<CRegisterDlg> clerk(Guest("李四", "220"));
    wxTEST_DIALOG(View()->OnRegister(), clerk);
    EXPECT_EQ(clerk.Seen().roomOffered, "101");
    EXPECT_EQ(View()->GetSelectionMark(), 1);
    // The stays know the number only: the guest is counted in the first of them.
    EXPECT_EQ(OfTwins("101", Persons), (std::vector<int>{2, 0}));
    EXPECT_EQ(Board().GetItemText(0, 5), U("2人"));
}

}  // namespace
