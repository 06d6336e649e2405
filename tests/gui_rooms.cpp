// Room maintenance from the board: cleaning, repair, add, modify, delete,
// reservations, and the date pickers of the room and stay dialogs.
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <wx/combo.h>
#include <wx/datectrl.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>
#include "CAddHouse.h"
#include "CHouseset.h"
#include "CMainFrame.h"
#include "CRegisterset.h"
#include "CQuillan2021App.h"
#include "CQuillan2021View.h"
#include "CRegisterDlg.h"
#include "CReserveDlg.h"
#include "DialogDrivers.h"
#include "GuiTestSupport.h"
#include "LanguageTexts.h"

namespace {

// A fresh table of three rooms, 101 with two guests in it by the hour, and no stays.
void SeedThreeRooms()
{
    GetTheApp().m_dbRegister.ExecuteSQL("DELETE FROM [register]");
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

    ASSERT_TRUE(ReserveRoom(GetTheApp(), {"102"}, COleDateTime(2024, 3, 5, 9, 30, 0)));
    View()->UpdateRoomItem(1, "102", 0);
    EXPECT_EQ(Board().GetItemText(1, 4), wxString::FromUTF8("2024年03月05日"));

    View()->OnCancelReservation();
    EXPECT_EQ(Board().GetItemText(1, 4), "");
    CHouseset rooms(&GetTheApp().m_dbHotel);
    Room(rooms, "102");
    EXPECT_FALSE(rooms.m_bReserved);
    EXPECT_EQ(rooms.m_dtReserveDate.Format("%Y-%m-%d %H:%M:%S"), "1900-12-01 00:00:00");
    EXPECT_FALSE(ReserveRoom(GetTheApp(), {"999"}, COleDateTime(2024, 3, 5, 9, 30, 0)));
}

}  // namespace

// ---------------------------------------------------------------- numbers another room has

namespace {

// A clerk who types a room number into the add/modify dialog and presses OK;
// when OK is refused, the message is kept and the clerk gives up.
class TypeRoomNumber : public wxExpectModalBase<CAddHouse, TypeRoomNumber>
{
public:
    explicit TypeRoomNumber(const wxString& number) : m_number(number), m_refusal(std::make_shared<wxString>()) {}
    const wxString& Refusal() const { return *m_refusal; }

protected:
    int OnInvoked(CAddHouse* dlg) const override
    {
        using namespace DialogDriving;
        dlg->InitDialog();
        EnterText(dlg, IDC_ADDHOUSE_ROOMNO, m_number);
        dlg->SetReturnCode(0);
        ExpectMessageBox refusal(wxID_OK);
        wxTEST_DIALOG(PressButton(dlg, IDC_ADDHOUSE_OK), refusal.Optional());
        *m_refusal = refusal.Shown();
        if (dlg->GetReturnCode() == 0)
            PressButton(dlg, IDC_ADDHOUSE_CANCEL);
        return ResultOf(dlg);
    }

private:
    wxString m_number;
    std::shared_ptr<wxString> m_refusal;
};

std::vector<wxString> BoardNumbers()
{
    std::vector<wxString> numbers;
    for (int row = 0; row < Board().GetItemCount(); ++row)
        numbers.push_back(Board().GetItemText(row, 0));
    return numbers;
}

TEST(RoomNumbers, ANewRoomWithANumberAnotherHasIsRefusedInTheDialog)
{
    SeedThreeRooms();
    TypeRoomNumber clerk("102");
    wxTEST_DIALOG(View()->OnAddRoom(), clerk);
    EXPECT_EQ(clerk.Refusal(), wxString::FromUTF8("102 房间已经存在！"));
    EXPECT_EQ(BoardNumbers(), (std::vector<wxString>{"101", "102", "103"}));

    // Should the number be taken by the time the room is written, the board says so too.
    ExpectMessageBox refusal;
    wxTEST_DIALOG(View()->OnAddRoom(), wxExpectModal<CAddHouse>("101", "10.0", ""), refusal);
    EXPECT_EQ(refusal.Shown(), wxString::FromUTF8("101 房间已经存在！"));
    EXPECT_EQ(BoardNumbers(), (std::vector<wxString>{"101", "102", "103"}));
}

TEST(RoomNumbers, ARoomRenamedToANumberAnotherHasIsRefusedInEnglishToo)
{
    SeedThreeRooms();
    View()->OnLanguageEnglish();
    Select(2);
    TypeRoomNumber clerk("101");
    wxTEST_DIALOG(View()->OnModifyRoom(), clerk);
    View()->OnLanguageChinese();
    EXPECT_EQ(clerk.Refusal(), "House 101 already exists!");
    EXPECT_EQ(BoardNumbers(), (std::vector<wxString>{"101", "102", "103"}));

    // Its own number is no other room's.
    Select(2);
    wxTEST_DIALOG(View()->OnModifyRoom(), wxExpectModal<CAddHouse>("103", "120", wxString::FromUTF8("东")));
    EXPECT_EQ(Board().GetItemText(2, 2), "120");
    EXPECT_EQ(View()->GetSelectionMark(), 2);
}

// ---------------------------------------------------------------- rooms with guests

TEST(RoomGuests, ARoomWithAGuestIsNotDeletedAndMovesItsGuestWhenRenumbered)
{
    SeedThreeRooms();
    GetTheApp().m_dbRegister.ExecuteSQL(wxString::FromUTF8(
        "INSERT INTO [register]([房间号],[姓名],[住房日期],[退房日期],[证件号]) "
        "VALUES ('101','张三','2024-03-05 10:00:00',NULL,'110')"));
    Select(0);
    ExpectMessageBox refusal;
    wxTEST_DIALOG(View()->OnDeleteRoom(), wxExpectModal<wxMessageDialog>(wxID_OK), refusal);
    EXPECT_EQ(refusal.Shown(), wxString::FromUTF8("101 房间还有客人入住，不能删除！"));
    EXPECT_EQ(BoardNumbers(), (std::vector<wxString>{"101", "102", "103"}));

    // Renumbered, the room takes its guest and its hourly stay along: they can still leave.
    wxTEST_DIALOG(View()->OnModifyRoom(), wxExpectModal<CAddHouse>("201", "80", wxString::FromUTF8("南")));
    const int row = View()->FindRoomItem("201");
    ASSERT_NE(row, -1);
    EXPECT_EQ(Board().GetItemText(row, 6), "14:00");
    CRegisterset stays(&GetTheApp().m_dbRegister);
    stays.Open(CRecordset::dynaset);
    ASSERT_FALSE(stays.IsEOF());
    EXPECT_EQ(stays.m_strRoomNo, "201");
    stays.Close();
    CheckOutForm form;
    wxExpectModal<CRegEndDlg> clerk(form);
    wxTEST_DIALOG(View()->OnCheckOut(), clerk);
    EXPECT_EQ(Board().GetItemText(row, 5), wxString::FromUTF8("1人")) << "one of the two persons left";
}

}  // namespace

