#include "CSplashWnd.h"

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/evtloop.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include "Resources.h"

namespace {
// The picture stands in for a missing resource at the size the layout expects.
const int kDefaultWidth = 640;
const int kDefaultHeight = 480;
}

CSplashWnd::CSplashWnd()
{
    m_image = LoadResourceBitmap(IDB_SPLASH);
    if (m_image.IsOk()) {
        m_nWidth = m_image.GetWidth();
        m_nHeight = m_image.GetHeight();
    } else {
        m_nWidth = kDefaultWidth;
        m_nHeight = kDefaultHeight;
    }

    Create(nullptr, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
           wxBORDER_NONE | wxSTAY_ON_TOP | wxFRAME_TOOL_WINDOW | wxFRAME_NO_TASKBAR);
    // The picture covers everything, so no background is erased under it.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetClientSize(m_nWidth, m_nHeight);
    SetCursor(wxCursor(wxCURSOR_ARROW));

    Bind(wxEVT_PAINT, &CSplashWnd::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, &CSplashWnd::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &CSplashWnd::OnLeftUp, this);
    Bind(wxEVT_MOTION, &CSplashWnd::OnMotion, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CSplashWnd::OnCaptureLost, this);
}

void CSplashWnd::ShowSplash(int nMilliseconds)
{
    CSplashWnd* splash = new CSplashWnd();
    splash->ShowFor(nMilliseconds);
}

void CSplashWnd::ShowFor(int nMilliseconds)
{
    CentreOnScreen();
    Show();
    Raise();
    Update();

    // GTK maps and paints windows asynchronously, so a plain sleep would leave an
    // empty rectangle on screen. The wait therefore pumps only user-interface events
    // (paint, and the mouse for dragging); the caller still gets control back only
    // after the whole time has passed.
    wxStopWatch watch;
    while (watch.Time() < nMilliseconds) {
        if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
            loop->YieldFor(wxEVT_CATEGORY_UI);
        } else {
            // Before the main loop runs (the frame is built from OnInit).
            wxGUIEventLoop pump;
            pump.YieldFor(wxEVT_CATEGORY_UI);
        }
        long left = nMilliseconds - watch.Time();
        if (left > 0)
            wxMilliSleep(left < 10 ? left : 10);
    }

    if (HasCapture())
        ReleaseMouse();
    m_bDragging = false;
    Hide();
    Destroy();
}

void CSplashWnd::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    if (m_image.IsOk())
        dc.DrawBitmap(m_image, 0, 0, false);
    else
        dc.Clear();
    // The version stands over the picture, whatever the picture shows there.
    dc.DrawText(wxString::FromUTF8("版本:2.6.1.137"), 54, 340);
}

// A press anywhere acts like a press on a caption: the window follows the pointer.
void CSplashWnd::OnLeftDown(wxMouseEvent& event)
{
    m_dragOffset = event.GetPosition();
    m_bDragging = true;
    if (!HasCapture())
        CaptureMouse();
}

void CSplashWnd::OnLeftUp(wxMouseEvent&)
{
    m_bDragging = false;
    if (HasCapture())
        ReleaseMouse();
}

void CSplashWnd::OnMotion(wxMouseEvent& event)
{
    if (!m_bDragging || !event.LeftIsDown())
        return;
    wxPoint screen = ClientToScreen(event.GetPosition());
    Move(screen - m_dragOffset);
}

void CSplashWnd::OnCaptureLost(wxMouseCaptureLostEvent&)
{
    m_bDragging = false;
}
