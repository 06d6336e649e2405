// One revenue chart: the cash book's counted amounts of a calendar year summed
// per month as twelve bars, the year's total as the title line. The left and
// right arrow keys step the year. The object belongs to the cash-book window
// and outlives the chart windows it opens; the year it showed last is where
// its next window starts.
#pragma once

#include <functional>
#include <random>
#include <vector>

#include <wx/gdicmn.h>
#include <wx/weakref.h>

class wxDC;
class wxFrame;
class wxKeyEvent;
class wxPaintEvent;
class wxWindow;

class CDrawCount
{
public:
    CDrawCount();
    ~CDrawCount();
    CDrawCount(const CDrawCount&) = delete;
    CDrawCount& operator=(const CDrawCount&) = delete;

    // Opens the chart window: a top-level window of its own (with a taskbar
    // button), 640 x 480, centred on the screen. False when one is open already.
    bool CreateChartWindow();
    // Whether the chart window is open (not yet closed by its close box or by the owner).
    bool IsWindowOpen() const;
    // Closes the chart window, if open.
    void DestroyWindow();
    // The open chart window, nullptr when none; its client area is the drawing.
    wxFrame* GetFrame() const { return IsWindowOpen() ? m_pFrame.get() : nullptr; }
    wxWindow* GetCanvas() const { return IsWindowOpen() ? m_pCanvas : nullptr; }

    // Draws the whole chart for m_nYear on `dc`, reading the cash book afresh.
    // Leaves the twelve month sums in g_vMonthSums; false when the cash book cannot be opened
    // (then only the axes and the month labels are drawn).
    bool PaintChart(wxDC& dc);

    wxPoint m_ptOrigin{60, 380};  // where the axes meet, in client pixels
    int m_nYear;                  // the shown year
    // What the owner does, once, when a paint cannot open the cash book; it
    // runs after the paint. Without one the clerk is told and the program ends.
    std::function<void()> m_onOpenFailure;

private:
    void OnPaint(wxPaintEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void ReportOpenFailure();

    wxWeakRef<wxFrame> m_pFrame;
    wxWindow* m_pCanvas = nullptr;  // child of m_pFrame, lives and dies with it
    std::minstd_rand m_random;      // bar colours, new at every paint
    bool m_bOpenFailureReported = false;
};
