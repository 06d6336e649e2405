// The small modeless dialog in which the clerk picks a search key (name or ID
// number) and types the text to look for. It searches nothing itself: its
// buttons post messages to the guest-records window, which reads the text.
#pragma once

#include <cstdint>
#include <wx/event.h>

#include "CDialogEx.h"
#include "WinTypes.h"

class wxComboBox;
class wxTextCtrl;
class wxInitDialogEvent;
class wxCloseEvent;

enum : int {
    IDC_SEARCH_OK = 1,
    IDC_SEARCH_CANCEL = 2,
    IDC_SEARCH_KEY = 1011,
    IDC_SEARCH_TEXT = 1029,
};

// Messages posted to the records window; the key index travels as wParam.
enum : UINT {
    WM_SEARCH_RECORD = 0x0401,  // the search button: search with the current text
    WM_SEARCH_CLOSED = 0x0402,  // the dialog is going away
};
// The event that carries them: its id is the message, its int the wParam.
wxDECLARE_EVENT(EVT_RECORD_MESSAGE, wxCommandEvent);

// Queues `message` for `target`, to be handled after the current handler returns.
void PostRecordMessage(wxWindow* target, UINT message, UINT_PTR wParam);

class CUserSearchDlg : public CDialogEx
{
public:
    explicit CUserSearchDlg(wxWindow* pParent);

    wxWindow* m_pRecordWnd;  // receives the two messages
    wxComboBox* m_comboKey = nullptr;
    CString m_strSearch;     // the search text, read by UpdateData

    // UpdateData(TRUE) takes the text from the edit, UpdateData(FALSE) puts it there.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    void OnOK();
    void OnCancel();

private:
    void OnInitDialog(wxInitDialogEvent& event);
    void FitKeyList();
    void OnClose(wxCloseEvent& event);
    int SelectedKey() const;

    wxTextCtrl* m_editSearch = nullptr;
};
