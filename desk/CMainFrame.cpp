#include "CMainFrame.h"

#include <wx/datetime.h>
#include <wx/sizer.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <cstdlib>
#include "CAboutDlg.h"
#include "CPasswordDlg.h"
#include "CQuillan2021View.h"
#include "CSplashWnd.h"
#include "Globals.h"
#include "LanguageTexts.h"
#include "LockSettings.h"
#include "MainMenu.h"
#include "Profile.h"
#include "Resources.h"

namespace {
constexpr int kClockTimerId = 1;
constexpr int kClockPane = 4;
}  // namespace

wxString FormatClockText(int hour, int minute, int second)
{
    return wxString::Format(wxString::FromUTF8("当前时间：%02d:%02d:%02d"), hour, minute, second);
}

CMainFrame::CMainFrame()
    : wxFrame(nullptr, wxID_ANY, wxString::FromUTF8("青禾旅馆"), wxDefaultPosition, wxSize(1280, 800)),
      m_clockTimer(this, kClockTimerId)
{
    CSplashWnd::ShowSplash(2000);
    g_nLanguage = int(GetPrivateProfileIntW(L"LANGUAGE", L"Language", 0, kSettingsFile));
    if (g_lockSettings.m_bBootLock) {
        CPasswordDlg prompt(nullptr);
        // Cancel ends the process here and now: nothing may be written on the way out.
        if (prompt.ShowModal() == wxID_CANCEL)
            std::exit(0);
    }
    SetMenuBar(CreateMainMenu());
    CreateMainToolBar();
    wxStatusBar* status = CreateStatusBar(5);
    const int widths[] = {-1, 60, 60, 60, 200};
    status->SetStatusWidths(5, widths);

    m_pView = new CQuillan2021View(this);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pView, 1, wxEXPAND);
    SetSizer(sizer);
    m_pView->OnInitialUpdate();

    Bind(wxEVT_TIMER, &CMainFrame::OnTimer, this, kClockTimerId);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnAppAbout(); }, ID_APP_ABOUT);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { Close(); }, ID_APP_EXIT);
    UpdateClock();
    m_clockTimer.Start(1000);
}

void CMainFrame::CreateMainToolBar()
{
    static const int kImages[] = {IDI_TB_CHECKIN, IDI_TB_CHECKOUT, IDI_TB_CHANGEROOM, IDI_TB_RESERVE,
                                  IDI_TB_ADDROOM, IDI_TB_DELROOM,  IDI_TB_CALC,       0,
                                  IDI_TB_ABOUT};
    wxToolBar* bar = CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT | wxTB_TEXT);
    bar->SetToolBitmapSize(wxSize(48, 48));
    const auto& tools = ToolbarTexts();
    for (size_t i = 0; i < tools.size(); ++i) {
        if (tools[i].id == 0)
            bar->AddSeparator();
        else
            bar->AddTool(tools[i].id, tools[i].label.For(1), LoadResourceBitmap(kImages[i], 48),
                         ToolTipFor(tools[i].id, 1));
    }
    bar->Realize();
}

void CMainFrame::OnAppAbout()
{
    CAboutDlg about(this);
    about.ShowModal();
}

void CMainFrame::OnTimer(wxTimerEvent&)
{
    UpdateClock();
}

void CMainFrame::UpdateClock()
{
    const wxDateTime now = wxDateTime::Now();
    SetStatusText(FormatClockText(now.GetHour(), now.GetMinute(), now.GetSecond()), kClockPane);
}
