// The start-up picture: a borderless, topmost window without a taskbar button,
// exactly the size of its picture, that can be dragged anywhere.
#pragma once

#include <wx/bitmap.h>
#include <wx/frame.h>

class CSplashWnd : public wxFrame
{
public:
    // Loads the picture and creates the (still hidden) window at its size.
    // Top-level windows are deleted by the toolkit after Destroy(), so build it with new.
    CSplashWnd();

    // Shows a splash centred on the screen for nMilliseconds, blocking the caller,
    // then destroys it. Used while the main window is being built.
    static void ShowSplash(int nMilliseconds = 2000);

    // Shows this window centred and on top, keeps it up for nMilliseconds, then destroys it.
    void ShowFor(int nMilliseconds);

    int GetPictureWidth() const { return m_nWidth; }
    int GetPictureHeight() const { return m_nHeight; }

private:
    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);

    int m_nHeight = 0;
    int m_nWidth = 0;
    wxBitmap m_image;
    bool m_bDragging = false;
    wxPoint m_dragOffset;  // pointer position relative to the window's top-left corner
};
