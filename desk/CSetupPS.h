// The password settings: the old password, the new one twice, and the two
// locks. OK stores them in g_lockSettings and the settings file at once.
#pragma once

#include "CDialogEx.h"
#include "LockSettings.h"
#include "WinTypes.h"

class wxCheckBox;
class wxTextCtrl;

enum : int {
    IDC_SETUPPS_OLD_LABEL = 1053,
    IDC_SETUPPS_OLD = 1007,
    IDC_SETUPPS_NEW_LABEL = 1054,
    IDC_SETUPPS_NEW = 1029,
    IDC_SETUPPS_CONFIRM_LABEL = 1055,
    IDC_SETUPPS_CONFIRM = 1030,
    IDC_SETUPPS_BOOTLOCK = 1044,
    IDC_SETUPPS_CASHBOOKLOCK = 1045,
    IDC_SETUPPS_OK = 1,
    IDC_SETUPPS_CANCEL = 2,
};

// The password the settings file holds, as the file is read: at most 19 characters.
CString ReadStoredPassword();

// The message when the new password and its confirmation differ.
CString PasswordsDifferMessage(int language);
// The message when the new password would not come back whole from the settings file.
CString PasswordUnfitMessage(int language, PasswordFit fit);
// The message when the settings file cannot be written.
CString SettingsNotSavedMessage(int language);

class CSetupPS : public CDialogEx
{
public:
    explicit CSetupPS(wxWindow* parent = nullptr);

private:
    void SetTexts();
    void OnOK(wxCommandEvent& event);

    wxTextCtrl* m_editOld = nullptr;
    wxTextCtrl* m_editNew = nullptr;
    wxTextCtrl* m_editConfirm = nullptr;
    wxCheckBox* m_checkBootLock = nullptr;
    wxCheckBox* m_checkCashBookLock = nullptr;
};
