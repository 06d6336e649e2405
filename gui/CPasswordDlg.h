// The password prompt in front of every lock: ends with wxID_OK only when the
// typed text equals the password held in g_lockSettings, else with wxID_CANCEL.
#pragma once

#include <string>

#include "CDialogEx.h"
#include "WinTypes.h"

class wxTextCtrl;

// Control ids of the prompt, kept so that callers and tests can find the controls.
enum : int {
    IDC_PASSWORD_LABEL = 1054,
    IDC_PASSWORD_EDIT = 1029,
    IDC_PASSWORD_OK = 1,
    IDC_PASSWORD_CANCEL = 2,
};

// Exact comparison: whole text, character by character, case-sensitive.
// heldOem is the held password as 8-bit text in the OEM code page.
bool PasswordMatches(const CString& typed, const std::string& heldOem);
// The same against g_lockSettings.m_strPassword.
bool PasswordMatchesHeld(const CString& typed);

// Texts of the prompt for a UI language; an empty text keeps the built-in one.
struct PasswordDlgTexts
{
    CString title, label, ok, cancel;
};
PasswordDlgTexts GetPasswordDlgTexts(int language);

class CPasswordDlg : public CDialogEx
{
public:
    explicit CPasswordDlg(wxWindow* parent = nullptr);

    // The text typed so far (after OK: the accepted password).
    CString GetPassword() const;

private:
    void OnOK(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);

    wxTextCtrl* m_editPassword = nullptr;
};
