// The dialog in which the clerk types a room's number, price and description,
// for a new room (mode 0) or an existing one (mode 1). It only collects and checks
// the texts, a number another room has among the checks; the caller writes them
// to the rooms table after wxID_OK.
#pragma once

#include <vector>

#include "CDialogEx.h"
#include "RoomOperations.h"
#include "WinTypes.h"

class wxComboBox;
class wxTextCtrl;

enum : int {
    IDC_ADDHOUSE_ROOMNO_LABEL = 1014,
    IDC_ADDHOUSE_ROOMNO = 1005,
    IDC_ADDHOUSE_PRICE_LABEL = 1041,
    IDC_ADDHOUSE_PRICE = 1063,
    IDC_ADDHOUSE_INTRO_LABEL = 1042,
    IDC_ADDHOUSE_INTRO = 1007,
    IDC_ADDHOUSE_OK = 1,
    IDC_ADDHOUSE_CANCEL = 2,
};

// The price list of the box in its (ordinal, sorted) display order.
std::vector<CString> AddHousePriceChoices();

enum class RoomNoCheck { Ok, Empty, NotDigits };
// A room number must be non-empty and made of the ASCII digits 0 to 9 only.
RoomNoCheck CheckRoomNo(const CString& roomNo);

// The message shown for a room number that is not all digits (the same in both languages).
CString RoomNoDigitsMessage();
// The refusal of a number another room has, in the UI language.
CString RoomNoTakenMessage(int language, const CString& roomNo);

// Texts by UI language and mode; an empty text keeps the built-in (Chinese) one.
struct AddHouseTexts
{
    CString title, roomNoLabel, priceLabel, introLabel, ok, cancel;
};
AddHouseTexts GetAddHouseTexts(int language, int mode);

class CAddHouse : public CDialogEx
{
public:
    explicit CAddHouse(wxWindow* parent = nullptr);

    // Set by the caller before ShowModal; read back after wxID_OK.
    int m_nMode = 0;       // 0 add, 1 modify
    CString m_strPrice;    // modify: current price in; after OK the text of the price box
    CString m_strRoomNo;
    CString m_strIntro;

    // The three texts as the room operations take them.
    RoomValues Values() const;

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnOK(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);

    wxTextCtrl* m_editRoomNo = nullptr;
    wxTextCtrl* m_editIntro = nullptr;
    wxComboBox* m_comboPrice = nullptr;
    // The number the room had when the dialog opened; empty when adding.
    CString m_strOpenedRoomNo;
};
