#include "CRewardDlg.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include "Globals.h"
#include "Resources.h"

CRewardDlg::CRewardDlg(wxWindow* parent)
    : CDialogEx(parent, 408, wxString::FromUTF8("打赏"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE)
{
    // Laid out by a sizer: the picture at its own size above the line and the button.
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxStaticBitmap(this, wxID_ANY, LoadResourceBitmap(IDB_REWARD)), 0, wxALIGN_CENTER | wxALL, 10);
    auto* text = new wxStaticText(this, IDC_REWARD_TEXT, wxString::FromUTF8("如果支持作者，请给作者打赏，谢谢！"),
                                  wxDefaultPosition, wxDefaultSize, wxALIGN_CENTRE_HORIZONTAL);
    sizer->Add(text, 0, wxALIGN_CENTER | wxLEFT | wxRIGHT, 10);
    auto* ok = new wxButton(this, IDC_REWARD_OK, wxString::FromUTF8("确定"));
    ok->SetDefault();
    sizer->Add(ok, 0, wxALIGN_CENTER | wxALL, 10);
    if (g_nLanguage == 2) {
        SetTitle("Reward");
        text->SetLabel("if you support the author,please give the author a reward thank you!");
        text->Wrap(300);
        ok->SetLabel("OK");
    }
    SetSizerAndFit(sizer);
    // OK, Enter, Escape and the close box all just close the box.
    SetEscapeId(IDC_REWARD_OK);
    SetAffirmativeId(IDC_REWARD_OK);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { EndDialog(wxID_OK); }, IDC_REWARD_OK);
    CentreOnParent();
}
