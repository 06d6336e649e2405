#include "CRegEndDlg.h"
#include "OpenFailure.h"
#include "RecordsetUse.h"
#include "DialogTexts.h"

#include <algorithm>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/dcclient.h>
#include <wx/settings.h>
#include <wx/stattext.h>

#include "CBoundedComboBox.h"
#include "CCashbookset.h"
#include "CHouseset.h"
#include "CQuillan2021App.h"
#include "CRegisterset.h"
#include "Globals.h"
#include "MessageBox.h"
#include "StayDays.h"
#include "StayOperations.h"
#include "UndoneOperation.h"

double ComputeBillTotal(int days, const CString& price)
{
    return days * ParseMoney(price);
}

double ComputeRefund(double paid, double total)
{
    return paid - total;
}

std::vector<BillLine> GetBillLines(int language, double paid, double deposit, int days, double total,
                                   double refund)
{
    const char* paidFmt;
    const char* depositFmt;
    const char* daysFmt;
    const char* totalFmt;
    const char* refundFmt;
    if (language == 1) {
        paidFmt = "交钱:￥ %.3f";
        depositFmt = "押金:￥ %.3f";
        daysFmt = "共住%d天";
        totalFmt = "合计:￥ %.3f";
        refundFmt = "退钱:￥ %.3f";
    } else if (language == 2) {
        // The paid line gets a label of its own: sharing "Total Money:" with the
        // total would show two different amounts under one name.
        paidFmt = "Paid Money:￥ %.3f";
        depositFmt = "Deposit:￥ %.3f";
        daysFmt = "Total Day%d";
        totalFmt = "Total Money:￥ %.3f";
        refundFmt = "Refund:￥ %.3f";
    } else {
        return {};
    }
    auto fmt = [](const char* utf8, auto value) { return wxString::Format(wxString::FromUTF8(utf8), value); };
    return {
        {fmt(paidFmt, paid), 0, 0},
        {fmt(depositFmt, deposit), 0, 20},
        {fmt(daysFmt, days), 125, 20},
        {fmt(totalFmt, total), 0, 40},
        {fmt(refundFmt, refund), 0, 65},
    };
}

namespace {

// Plain text order, independent of the locale.
bool InTextOrder(const CString& a, const CString& b)
{
    return a.compare(b) < 0;
}

}  // namespace

std::vector<CString> SortedEntries(std::vector<CString> entries)
{
    std::stable_sort(entries.begin(), entries.end(), InTextOrder);
    return entries;
}

RegEndTexts GetRegEndTexts(int language)
{
    RegEndTexts texts;
    if (language == 2) {
        texts.title = "Check Out";
        texts.roomLabel = wxString::FromUTF8("House Number：");
        texts.nameLabel = wxString::FromUTF8("Name：");
        texts.ok = "OK";
        texts.cancel = "Cancel";
    } else {
        texts.title = wxString::FromUTF8("退房");
    }
    return texts;
}

CString NoGuestChosenMessage()
{
    return wxString::FromUTF8("请选择姓名！");
}

namespace {

bool IsOpenStay(const CRegisterset& stays)
{
    return stays.m_dtCheckOut.GetStatus() == COleDateTime::null;
}

void FillList(wxComboBox* combo, const std::vector<CString>& entries)
{
    combo->Set(SortedEntries(entries));
}

// An open stay of the guest list: its name and its key.
struct ListedStay
{
    CString name;
    long id;
};

// The names in the lists' text order (see SortedEntries), each stay's key beside its name.
void FillGuestList(wxComboBox* combo, std::vector<ListedStay> stays, std::vector<long>& ids)
{
    std::stable_sort(stays.begin(), stays.end(),
                     [](const ListedStay& a, const ListedStay& b) { return InTextOrder(a.name, b.name); });
    std::vector<CString> names;
    ids.clear();
    for (const ListedStay& stay : stays) {
        names.push_back(stay.name);
        ids.push_back(stay.id);
    }
    combo->Set(names);
}

// The rows a stored persons count other than 0 reads from; the exact test is
// the member's, as a count of 256 reads as 0 and one of -1 as 255.
CString RoomsWithGuestsFilter()
{
    return wxString::FromUTF8("[房间人数] <> 0");
}

}  // namespace

