#include "CReserveDlg.h"

#include <wx/button.h>
#include <wx/datectrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include "CHouseset.h"
#include "CQuillan2021App.h"
#include "DialogTexts.h"
#include "Globals.h"
#include "MessageBox.h"
#include "RecordsetUse.h"

namespace {

enum { IDC_RESERVE_ROOM = 1014, IDC_RESERVE_DATE_LABEL = 1043, IDC_RESERVE_DATE = 1004 };

wxString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

// Runs `change` on the room's row; FALSE when the room is not in the table.
// A rooms table that cannot be opened is reported, and the program ends.
template <typename Change>
BOOL ChangeRoom(const CString& roomNo, Change change)
{
    CHouseset rooms(&GetTheApp().m_dbHotel);
    if (!TryOpen(rooms)) {
        AfxMessageBox(OpenFailedMessage());
        wxTheApp->ExitMainLoop();
        return FALSE;
    }
    if (rooms.FindRoom(roomNo) == -1)
        return FALSE;
    rooms.Edit();
    change(rooms);
    rooms.Update();
    return TRUE;
}

}  // namespace

BOOL ReserveRoom(const CString& roomNo, const COleDateTime& date)
{
    return ChangeRoom(roomNo, [&](CHouseset& room) {
        room.m_bReserved = TRUE;
        room.m_dtReserveDate = date;
    });
}

BOOL CancelReservation(const CString& roomNo)
{
    return ChangeRoom(roomNo, [](CHouseset& room) {
        room.m_bReserved = FALSE;
        room.m_dtReserveDate = COleDateTime(1900, 12, 1, 0, 0, 0);
    });
}

CReserveDlg::CReserveDlg(wxWindow* parent)
    : CDialogEx(parent, 367, g_nLanguage == 2 ? wxString("Reservation") : U("订房")),
      m_dtOpened(COleDateTime::GetCurrentTime())
{
    const bool english = g_nLanguage == 2;
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxStaticText(this, IDC_RESERVE_ROOM, U(english ? "House Number：" : "房间号：") + g_strSelectedRoom),
               0, wxALL, 10);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, IDC_RESERVE_DATE_LABEL, U("日期：")), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    m_picker = new wxDatePickerCtrl(this, IDC_RESERVE_DATE, wxDateTime::Now(), wxDefaultPosition, wxDefaultSize,
                                    wxDP_DROPDOWN | wxDP_SHOWCENTURY);
    row->Add(m_picker, 1);
    sizer->Add(row, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* ok = new wxButton(this, wxID_OK, U("确定"));
    ok->SetDefault();
    buttons->Add(ok, 0, wxRIGHT, 10);
    buttons->Add(new wxButton(this, wxID_CANCEL, U("取消")));
    sizer->Add(buttons, 0, wxALIGN_CENTER | wxALL, 10);
    if (english) {
        SetControlLabel(this, IDC_RESERVE_DATE_LABEL, U("Date："));
        SetControlLabel(this, wxID_OK, "OK");
        SetControlLabel(this, wxID_CANCEL, "Cancel");
    }
    SetSizerAndFit(sizer);
    CentreOnParent();
    Bind(wxEVT_BUTTON, &CReserveDlg::OnOK, this, wxID_OK);
}

COleDateTime CReserveDlg::GetChosenDate() const
{
    const wxDateTime day = m_picker->GetValue();
    COleDateTime date;
    if (!day.IsValid()) {
        date.SetStatus(COleDateTime::invalid);
        return date;
    }
    date.SetDateTime(day.GetYear(), int(day.GetMonth()) + 1, day.GetDay(), m_dtOpened.GetHour(),
                     m_dtOpened.GetMinute(), m_dtOpened.GetSecond());
    return date;
}

void CReserveDlg::OnOK(wxCommandEvent&)
{
    if (!ReserveRoom(g_strSelectedRoom, GetChosenDate()))
        AfxMessageBox(g_nLanguage == 2 ? wxString("Setup Reservation date failed!") : U("设置订房日期失败！"));
    EndDialog(wxID_OK);
}
