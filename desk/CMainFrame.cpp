#include "CMainFrame.h"

#include <algorithm>
#include <cstdlib>
#include <wx/datetime.h>
#include <wx/display.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/utils.h>
#include "CAboutDlg.h"
#include "CPasswordDlg.h"
#include "CQuillan2021View.h"
#include "CRightView.h"
#include "CSplashWnd.h"
#include "Globals.h"
#include "LanguageTexts.h"
#include "LockSettings.h"
#include "MainMenu.h"
#include "Profile.h"
#include "Resources.h"

namespace {

constexpr int kClockTimerId = 1001;
constexpr int kClockPane = 4;
const char* const kBoardPane = "board";
const char* const kPropertiesPane = "properties";

}  // namespace

wxString FormatClockText(int hour, int minute, int second)
{
    return wxString::Format(wxString::FromUTF8("当前时间：%02d:%02d:%02d"), hour, minute, second);
}

CMainFrame::CMainFrame(wxDocManager* manager) : m_clockTimer(this, kClockTimerId)
{
    CSplashWnd::ShowSplash(2000);
    g_nLanguage = int(GetPrivateProfileIntW(L"LANGUAGE", L"Language", 0, kSettingsFile));
    if (g_lockSettings.m_bBootLock) {
        CPasswordDlg prompt(nullptr);
        // Cancel ends the process here and now: nothing may be written on the way out.
        if (prompt.ShowModal() == wxID_CANCEL)
            std::exit(0);
    }
    // 1440 by 900, or the whole work area of a smaller screen.
    const wxRect workArea = wxDisplay().GetClientArea();
    const wxSize size(std::min(1440, workArea.width), std::min(900, workArea.height));
    Create(manager, nullptr, wxID_ANY, wxString::FromUTF8("青禾旅馆"), wxDefaultPosition, size);
    SetIcon(LoadResourceIcon(IDI_APP, 48));
    SetMenuBar(CreateMainMenu());
    CreateMainToolBar();
    wxStatusBar* status = CreateStatusBar(5);
    const int widths[] = {-1, 60, 60, 60, 200};
    status->SetStatusWidths(5, widths);
    m_mgr.SetManagedWindow(this);
    CreateRightPane();
    Centre();
    BindCommands();
    UpdateClock();
    m_clockTimer.Start(1000);
}

CMainFrame::~CMainFrame()
{
    m_mgr.UnInit();
}

void CMainFrame::BindCommands()
{
    Bind(wxEVT_TIMER, &CMainFrame::OnTimer, this, kClockTimerId);
    using Handler = void (CMainFrame::*)();
    const std::pair<int, Handler> commands[] = {
        {ID_APP_ABOUT, &CMainFrame::OnAppAbout},
        {ID_VIEW_PROPERTIES, &CMainFrame::OnViewProperties},
        {ID_VIEW_TOOLBAR, &CMainFrame::OnViewToolBar},
        {ID_VIEW_STATUS_BAR, &CMainFrame::OnViewStatusBar},
    };
    for (const auto& [id, handler] : commands)
        Bind(wxEVT_MENU, [this, handler = handler](wxCommandEvent&) { (this->*handler)(); }, id);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { Close(); }, ID_APP_EXIT);
    Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Check(m_bPaneVisible != FALSE); }, ID_VIEW_PROPERTIES);
    Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Check(GetToolBar() && GetToolBar()->IsShown()); },
         ID_VIEW_TOOLBAR);
    Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Check(GetStatusBar() && GetStatusBar()->IsShown()); },
         ID_VIEW_STATUS_BAR);
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
                         ToolTipFor(tools[i].id, g_nLanguage));
    }
    bar->Realize();
}

void CMainFrame::CreateRightPane()
{
    m_wndRightView = new CRightView(this);
    const wxSize size = CRightView::GetPanelSize();
    // The pane keeps its place on the right; the clerk can only resize it,
    // and show or hide it from the menu.
    m_mgr.AddPane(m_wndRightView, wxAuiPaneInfo()
                                      .Name(kPropertiesPane)
                                      .Caption(wxString::FromUTF8("属性"))
                                      .Right()
                                      .BestSize(size)
                                      .MinSize(CRightView::GetMinPanelSize())
                                      .CloseButton(false)
                                      .Floatable(false)
                                      .Movable(false)
                                      .Dockable(false)
                                      .Resizable(true));
    m_mgr.Update();
}

void CMainFrame::SetViewWindow(wxWindow* window)
{
    if (m_pViewWindow)
        m_mgr.DetachPane(m_pViewWindow);
    m_pViewWindow = window;
    if (window)
        m_mgr.AddPane(window, wxAuiPaneInfo().Name(kBoardPane).CenterPane());
    m_mgr.Update();
}

CQuillan2021View* CMainFrame::GetView() const
{
    wxDocManager* manager = GetDocumentManager();
    return manager ? wxDynamicCast(manager->GetAnyUsableView(), CQuillan2021View) : nullptr;
}

void CMainFrame::ShowPane(bool show)
{
    m_bPaneVisible = show;
    m_mgr.GetPane(kPropertiesPane).Show(show);
    m_mgr.Update();
}

void CMainFrame::SetRoomStatusLine(const wxString& text)
{
    m_strRoomStatus = text;
    if (wxStatusBar* status = GetStatusBar()) {
        status->SetStatusText(text, 0);
        status->Update();
    }
}

void CMainFrame::DoGiveHelp(const wxString& help, bool show)
{
    // The toolkit reports highlights, also of no item, before and after a menu
    // closes in an order of its own: a prompt shows only while it is there to be read.
    if (wxStatusBar* status = GetStatusBar())
        status->SetStatusText(show && !help.empty() ? help : m_strRoomStatus, 0);
}

void CMainFrame::OnViewProperties()
{
    ShowPane(!m_bPaneVisible);
}

void CMainFrame::OnViewToolBar()
{
    if (wxToolBar* bar = GetToolBar()) {
        bar->Show(!bar->IsShown());
        SendSizeEvent();
    }
}

void CMainFrame::OnViewStatusBar()
{
    if (wxStatusBar* bar = GetStatusBar()) {
        bar->Show(!bar->IsShown());
        SendSizeEvent();
    }
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
    // The lock keys' panes show their indicator while the lock is on.
    const std::pair<wxKeyCode, const char*> locks[] = {{WXK_CAPITAL, "CAP"}, {WXK_NUMLOCK, "NUM"}, {WXK_SCROLL, "SCRL"}};
    for (int pane = 1; pane <= 3; ++pane)
        SetStatusText(wxGetKeyState(locks[pane - 1].first) ? locks[pane - 1].second : "", pane);
}