CRegEndDlg::CRegEndDlg(wxWindow* parent)
    : CDialogEx(parent, wxID_ANY, wxString::FromUTF8("退房"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE)
{
    auto du = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
    auto dus = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };

    new wxStaticText(this, IDC_REGEND_ROOM_LABEL, wxString::FromUTF8("房间号："), du(30, 15), dus(55, 8),
                     wxALIGN_RIGHT);
    // Sorted by hand (see SortedEntries), so the toolkit's locale collation is not used.
    m_comboRoom = new CBoundedComboBox(this, IDC_REGEND_ROOM, du(92, 12), dus(60, 14), wxCB_READONLY);
    new wxStaticText(this, IDC_REGEND_NAME_LABEL, wxString::FromUTF8("姓名："), du(34, 32), dus(51, 8),
                     wxALIGN_RIGHT);
    m_comboName = new wxComboBox(this, IDC_REGEND_NAME, wxEmptyString, du(92, 30), dus(60, 14), 0, nullptr,
                                 wxCB_READONLY);
    auto* ok = new wxButton(this, IDC_REGEND_OK, wxString::FromUTF8("确定"), du(45, 105), dus(50, 14));
    new wxButton(this, IDC_REGEND_CANCEL, wxString::FromUTF8("取消"), du(120, 105), dus(50, 14));
    ok->SetDefault();
    SetClientSize(dus(215, 126));

    SetEscapeId(IDC_REGEND_CANCEL);
    Bind(wxEVT_INIT_DIALOG, &CRegEndDlg::OnInitDialog, this);
    Bind(wxEVT_PAINT, &CRegEndDlg::OnPaint, this);
    Bind(wxEVT_BUTTON, &CRegEndDlg::OnOK, this, IDC_REGEND_OK);
    Bind(wxEVT_BUTTON, &CRegEndDlg::OnCancel, this, IDC_REGEND_CANCEL);
    Bind(wxEVT_COMBOBOX, &CRegEndDlg::OnSelchangeRoom, this, IDC_REGEND_ROOM);
    Bind(wxEVT_COMBOBOX, &CRegEndDlg::OnSelchangeName, this, IDC_REGEND_NAME);
    CentreOnParent();
}

// Runs when ShowModal starts, after the caller has set m_strRoomNo.
void CRegEndDlg::OnInitDialog(wxInitDialogEvent&)
{
    SetTitle(wxString::FromUTF8("退房"));

    CHouseset rooms(&GetTheApp().m_dbHotel);
    rooms.m_strFilter = RoomsWithGuestsFilter();
    if (!TryOpen(rooms)) {
        ReportOpenFailure();
        // Without the rooms table the program cannot work: it ends.
        CallAfter([this] { EndDialog(wxID_CANCEL); });
        QuitAfterOpenFailure();
        return;
    }

    std::vector<CString> occupied;
    try {
        // Guests present is what counts; the occupied flag can lag behind.
        for (; !rooms.IsEOF(); rooms.MoveNext())
            if (rooms.m_nPersons > 0)
                occupied.push_back(rooms.m_strRoomNo);
    } catch (const CDBException& e) {
        e.ReportError();
    }
    FillList(m_comboRoom, occupied);

    if (m_comboRoom->GetCount() > 0) {
        int sel = m_strRoomNo.empty() ? 0 : m_comboRoom->FindString(m_strRoomNo, true);
        // A caller's room that has no guests any more falls back to the first
        // listed room, so the guest list, the bill and OK all concern one room.
        if (sel == wxNOT_FOUND)
            sel = 0;
        m_comboRoom->SetSelection(sel);
    }

    FillGuestNames();
    ComputeBill();
    CloseIfOpen(rooms);

    const RegEndTexts texts = GetRegEndTexts(g_nLanguage);
    if (!texts.title.empty())
        SetTitle(texts.title);
    SetControlLabel(this, IDC_REGEND_ROOM_LABEL, texts.roomLabel);
    SetControlLabel(this, IDC_REGEND_NAME_LABEL, texts.nameLabel);
    SetControlLabel(this, IDC_REGEND_OK, texts.ok);
    SetControlLabel(this, IDC_REGEND_CANCEL, texts.cancel);
}

CString CRegEndDlg::CurrentRoom() const
{
    const int sel = m_comboRoom->GetSelection();
    if (sel != wxNOT_FOUND)
        return m_comboRoom->GetString(sel);
    if (m_comboRoom->GetCount() > 0)
        return m_comboRoom->GetString(0);
    return CString();
}

BOOL CRegEndDlg::FillGuestNames()
{
    const CString room = CurrentRoom();
    CRegisterset stays(&GetTheApp().m_dbRegister);
    // The running stays of the room are all that is read.
    stays.m_strFilter = OpenStaysFilter();
    if (!room.empty()) {
        stays.m_strFilter += wxString::FromUTF8(" AND [房间号] = ?");
        stays.m_filterValues = {room};
    }
    if (!TryOpen(stays)) {
        ReportOpenFailure();
        return FALSE;
    }
    m_comboName->Clear();
    m_stayIds.clear();
    if (m_comboRoom->GetCount() > 0) {
        std::vector<ListedStay> listed;
        try {
            for (; !stays.IsEOF(); stays.MoveNext())
                if (IsOpenStay(stays) && stays.m_strRoomNo == room)
                    listed.push_back({stays.m_strName, stays.m_nID});
        } catch (const CDBException& e) {
            e.ReportError();
        }
        FillGuestList(m_comboName, listed, m_stayIds);
    }
    if (m_comboName->GetCount() > 0)
        m_comboName->SetSelection(0);
    CloseIfOpen(stays);
    return TRUE;
}

