// The main window: the board in the middle, the room detail pane on the
// right, the toolbar, and the clock in the status bar. Creating it shows the
// splash and, when the start-up lock is on, asks for the password.
#pragma once

#include <wx/aui/framemanager.h>
#include <wx/docview.h>
#include <wx/timer.h>
#include "WinTypes.h"

class CQuillan2021View;
class CRightView;

class CMainFrame : public wxDocParentFrame
{
public:
    explicit CMainFrame(wxDocManager* manager);
    ~CMainFrame() override;

    CQuillan2021View* GetView() const;
    // Puts the view's window in the middle of the frame; nullptr takes it away.
    void SetViewWindow(wxWindow* window);
    CRightView* GetRightView() const { return m_wndRightView; }

    // The status line of the selected room. Menu prompts take its place while
    // a menu item is highlighted; it comes back when the menu closes.
    void SetRoomStatusLine(const wxString& text);
    void DoGiveHelp(const wxString& help, bool show) override;

    // Shows or hides the detail pane; the check mark of "属性" follows.
    void ShowPane(bool show);
    void OnViewProperties();
    void OnViewToolBar();
    void OnViewStatusBar();
    void OnAppAbout();

    // Whether the detail pane is meant to be shown.
    BOOL m_bPaneVisible = TRUE;

private:
    void CreateMainToolBar();
    void CreateRightPane();
    void BindCommands();
    void OnTimer(wxTimerEvent& event);
    void UpdateClock();

    wxAuiManager m_mgr;
    CRightView* m_wndRightView = nullptr;
    wxWindow* m_pViewWindow = nullptr;
    wxString m_strRoomStatus;
    wxTimer m_clockTimer;
};

// The clock pane's text for a time of day.
wxString FormatClockText(int hour, int minute, int second);
