// A small modeless pop-up without controls that paints its texts itself: in
// mode 0 a plain notice board, in mode 1 the details of a closed stay with its
// consumption line in red underneath.
#pragma once

#include <wx/gdicmn.h>

#include "CDialogEx.h"
#include "WinTypes.h"

class wxDC;
class wxPaintEvent;
class wxCloseEvent;
class wxInitDialogEvent;

// Where mode 1 draws: the cream frame, the detail text inside it and the
// consumption line below. The consumption line starts 355 pixels below the
// client top, or lower when the detail text needs the room.
struct NoticeLayout
{
    wxRect frame, text1, text2;
};
NoticeLayout ComputeNoticeLayout(const wxSize& client, int text1Height);

// Where a window of `window`'s size goes to lie within `area`: moved as little as that needs.
wxRect PlaceWithin(const wxRect& window, const wxRect& area);

// The title of a pop-up by mode and language; empty keeps the current one.
CString NoticeTitle(int mode, int language);

class CNoticeDlg : public CDialogEx
{
public:
    explicit CNoticeDlg(wxWindow* parent = nullptr);

    // Filled by the owner before the pop-up is shown.
    CString m_strText1;  // the notice (mode 0) or the stay's detail lines (mode 1)
    CString m_strText2;  // the consumption line, painted only in mode 1
    int m_nMode = 0;     // 0 notice board, 1 stay details

    // Grows the window, before it is shown, so that the texts are not cut off.
    bool Show(bool show = true) override;

    // Paints the pop-up's contents for a client area of `client` pixels.
    void Draw(wxDC& dc, const wxSize& client) const;

private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnPaint(wxPaintEvent& event);
    void OnClose(wxCloseEvent& event);
    void FitToTexts();
};
