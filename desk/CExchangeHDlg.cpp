#include "CExchangeHDlg.h"

#include <algorithm>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/stattext.h>

#include "BoardOrder.h"
#include "CBoundedComboBox.h"
#include "CHouseset.h"
#include "CQuillan2021App.h"
#include "CRegEndDlg.h"
#include "CRegisterset.h"
#include "CRoomNumberset.h"
#include "Globals.h"
#include "MessageBox.h"
#include "RecordsetUse.h"
#include "RoomOperations.h"
#include "UndoneOperation.h"

namespace {

bool IsOpenStay(const COleDateTime& checkOut)
{
    return checkOut.GetStatus() == COleDateTime::null;
}

CString MoveFailedMessage()
{
    return wxString::FromUTF8("换房失败！");
}

// The running stays of one room in table order, with their keys; false when
// the table cannot be opened. The index of the running stays by room finds
// them without reading the others.
bool ReadStaysOf(const CString& room, std::vector<GuestRecord>& out, std::vector<long>& keys)
{
    CRegisterset stays(&GetTheApp().m_dbRegister);
    stays.m_strFilter = OpenStaysFilter() + wxString::FromUTF8(" AND [房间号] = ?");
    stays.m_filterValues = {room};
    if (!TryOpen(stays))
        return false;
    try {
        for (; !stays.IsEOF(); stays.MoveNext()) {
            out.push_back(stays.GetGuestRecord());
            keys.push_back(stays.m_nID);
        }
    } catch (const CDBException& e) {
        e.ReportError();
    }
    CloseIfOpen(stays);
    return true;
}

// Every room number, read from the index of the numbers; false when the table cannot be opened.
bool ReadRoomNumbers(std::vector<CString>& out)
{
    CRoomNumberset rooms(&GetTheApp().m_dbHotel, false);
    rooms.m_strSort = BoardSortText();
    if (!TryOpen(rooms))
        return false;
    try {
        for (; !rooms.IsEOF(); rooms.MoveNext())
            out.push_back(rooms.m_strRoomNo);
    } catch (const CDBException& e) {
        e.ReportError();
    }
    CloseIfOpen(rooms);
    return true;
}

}  // namespace

std::vector<CString> ExchangeOpenStayNames(const std::vector<GuestRecord>& stays, const CString& room)
{
    std::vector<CString> names;
    for (const GuestRecord& s : stays)
        if (s.m_strRoomNo == room && IsOpenStay(s.m_dtCheckOut))
            names.push_back(s.m_strName);
    return SortedEntries(names);
}

int ExchangeFindShownStay(const std::vector<GuestRecord>& stays, const CString& name, const CString& room)
{
    // Namesakes in one room are indistinguishable in the list; the later stay wins.
    int found = -1;
    for (size_t i = 0; i < stays.size(); ++i)
        if (stays[i].m_strName == name && stays[i].m_strRoomNo == room && IsOpenStay(stays[i].m_dtCheckOut))
            found = static_cast<int>(i);
    return found;
}

CString ExchangeSexText(BOOL bSex)
{
    return wxString::FromUTF8(bSex ? "男" : "女");
}

CString ExchangeBirthText(const COleDateTime& dt)
{
    return dt.Format(wxString::FromUTF8("%Y年%m月%d日"));
}

CString ExchangeCheckInText(const COleDateTime& dt)
{
    return dt.Format(wxString::FromUTF8("%Y年%m月%d日%H时%M分"));
}

CExchangeHDlg::CExchangeHDlg(wxWindow* parent)
    : CDialogEx(parent, wxID_ANY, "Dialog", wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE)
{
    auto du = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
    auto dus = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };
    auto label = [&](const char* text, int x, int y, int w, int h) {
        new wxStaticText(this, wxID_ANY, wxString::FromUTF8(text), du(x, y), dus(w, h));
    };
    auto value = [&](int id, int x, int y, int w, int h) {
        new wxStaticText(this, id, "Static", du(x, y), dus(w, h));
    };

    label("姓名：", 52, 16, 25, 8);
    // Sorted by hand (SortedEntries), so the order does not depend on the locale.
    m_cbName = new wxComboBox(this, IDC_EXCHANGE_NAME, wxEmptyString, du(78, 13), dus(57, 14), 0, nullptr,
                              wxCB_READONLY);
    label("房间号：", 44, 31, 33, 8);
    value(IDC_EXCHANGE_ROOMNO, 78, 31, 43, 8);
    label("性别：", 51, 45, 25, 8);
    value(IDC_EXCHANGE_SEX, 78, 44, 43, 8);
    label("民族：", 51, 59, 25, 8);
    value(IDC_EXCHANGE_NATION, 77, 59, 43, 8);
    label("生日：", 50, 72, 25, 8);
    value(IDC_EXCHANGE_BIRTH, 77, 73, 110, 8);
    label("证件号：", 42, 86, 33, 8);
    value(IDC_EXCHANGE_IDNUMBER, 77, 87, 43, 8);
    label("籍贯：", 49, 101, 25, 8);
    value(IDC_EXCHANGE_NATIVE, 78, 101, 43, 8);
    label("备注：", 49, 117, 25, 8);
    value(IDC_EXCHANGE_REMARKS, 78, 116, 43, 8);
    label("交钱：", 49, 132, 25, 8);
    value(IDC_EXCHANGE_PAID, 78, 132, 43, 8);
    label("押金：", 48, 149, 25, 8);
    value(IDC_EXCHANGE_DEPOSIT, 78, 148, 43, 8);
    label("住房日期：", 32, 165, 41, 8);
    value(IDC_EXCHANGE_CHECKIN, 78, 164, 115, 8);
    label("要换的房间号：", 16, 181, 57, 8);
    m_cbRoom = new CBoundedComboBox(this, IDC_EXCHANGE_NEWROOM, du(76, 176), dus(57, 14), wxCB_READONLY);
    auto* ok = new wxButton(this, IDC_EXCHANGE_OK, wxString::FromUTF8("确定"), du(53, 207), dus(50, 14));
    new wxButton(this, IDC_EXCHANGE_CANCEL, wxString::FromUTF8("取消"), du(125, 207), dus(50, 14));
    ok->SetDefault();
    SetClientSize(dus(223, 228));

    SetEscapeId(IDC_EXCHANGE_CANCEL);
    Bind(wxEVT_INIT_DIALOG, &CExchangeHDlg::OnInitDialog, this);
    Bind(wxEVT_BUTTON, &CExchangeHDlg::OnOK, this, IDC_EXCHANGE_OK);
    Bind(wxEVT_BUTTON, &CExchangeHDlg::OnCancel, this, IDC_EXCHANGE_CANCEL);
    Bind(wxEVT_COMBOBOX, &CExchangeHDlg::OnSelchange, this, IDC_EXCHANGE_NAME);
    Bind(wxEVT_COMBOBOX, &CExchangeHDlg::OnSelchange, this, IDC_EXCHANGE_NEWROOM);
    CentreOnParent();
}

