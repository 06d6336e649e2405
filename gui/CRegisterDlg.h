// The check-in dialog: the one place a stay is written. Mode 0 checks a guest
// into a room, mode 1 rewrites a stored stay, mode 2 only shows the form.
#pragma once

#include <memory>
#include <vector>
#include <wx/datetime.h>
#include <wx/timer.h>

#include "CDialogEx.h"
#include "CardReader.h"
#include "COleDateTime.h"
#include "GuestRecord.h"
#include "WinTypes.h"

class wxComboBox;
class wxTextCtrl;
class wxDatePickerCtrl;
class wxStaticText;
class wxStaticBitmap;

enum : int {
    IDC_REG_NAME = 1001,
    IDC_REG_SEX = 1002,
    IDC_REG_NATION = 1003,
    IDC_REG_BIRTHDAY = 1004,
    IDC_REG_NATIVEPLACE = 1005,
    IDC_REG_IDNUMBER = 1006,
    IDC_REG_REMARKS = 1007,
    IDC_REG_PAID = 1008,
    IDC_REG_DEPOSIT = 1009,
    IDC_REG_HOURS = 1010,
    IDC_REG_ROOM = 1011,
    IDC_REG_SEX_LABEL = 1015,
    IDC_REG_NATION_LABEL = 1016,
    IDC_REG_BIRTHDAY_LABEL = 1017,
    IDC_REG_IDNUMBER_LABEL = 1018,
    IDC_REG_NATIVEPLACE_LABEL = 1019,
    IDC_REG_REMARKS_LABEL = 1020,
    IDC_REG_PAID_LABEL = 1021,
    IDC_REG_DEPOSIT_LABEL = 1022,
    IDC_REG_HOURS_LABEL = 1023,
    IDC_REG_ROOM_LABEL = 1027,
    IDC_REG_VALIDITY = 1031,
    IDC_REG_NAME_LABEL = 1040,
    IDC_REG_PHOTO_FRAME = 1056,
    IDC_REG_PHOTO = 1060,
    IDC_REG_HOURS_UNIT = 1061,
    IDC_REG_OK = 1,
};

// The 56 nation names in the order the list offers them.
std::vector<CString> RegisterNationNames();
// The money and hour lists in their display order (sorted as plain text).
std::vector<CString> RegisterPaidChoices();
std::vector<CString> RegisterDepositChoices();
std::vector<CString> RegisterHourChoices();
// Items sorted as plain text, independent of the locale.
std::vector<CString> SortedAsText(std::vector<CString> items);

// The hint and default name of a guest when the stays table holds `rows` rows.
CString RegisterDefaultName(long rows);

// The leading integer of the hours entry; text that is no number gives 0.
int ParseHourCount(const CString& text);
// End of an hourly stay of `hours` hours begun at `start`: later on the same
// day or on a following one, never before the start. False when `hours` is 0
// or negative (no hourly stay) or `start` is not a valid date.
bool ComputeHourlyEnd(const COleDateTime& start, int hours, COleDateTime& end);

// TRUE for the man entry of the sex list in either language.
bool IsManText(const CString& text);

// The ID-number rejection message in the UI language.
CString RegisterIdRejectMessage(int language);

// Check-in to a room number that no room has, in the UI language.
CString RegisterUnknownRoomMessage(int language);

// The title by language and mode.
CString RegisterTitle(int language, int mode);

// The entry equal to `value`, or -1. A value pushed to an editable combo
// selects that entry, and otherwise stays in the edit part exactly as it is:
// a typed 15 must not become the entry 150.000.
int FindComboEntry(const std::vector<CString>& entries, const CString& value);

class CRegisterDlg : public CDialogEx
{
public:
    explicit CRegisterDlg(wxWindow* parent = nullptr);
    ~CRegisterDlg() override;

    // Set by the caller before ShowModal.
    GuestRecord m_record;    // mode 1: the stay as stored; holds the new values after OK
    int m_nMode = 0;         // 0 check-in, 1 modify, 2 view
    int m_nRoomIndex = 0;    // mode 0: position of the room in the rooms table
    BOOL m_bSex = FALSE;     // mode 1: TRUE man

    CString m_strName;
    COleDateTime m_dtBirthday;
    CString m_strNativePlace;
    CString m_strIdNumber;
    CString m_strRemarks;
    CString m_strPaid;
    CString m_strDeposit;
    CString m_strNation;
    CString m_strRoom;
    CString m_strValidity;
    // The rows of the stays table when the dialog opened.
    long m_nStayRows = 0;

    // Modify mode on a stored stay: the form starts with its values.
    void SetStayToModify(const GuestRecord& stored);

    // TRUE when the ID number is to be refused (empty or blank, a Chinese
    // character, or a letter other than the X that ends a resident ID number).
    static BOOL CheckIdNumber(const CString& idNumber);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnOK(wxCommandEvent& event);
    // The writes of OK by mode; a database error passes to OnOK, with nothing written.
    // False when no room has the number typed.
    bool CheckInGuest(BOOL bSex);
    void RewriteStay(BOOL bSex);
    // The form's values as a stay, without its times.
    GuestRecord FormRecord(BOOL bSex) const;
    void OnTimer(wxTimerEvent& event);
    void ShowCardPhoto(const CString& path);
    // Shows what one poll gave: the card in the fields and its photo, or no photo.
    void TakeCard(CardReader::PollResult result, const IdCardData& data);
    void OnClose(wxCloseEvent& event);
    void StopReader();
    void SetComboValue(wxComboBox* combo, const CString& value);

    wxComboBox* m_comboRoom = nullptr;
    wxComboBox* m_comboSex = nullptr;
    wxComboBox* m_comboNation = nullptr;
    wxComboBox* m_comboPaid = nullptr;
    wxComboBox* m_comboDeposit = nullptr;
    wxComboBox* m_comboHours = nullptr;
    wxTextCtrl* m_editName = nullptr;
    wxTextCtrl* m_editNativePlace = nullptr;
    wxTextCtrl* m_editIdNumber = nullptr;
    wxTextCtrl* m_editRemarks = nullptr;
    wxDatePickerCtrl* m_pickBirthday = nullptr;
    wxStaticText* m_textValidity = nullptr;
    wxStaticBitmap* m_photo = nullptr;
    wxDateTime m_shownBirthday;  // what the picker was given
    COleDateTime m_dtOpenedBirthday;  // the birthday when the reader was set up

    std::unique_ptr<CardReader> m_reader;
    wxTimer m_timer;
};
