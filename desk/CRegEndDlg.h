// The check-out dialog: the clerk picks an occupied room and one of its guests
// whose stay is still open, sees the bill, and on OK the guest leaves the room,
// the stay is closed and one row goes to the cash book.
#pragma once

#include <vector>

#include "CDialogEx.h"
#include "COleDateTime.h"
#include "Money.h"
#include "WinTypes.h"

class wxComboBox;
class wxPaintEvent;
class CHouseset;
class CRegisterset;

enum : int {
    IDC_REGEND_ROOM_LABEL = 1027,
    IDC_REGEND_ROOM = 1010,
    IDC_REGEND_NAME_LABEL = 1040,
    IDC_REGEND_NAME = 1011,
    IDC_REGEND_OK = 1,
    IDC_REGEND_CANCEL = 2,
};

// The bill total: days stayed times the room's price text.
double ComputeBillTotal(int days, const CString& price);

// What comes back to the guest: the deposit is settled separately, so it is
// not part of the refund. Negative when the stay cost more than was paid.
double ComputeRefund(double paid, double total);

// One drawn line of the bill, placed relative to the bill's origin.
struct BillLine
{
    CString text;
    int dx = 0;
    int dy = 0;
};

// The five bill lines (paid, deposit, days, total, refund) in the UI language;
// none for a language other than 1 (Chinese) or 2 (English).
std::vector<BillLine> GetBillLines(int language, double paid, double deposit, int days, double total,
                                   double refund);

// Entries of a list in plain text order (duplicates kept), independent of the locale.
std::vector<CString> SortedEntries(std::vector<CString> entries);

// Texts by UI language; an empty text keeps the built-in (Chinese) one.
struct RegEndTexts
{
    CString title, roomLabel, nameLabel, ok, cancel;
};
RegEndTexts GetRegEndTexts(int language);

// The message shown when OK is pressed with no guest chosen (both languages).
CString NoGuestChosenMessage();

class CRegEndDlg : public CDialogEx
{
public:
    explicit CRegEndDlg(wxWindow* parent = nullptr);

    // Set by the caller before ShowModal (empty: take the first listed room);
    // after wxID_OK it holds the room that was checked out of.
    CString m_strRoomNo;
    // The bill last worked out; zeros until a computation succeeds.
    double m_dDeposit = 0;
    double m_dPaid = 0;
    double m_dTotal = 0;
    double m_dRefund = 0;
    int m_nDays = 0;

    // Refills the guest list from the open stays of the chosen room;
    // FALSE when the stays table cannot be opened.
    BOOL FillGuestNames();
    // TRUE when the bill for the chosen guest and room was worked out in full.
    BOOL ComputeBill();

    wxComboBox* m_comboRoom = nullptr;
    wxComboBox* m_comboName = nullptr;
    // The key of the stay behind each entry of the guest list, in its order:
    // the bill and OK take the stay by it, never by matching its texts again.
    std::vector<long> m_stayIds;

private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnOK(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnPaint(wxPaintEvent& event);
    void OnSelchangeRoom(wxCommandEvent& event);
    void OnSelchangeName(wxCommandEvent& event);

    // The room whose guests are listed: the selected entry, else the first.
    CString CurrentRoom() const;
    // The key of the chosen guest's stay, -1 when no guest is chosen.
    long ChosenStay() const;
};
