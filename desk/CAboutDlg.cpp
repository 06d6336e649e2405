#include "CAboutDlg.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include "Resources.h"
#include "Version.h"

CAboutDlg::CAboutDlg(wxWindow* parent)
    : CDialogEx(parent, 100, wxString::FromUTF8("关于 青禾旅馆"), wxDefaultPosition,
               parent ? parent->ConvertDialogToPixels(wxSize(195, 199)) : wxDefaultSize)
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxStaticBitmap(this, wxID_ANY, LoadResourceBitmap(IDB_ABOUT_BANNER)), 0, wxALIGN_CENTER | wxALL, 8);
    sizer->Add(new wxStaticBitmap(this, wxID_ANY, LoadResourceBitmap(IDB_ABOUT_LOGO)), 0, wxALIGN_CENTER | wxALL, 4);
    sizer->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8("青禾旅馆 前台管理")), 0, wxALIGN_CENTER | wxALL, 4);
    sizer->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8("版本 2.6.1.137")), 0, wxALIGN_CENTER | wxALL, 4);
    // The build this program came from, as its package and --version name it.
    sizer->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8("构建 " QUILLAN_VERSION)), 0, wxALIGN_CENTER | wxALL, 4);
    sizer->Add(new wxButton(this, wxID_OK, wxString::FromUTF8("确定")), 0, wxALIGN_CENTER | wxALL, 8);
    SetSizerAndFit(sizer);
    CentreOnParent();
}
