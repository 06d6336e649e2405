// The main window around the room board, with the clock in the status bar.
#pragma once

#include <wx/frame.h>
#include <wx/timer.h>

class CQuillan2021View;

class CMainFrame : public wxFrame
{
public:
    CMainFrame();

    CQuillan2021View* GetView() const { return m_pView; }
    void OnAppAbout();

private:
    void CreateMainToolBar();
    void OnTimer(wxTimerEvent& event);
    void UpdateClock();

    CQuillan2021View* m_pView = nullptr;
    wxTimer m_clockTimer;
};

// The clock pane's text for a time of day.
wxString FormatClockText(int hour, int minute, int second);
