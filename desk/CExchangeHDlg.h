// The change-room dialog: the clerk picks one guest whose stay in the current
// room is still open and a target room; on OK the stay is rewritten to the
// target room and one person moves between the two rooms.
#pragma once

#include <vector>

#include "CDialogEx.h"
#include "COleDateTime.h"
#include "GuestRecord.h"
#include "WinTypes.h"

class wxComboBox;

enum : int {
    IDC_EXCHANGE_NAME = 1012,
    IDC_EXCHANGE_NEWROOM = 1013,
    IDC_EXCHANGE_ROOMNO = 1014,
    IDC_EXCHANGE_SEX = 1015,
    IDC_EXCHANGE_NATION = 1016,
    IDC_EXCHANGE_BIRTH = 1017,
    IDC_EXCHANGE_IDNUMBER = 1018,
    IDC_EXCHANGE_NATIVE = 1019,
    IDC_EXCHANGE_REMARKS = 1020,
    IDC_EXCHANGE_PAID = 1021,
    IDC_EXCHANGE_DEPOSIT = 1022,
    IDC_EXCHANGE_CHECKIN = 1023,
    IDC_EXCHANGE_OK = 1,
    IDC_EXCHANGE_CANCEL = 2,
};

// Names of the stays of that room that have no check-out yet, in plain text
// order with duplicates kept (the name list shows one entry per stay).
std::vector<CString> ExchangeOpenStayNames(const std::vector<GuestRecord>& stays, const CString& room);

// Index of the stay shown for a chosen name: the last open stay of that room
// with that name, in table order; -1 when there is none.
int ExchangeFindShownStay(const std::vector<GuestRecord>& stays, const CString& name, const CString& room);

// Texts of the value fields.
CString ExchangeSexText(BOOL bSex);
CString ExchangeBirthText(const COleDateTime& dt);    // to the day
CString ExchangeCheckInText(const COleDateTime& dt);  // to the minute

class CExchangeHDlg : public CDialogEx
{
public:
    explicit CExchangeHDlg(wxWindow* parent = nullptr);

    // The stay shown in the value fields; default until an open stay of the
    // current room was found for the chosen name.
    GuestRecord m_guest;
    // The key of that stay's row, which OK moves.
    long m_nGuestKey = 0;
    // Set by the caller before ShowModal: the room the guest leaves.
    CString m_strRoomNo;
    // After wxID_OK: the room the guest moved to.
    CString m_strNewRoom;

    wxComboBox* m_cbName = nullptr;
    wxComboBox* m_cbRoom = nullptr;

    // Refreshes m_guest and the value fields from the name list.
    void OnCbnSelchangeRoom();

private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnSelchange(wxCommandEvent& event);
    void OnOK(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void SetValue(int id, const CString& text);

    // The running stays of the current room as the dialog opened, and their keys.
    std::vector<GuestRecord> m_stays;
    std::vector<long> m_stayKeys;
};