long CRegEndDlg::ChosenStay() const
{
    const int sel = m_comboName->GetSelection();
    return sel == wxNOT_FOUND || size_t(sel) >= m_stayIds.size() ? -1 : m_stayIds[size_t(sel)];
}

BOOL CRegEndDlg::ComputeBill()
{
    CHouseset rooms(&GetTheApp().m_dbHotel);
    CRegisterset stays(&GetTheApp().m_dbRegister);
    // The chosen guest's stay in this room, by its key: two guests of the
    // same name are never billed with each other's money.
    stays.m_strFilter = OpenStaysFilter() + " AND [ID] = ?";
    stays.m_filterValues = {ChosenStay()};
    if (!TryOpen(rooms) || !TryOpen(stays)) {
        ReportOpenFailure();
        return FALSE;
    }
    m_strRoomNo = m_comboRoom->GetValue();

    try {
        if (stays.IsEOF())
            return FALSE;

        m_dDeposit = ParseMoney(stays.m_strDeposit);
        m_dPaid = ParseMoney(stays.m_strPaid);
        m_nDays = CountStayDays(stays.m_dtCheckIn, COleDateTime::GetCurrentTime());

        if (rooms.FindRoom(m_strRoomNo) == -1)
            return FALSE;
        m_dTotal = ComputeBillTotal(m_nDays, rooms.m_strPrice);
    } catch (const CDBException& e) {
        e.ReportError();
        return FALSE;
    }
    CloseIfOpen(rooms);
    CloseIfOpen(stays);
    return TRUE;
}

void CRegEndDlg::OnSelchangeRoom(wxCommandEvent&)
{
    FillGuestNames();
    ComputeBill();
    Refresh();
}

void CRegEndDlg::OnSelchangeName(wxCommandEvent&)
{
    ComputeBill();
    Refresh();
}

void CRegEndDlg::OnPaint(wxPaintEvent&)
{
    // GTK only allows drawing inside the paint handler, so the bill goes on the paint DC.
    wxPaintDC dc(this);
    const std::vector<BillLine> lines = [this] {
        if (g_nLanguage != 1 && g_nLanguage != 2)
            return std::vector<BillLine>();
        m_dRefund = ComputeRefund(m_dPaid, m_dTotal);
        return GetBillLines(g_nLanguage, m_dPaid, m_dDeposit, m_nDays, m_dTotal, m_dRefund);
    }();
    if (lines.empty())
        return;

    // A cell 25 units high in the original layout holds characters about 16 pixels high here;
    // the line spacing of 20 pixels needs that size.
    dc.SetFont(wxFont(wxFontInfo(wxSize(0, 16)).Bold().FaceName("Arial")));
    dc.SetTextForeground(wxColour(255, 0, 0));
    dc.SetTextBackground(wxSystemSettings::GetColour(wxSYS_COLOUR_3DFACE));
    dc.SetBackgroundMode(wxBRUSHSTYLE_SOLID);

    const wxSize client = GetClientSize();
    const int x0 = client.GetWidth() / 2 - 100;
    const int y0 = client.GetHeight() / 2 - 30;
    for (const BillLine& line : lines)
        dc.DrawText(line.text, x0 + line.dx, y0 + line.dy);
}

void CRegEndDlg::OnOK(wxCommandEvent&)
{
    // A listed guest is checked out whatever the name reads as: the stay
    // goes by its key.
    const long stayId = ChosenStay();
    if (stayId == -1) {
        AfxMessageBox(NoGuestChosenMessage());
        return;
    }
    m_strRoomNo = m_comboRoom->GetValue();

    // The amount booked is the bill total; the bill shown is the one last
    // worked out, which is what the clerk saw.
    CheckOutBill bill;
    bill.paid = m_dPaid;
    bill.deposit = m_dDeposit;
    bill.total = m_dTotal;
    try {
        if (!CheckOut(GetTheApp(), stayId, bill)) {
            AfxMessageBox(StayGoneMessage(g_nLanguage), MB_OK | MB_ICONERROR);
            EndDialog(wxID_CANCEL);
            return;
        }
    } catch (const CDBException& e) {
        // The guest is still in: neither the room, the stay nor the cash book changed.
        ReportUndoneOperation(e);
        EndDialog(wxID_CANCEL);
        return;
    }
    EndDialog(wxID_OK);
}

void CRegEndDlg::OnCancel(wxCommandEvent&)
{
    EndDialog(wxID_CANCEL);
}
