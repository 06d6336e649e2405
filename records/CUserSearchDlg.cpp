#include "CUserSearchDlg.h"

#include <vector>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "Globals.h"
#include "TextFields.h"

wxDEFINE_EVENT(EVT_RECORD_MESSAGE, wxCommandEvent);

void PostRecordMessage(wxWindow* target, UINT message, UINT_PTR wParam)
{
    if (!target)
        return;
    auto* event = new wxCommandEvent(EVT_RECORD_MESSAGE, int(message));
    event->SetInt(int(wParam));
    // Queued, not processed: the records window handles it after this dialog's
    // handler has returned, and drops it if it is destroyed first.
    wxQueueEvent(target->GetEventHandler(), event);
}

CUserSearchDlg::CUserSearchDlg(wxWindow* pParent)
    : CDialogEx(pParent, wxID_ANY, "Dialog", wxDefaultPosition, wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      m_pRecordWnd(pParent)
{
    auto du = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
    auto dus = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };

    m_comboKey = new wxComboBox(this, IDC_SEARCH_KEY, wxEmptyString, du(18, 21), dus(48, 14), 0, nullptr,
                                wxCB_DROPDOWN | wxCB_READONLY);
    new wxStaticText(this, wxID_ANY, wxString::FromUTF8("："), du(69, 22), dus(8, 8));
    m_editSearch = new wxTextCtrl(this, IDC_SEARCH_TEXT, wxEmptyString, du(76, 20), dus(101, 14), wxTE_PROCESS_ENTER);
    LimitText(m_editSearch);
    auto* ok = new wxButton(this, IDC_SEARCH_OK, wxString::FromUTF8("搜索"), du(190, 19), dus(50, 14));
    new wxButton(this, IDC_SEARCH_CANCEL, wxString::FromUTF8("取消"), du(190, 40), dus(50, 14));
    ok->SetDefault();
    SetClientSize(dus(247, 78));

    // The buttons carry the ids 1 and 2, so Escape is routed to Cancel explicitly.
    SetEscapeId(IDC_SEARCH_CANCEL);
    Bind(wxEVT_INIT_DIALOG, &CUserSearchDlg::OnInitDialog, this);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, IDC_SEARCH_OK);
    Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { OnOK(); }, IDC_SEARCH_TEXT);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnCancel(); }, IDC_SEARCH_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, &CUserSearchDlg::OnClose, this);
}

void CUserSearchDlg::OnInitDialog(wxInitDialogEvent&)
{
    m_comboKey->Clear();
    if (g_nLanguage == 1) {
        SetTitle(wxString::FromUTF8("客户记录搜索"));
        m_comboKey->Set(std::vector<wxString>{wxString::FromUTF8("姓名"), wxString::FromUTF8("证件号")});
        m_comboKey->SetSelection(0);
    } else if (g_nLanguage == 2) {
        SetTitle("Search record");
        m_comboKey->Set(std::vector<wxString>{"Name", "IDNumber"});
        m_comboKey->SetSelection(0);
        FindWindow(IDC_SEARCH_OK)->SetLabel("Search");
        FindWindow(IDC_SEARCH_CANCEL)->SetLabel("Cancel");
    }
    FitKeyList();
    m_editSearch->SetFocus();
}

// The key list as wide as its longest entry needs; what stands right of it moves along.
void CUserSearchDlg::FitKeyList()
{
    const int grow = m_comboKey->GetBestSize().x - m_comboKey->GetSize().x;
    if (grow <= 0)
        return;
    const int right = m_comboKey->GetRect().GetRight();
    m_comboKey->SetSize(m_comboKey->GetSize().x + grow, -1);
    for (wxWindow* child : GetChildren())
        if (child != m_comboKey && child->GetPosition().x > right)
            child->Move(child->GetPosition() + wxPoint(grow, 0));
    SetClientSize(GetClientSize() + wxSize(grow, 0));
}

BOOL CUserSearchDlg::UpdateData(BOOL bSaveAndValidate)
{
    if (bSaveAndValidate)
        m_strSearch = m_editSearch->GetValue();
    else
        m_editSearch->ChangeValue(m_strSearch);
    return TRUE;
}

int CUserSearchDlg::SelectedKey() const
{
    return m_comboKey->GetSelection();
}

void CUserSearchDlg::OnOK()
{
    // The dialog stays open with its text, so several searches can follow.
    PostRecordMessage(m_pRecordWnd, WM_SEARCH_RECORD, UINT_PTR(SelectedKey()));
}

void CUserSearchDlg::OnCancel()
{
    if (wxTheApp->IsScheduledForDestruction(this))
        return;
    PostRecordMessage(m_pRecordWnd, WM_SEARCH_CLOSED, UINT_PTR(SelectedKey()));
    Destroy();
}

void CUserSearchDlg::OnClose(wxCloseEvent&)
{
    OnCancel();
}