void CExchangeHDlg::SetValue(int id, const CString& text)
{
    if (wxWindow* w = FindWindow(id))
        w->SetLabel(text);
}

// Runs when ShowModal starts, after the caller has set m_strRoomNo.
void CExchangeHDlg::OnInitDialog(wxInitDialogEvent&)
{
    std::vector<CString> roomNos;
    if (!ReadRoomNumbers(roomNos)) {
        EndForOpenFailure(AfterOpenFailure::endDialog);
        return;
    }
    // The board's order is the list's wherever the database sorts as the list does.
    if (!std::is_sorted(roomNos.begin(), roomNos.end(),
                        [](const CString& a, const CString& b) { return a.compare(b) < 0; }))
        roomNos = SortedEntries(std::move(roomNos));
    m_cbRoom->Set(roomNos);

    // The guests are read once: choosing another name shows the stay already read.
    if (!ReadStaysOf(m_strRoomNo, m_stays, m_stayKeys)) {
        // Without the stays table the program cannot go on.
        EndForOpenFailure(AfterOpenFailure::endDialogAndQuit);
        return;
    }
    m_cbName->Set(ExchangeOpenStayNames(m_stays, m_strRoomNo));

    if (m_cbName->GetCount() > 0)
        m_cbName->SetSelection(0);
    if (m_cbRoom->GetCount() > 0)
        m_cbRoom->SetSelection(0);
    OnCbnSelchangeRoom();
    SetTitle(wxString::FromUTF8("更换换房间"));
}

void CExchangeHDlg::OnSelchange(wxCommandEvent&)
{
    OnCbnSelchangeRoom();
}

void CExchangeHDlg::OnCbnSelchangeRoom()
{
    const int i = ExchangeFindShownStay(m_stays, m_cbName->GetValue(), m_strRoomNo);
    if (i < 0)
        return;
    m_guest = m_stays[size_t(i)];
    m_nGuestKey = m_stayKeys[size_t(i)];
    SetValue(IDC_EXCHANGE_ROOMNO, m_guest.m_strRoomNo);
    SetValue(IDC_EXCHANGE_SEX, ExchangeSexText(m_guest.m_bSex));
    SetValue(IDC_EXCHANGE_NATION, m_guest.m_strNation);
    SetValue(IDC_EXCHANGE_BIRTH, ExchangeBirthText(m_guest.m_dtBirth));
    SetValue(IDC_EXCHANGE_IDNUMBER, m_guest.m_strIdNumber);
    SetValue(IDC_EXCHANGE_NATIVE, m_guest.m_strNativePlace);
    SetValue(IDC_EXCHANGE_REMARKS, m_guest.m_strRemarks);
    SetValue(IDC_EXCHANGE_PAID, m_guest.m_strPaid);
    SetValue(IDC_EXCHANGE_DEPOSIT, m_guest.m_strDeposit);
    SetValue(IDC_EXCHANGE_CHECKIN, ExchangeCheckInText(m_guest.m_dtCheckIn));
}

void CExchangeHDlg::OnOK(wxCommandEvent&)
{
    m_strNewRoom = m_cbRoom->GetValue();
    try {
        // No guest shown or no target chosen: nothing may be written.
        if (m_guest.m_strName.empty() || m_strNewRoom.empty() ||
            !MoveStayToRoom(GetTheApp(), m_nGuestKey, m_guest, m_strNewRoom)) {
            AfxMessageBox(MoveFailedMessage(), MB_OK);
            EndDialog(wxID_CANCEL);
            return;
        }
    } catch (const CDBException& e) {
        // The guest is still in the old room, in the stays and in the rooms.
        ReportUndoneOperation(e);
        EndDialog(wxID_CANCEL);
        return;
    }
    EndDialog(wxID_OK);
}

void CExchangeHDlg::OnCancel(wxCommandEvent&)
{
    EndDialog(wxID_CANCEL);
}