// ---------------------------------------------------------------- reservations and date pickers

namespace {

TEST(Reservation, AReservedRoomWithoutADateCanBeCancelled)
{
    SeedRooms("[房间号],[房价],[定房],[定房日期],[房间介绍]", "('101','80',1,NULL,''),('102','90',0,NULL,'')");
    Select(0);
    EXPECT_EQ(Board().GetItemText(0, 4), "");
    EXPECT_TRUE(UpdateOf(ID_CANCEL_RESERVE).GetEnabled());
    View()->OnCancelReservation();
    EXPECT_FALSE(UpdateOf(ID_CANCEL_RESERVE).GetEnabled());
    CHouseset rooms(&GetTheApp().m_dbHotel);
    EXPECT_FALSE(Room(rooms, "101").m_bReserved);
    rooms.Close();
    Select(1);
    EXPECT_FALSE(UpdateOf(ID_CANCEL_RESERVE).GetEnabled());
}

// The text field of a date picker of the dialog, set to 9 December 2026.
wxTextCtrl* PickerField(wxWindow* dialog, int id)
{
    auto* picker = dynamic_cast<wxDatePickerCtrl*>(dialog->FindWindow(id));
    if (!picker)
        return nullptr;
    picker->SetValue(wxDateTime(9, wxDateTime::Dec, 2026));
    std::function<wxTextCtrl*(wxWindow*)> fieldIn = [&fieldIn](wxWindow* window) {
        if (auto* field = dynamic_cast<wxTextCtrl*>(window))
            return field;
        for (wxWindow* child : window->GetChildren())
            if (wxTextCtrl* field = fieldIn(child))
                return field;
        return static_cast<wxTextCtrl*>(nullptr);
    };
    return fieldIn(picker);
}

void ExpectPickerShows(wxWindow* dialog, int id, const wxString& date)
{
    wxTextCtrl* field = PickerField(dialog, id);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->GetValue(), date);
    // Beside the drop-down button, the picker holds the whole date.
    auto* combo = dynamic_cast<wxComboCtrl*>(field->GetParent());
    ASSERT_NE(combo, nullptr);
    EXPECT_LE(field->GetSizeFromTextSize(field->GetTextExtent(date)).x + combo->GetButtonSize().x,
              dialog->FindWindow(id)->GetSize().x)
        << date << " is cut off";
}

TEST(DatePickers, ShowDatesInTheOrderOfTheUiLanguage)
{
    for (int language : {1, 2}) {
        if (language == 2)
            View()->OnLanguageEnglish();
        const wxString date = language == 2 ? wxString("12/09/2026") : wxString::FromUTF8("2026年12月09日");
        CReserveDlg reservation(MainFrame(), {"101"});
        ExpectPickerShows(&reservation, 1004, date);
        CRegisterDlg checkIn(MainFrame());
        SCOPED_TRACE("check-in");
        ExpectPickerShows(&checkIn, IDC_REG_BIRTHDAY, date);
    }
    View()->OnLanguageChinese();
}

}  // namespace
