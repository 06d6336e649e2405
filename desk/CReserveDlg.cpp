#include "CReserveDlg.h"

#include <wx/button.h>
#include <wx/datectrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include "CQuillan2021App.h"
#include "DialogTexts.h"
#include "Globals.h"
#include "MessageBox.h"
#include "UndoneOperation.h"

namespace {

enum { IDC_RESERVE_ROOM = 1014, IDC_RESERVE_DATE_LABEL = 1043, IDC_RESERVE_DATE = 1004 };

wxString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

}  // namespace

CReserveDlg::CReserveDlg(wxWindow* parent, const RoomRef& room)
    : CDialogEx(parent, 367, g_nLanguage == 2 ? wxString("Reservation") : U("订房")),
      m_room(room),
      m_dtOpened(COleDateTime::GetCurrentTime())
{
    const bool english = g_nLanguage == 2;
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxStaticText(this, IDC_RESERVE_ROOM, U(english ? "House Number：" : "房间号：") + room.number),
               0, wxALL, 10);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, IDC_RESERVE_DATE_LABEL, U("日期：")), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    // As wide as the template has it: a date in the Chinese order is longer than the picker's own guess.
    m_picker = new wxDatePickerCtrl(this, IDC_RESERVE_DATE, wxDateTime::Now(), wxDefaultPosition,
                                    wxSize(ConvertDialogToPixels(wxSize(100, 0)).x, -1),
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
    try {
        if (!ReserveRoom(GetTheApp(), m_room, GetChosenDate()))
            AfxMessageBox(g_nLanguage == 2 ? wxString("Setup Reservation date failed!") : U("设置订房日期失败！"));
    } catch (const CDBException& e) {
        ReportUndoneOperation(e);
    }
    EndDialog(wxID_OK);
}
