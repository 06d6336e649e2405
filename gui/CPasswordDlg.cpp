#include "CPasswordDlg.h"

#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "CodePage.h"
#include "Globals.h"
#include "LockSettings.h"
#include "TextFields.h"

bool PasswordMatches(const CString& typed, const std::string& heldOem)
{
    return typed == FromCodePage(heldOem, CP_OEMCP);
}

bool PasswordMatchesHeld(const CString& typed)
{
    return PasswordMatches(typed, g_lockSettings.m_strPassword);
}

PasswordDlgTexts GetPasswordDlgTexts(int language)
{
    PasswordDlgTexts texts;
    if (language == 0 || language == 1) {
        // The labels and buttons already carry the Chinese texts.
        texts.title = wxString::FromUTF8("输入密码");
    } else if (language == 2) {
        texts.title = "Input Password";
        texts.label = "Password:";
        texts.ok = "OK";
        texts.cancel = "CANCEL";
    }
    return texts;
}

CPasswordDlg::CPasswordDlg(wxWindow* parent)
    : CDialogEx(parent, wxID_ANY, wxString::FromUTF8("输入密码"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE)
{
    // Laid out in dialog units so that the prompt scales with the system font.
    auto du = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
    auto dus = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };

    auto* label = new wxStaticText(this, IDC_PASSWORD_LABEL, wxString::FromUTF8("密码："), du(20, 24),
                                   dus(40, 8));
    m_editPassword = new wxTextCtrl(this, IDC_PASSWORD_EDIT, wxEmptyString, du(62, 21), dus(118, 14),
                                    wxTE_PASSWORD);
    LimitText(m_editPassword);
    auto* ok = new wxButton(this, IDC_PASSWORD_OK, wxString::FromUTF8("确定"), du(40, 58), dus(50, 14));
    auto* cancel = new wxButton(this, IDC_PASSWORD_CANCEL, wxString::FromUTF8("取消"), du(112, 58),
                                dus(50, 14));
    ok->SetDefault();
    SetClientSize(dus(203, 84));

    PasswordDlgTexts texts = GetPasswordDlgTexts(g_nLanguage);
    if (!texts.title.empty())
        SetTitle(texts.title);
    if (!texts.label.empty())
        label->SetLabel(texts.label);
    if (!texts.ok.empty())
        ok->SetLabel(texts.ok);
    if (!texts.cancel.empty())
        cancel->SetLabel(texts.cancel);

    // The buttons carry the ids 1 and 2, not wxID_OK/wxID_CANCEL, so Escape and the
    // close box are routed to the cancel button explicitly.
    SetEscapeId(IDC_PASSWORD_CANCEL);
    Bind(wxEVT_BUTTON, &CPasswordDlg::OnOK, this, IDC_PASSWORD_OK);
    Bind(wxEVT_BUTTON, &CPasswordDlg::OnCancel, this, IDC_PASSWORD_CANCEL);

    m_editPassword->SetFocus();
    CentreOnParent();
}

CString CPasswordDlg::GetPassword() const
{
    return m_editPassword->GetValue();
}

void CPasswordDlg::OnOK(wxCommandEvent&)
{
    // A wrong password is answered with silence: the prompt stays with the text typed.
    if (PasswordMatchesHeld(m_editPassword->GetValue()))
        EndDialog(wxID_OK);
}

void CPasswordDlg::OnCancel(wxCommandEvent&)
{
    EndDialog(wxID_CANCEL);
}
