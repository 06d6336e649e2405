#include "CSetupPS.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include "CodePage.h"
#include "DialogTexts.h"
#include "Globals.h"
#include "LockSettings.h"
#include "MessageBox.h"
#include "Profile.h"
#include "TextFields.h"

namespace {

// A text in Chinese and English.
struct Texts
{
    int id;
    const char* chinese;
    const char* english;
};

const Texts kTexts[] = {
    {IDC_SETUPPS_OLD_LABEL, "旧密码：", "Old password："},
    {IDC_SETUPPS_NEW_LABEL, "请输入密码：", "Password："},
    {IDC_SETUPPS_CONFIRM_LABEL, "确认密码：", "Confirm password："},
    {IDC_SETUPPS_BOOTLOCK, "启动锁", "Boot lock"},
    {IDC_SETUPPS_CASHBOOKLOCK, "账本锁", "CashBook lock"},
    {IDC_SETUPPS_OK, "确定", "OK"},
    {IDC_SETUPPS_CANCEL, "取消", "Cancle"},
};

}  // namespace

CString ReadStoredPassword()
{
    wchar_t stored[20] = {};
    GetPrivateProfileStringW(L"PASSWORD", L"Password", L"", stored, 20, kSettingsFile);
    return CString(stored);
}

CString PasswordsDifferMessage(int language)
{
    return language == 2 ? wxString("The both password not same,please input same password!")
                         : wxString::FromUTF8("两个密码不一样，请确认密码相同");
}

CString PasswordUnfitMessage(int language, PasswordFit fit)
{
    const bool english = language == 2;
    if (fit == PasswordFit::tooLong)
        return english ? wxString::Format("The password can have at most %zu characters.", kPasswordMaxLength)
                       : wxString::Format(wxString::FromUTF8("密码最多只能有%zu个字符。"), kPasswordMaxLength);
    return english ? wxString("The password holds characters that cannot be stored (such as emoji).\nUse Chinese "
                              "characters, letters, digits and common signs only.")
                   : wxString::FromUTF8("密码中有不能保存的字符（如表情符号）。\n请只用汉字、字母、数字和常用符号。");
}

CString SettingsNotSavedMessage(int language)
{
    return language == 2 ? wxString("This was not done: the settings file Quillan.INI cannot be written.\nThe "
                                    "password and the locks are as they were.")
                         : wxString::FromUTF8("没有完成：设置文件 Quillan.INI 不能写入。\n密码和锁都没有改变。");
}

CSetupPS::CSetupPS(wxWindow* parent)
    : CDialogEx(parent, 373, wxString::FromUTF8("设置密码"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE)
{
    auto du = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
    auto dus = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };
    auto edit = [&](int labelId, int id, int y) {
        new wxStaticText(this, labelId, wxString(), du(14, y + 3), dus(62, 8));
        return new wxTextCtrl(this, id, wxString(), du(78, y), dus(110, 14), wxTE_PASSWORD);
    };
    m_editOld = edit(IDC_SETUPPS_OLD_LABEL, IDC_SETUPPS_OLD, 10);
    LimitText(m_editOld);
    m_editNew = edit(IDC_SETUPPS_NEW_LABEL, IDC_SETUPPS_NEW, 30);
    LimitText(m_editNew);
    m_editConfirm = edit(IDC_SETUPPS_CONFIRM_LABEL, IDC_SETUPPS_CONFIRM, 50);
    LimitText(m_editConfirm);
    // Both boxes start unticked at every opening, whatever the locks are now.
    m_checkBootLock = new wxCheckBox(this, IDC_SETUPPS_BOOTLOCK, wxString(), du(40, 72), dus(60, 10));
    m_checkCashBookLock = new wxCheckBox(this, IDC_SETUPPS_CASHBOOKLOCK, wxString(), du(110, 72), dus(70, 10));
    auto* ok = new wxButton(this, IDC_SETUPPS_OK, wxString(), du(40, 94), dus(50, 14));
    new wxButton(this, IDC_SETUPPS_CANCEL, wxString(), du(112, 94), dus(50, 14));
    ok->SetDefault();
    SetClientSize(dus(203, 117));
    SetTexts();

    // The buttons carry the ids 1 and 2: Escape and the close box go to Cancel.
    SetEscapeId(IDC_SETUPPS_CANCEL);
    Bind(wxEVT_BUTTON, &CSetupPS::OnOK, this, IDC_SETUPPS_OK);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { EndDialog(wxID_CANCEL); }, IDC_SETUPPS_CANCEL);
    m_editOld->SetFocus();
    CentreOnParent();
}

// Chinese for languages 0 and 1, English for 2; the Chinese texts also stand
// for any other language, as the dialog's built-in ones.
void CSetupPS::SetTexts()
{
    const bool english = g_nLanguage == 2;
    SetTitle(english ? wxString("Setup password") : wxString::FromUTF8("设置密码"));
    for (const Texts& text : kTexts)
        SetControlLabel(this, text.id, wxString::FromUTF8(english ? text.english : text.chinese));
}

void CSetupPS::OnOK(wxCommandEvent&)
{
    // The old password is checked against the file, not the one in memory;
    // a wrong one is refused without a word.
    if (m_editOld->GetValue() != ReadStoredPassword())
        return;
    if (m_editNew->GetValue() != m_editConfirm->GetValue()) {
        AfxMessageBox(PasswordsDifferMessage(g_nLanguage));
        return;
    }
    // Only a password the settings file gives back whole opens the lock after a restart.
    const PasswordFit fit = CheckPasswordFits(m_editConfirm->GetValue());
    if (fit != PasswordFit::whole) {
        AfxMessageBox(PasswordUnfitMessage(g_nLanguage, fit));
        return;
    }
    const LockSettings before = g_lockSettings;
    g_lockSettings.m_bCashBookLock = m_checkCashBookLock->IsChecked();
    g_lockSettings.m_bBootLock = m_checkBootLock->IsChecked();
    g_lockSettings.m_strPassword = ToCodePage(m_editConfirm->GetValue(), CP_OEMCP);
    // A change the file did not take would be lost at the next start.
    if (!SaveLockSettings()) {
        g_lockSettings = before;
        AfxMessageBox(SettingsNotSavedMessage(g_nLanguage), MB_OK | MB_ICONERROR);
        return;
    }
    EndDialog(wxID_OK);
}
