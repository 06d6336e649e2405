#include "CDrawCount.h"

#include <ctime>
#include <memory>

#include <wx/app.h>
#include <wx/brush.h>
#include <wx/dcclient.h>
#include <wx/frame.h>
#include <wx/graphics.h>
#include <wx/pen.h>
#include <wx/settings.h>
#include "AppConnections.h"
#include "CCashbookset.h"
#include "CashBookFigures.h"
#include "CashBookSums.h"
#include "Globals.h"
#include "ModelessInput.h"
#include "OpenFailure.h"
#include "RecordsetUse.h"

namespace {

// Fixed geometry of the plot: the x axis ends at (550, 380), the y axis at (60, 70).
constexpr int kAxisRight = 550;
constexpr int kAxisTop = 70;
constexpr int kClientWidth = 640;
constexpr int kClientHeight = 480;
constexpr int kBarWidth = 10;

int CurrentYear()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}


}  // namespace

CDrawCount::CDrawCount() : m_nYear(CurrentYear()), m_random(static_cast<unsigned>(std::time(nullptr)))
{
}

CDrawCount::~CDrawCount()
{
    DestroyWindow();
}

bool CDrawCount::IsWindowOpen() const
{
    // A closed top-level window lingers until the next idle time; closed is what counts.
    return m_pFrame && !m_pFrame->IsBeingDeleted() &&
           !(wxTheApp && wxTheApp->IsScheduledForDestruction(m_pFrame.get()));
}

bool CDrawCount::CreateChartWindow()
{
    if (IsWindowOpen())
        return false;
    DestroyWindow();  // lets go of a window that was closed but is not deleted yet

    // No parent: a top-level window with a taskbar button of its own, a caption
    // and a close box, not resizable.
    auto* frame = new wxFrame(nullptr, wxID_ANY, GetChartWindowTitle(g_nLanguage), wxDefaultPosition,
                              wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
    m_pCanvas = new wxWindow(frame, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS);
    m_pCanvas->SetBackgroundStyle(wxBG_STYLE_PAINT);
    frame->SetClientSize(kClientWidth, kClientHeight);
    frame->Centre(wxBOTH);
    m_pCanvas->Bind(wxEVT_PAINT, &CDrawCount::OnPaint, this);
    m_pCanvas->Bind(wxEVT_KEY_DOWN, &CDrawCount::OnKeyDown, this);
    m_pFrame = frame;
    // The toolkit ignores the close box of a plain frame while a modal dialog
    // runs, and the cash book that opens the chart always is one: marked as a
    // dialog, the chart closes as its close box asks.
    frame->SetExtraStyle(frame->GetExtraStyle() | wxTOPLEVEL_EX_DIALOG);
#ifdef __WXGTK__
    // Opened from the modal cash book, the chart would otherwise never get its arrow keys.
    AllowInputBesideModal(frame);
#endif
    frame->Show();
    m_pCanvas->SetFocus();
    return true;
}

void CDrawCount::DestroyWindow()
{
    if (!m_pFrame)
        return;
    // The window may be deleted only later, after this object is gone: it must
    // not call back into it then.
    m_pCanvas->Unbind(wxEVT_PAINT, &CDrawCount::OnPaint, this);
    m_pCanvas->Unbind(wxEVT_KEY_DOWN, &CDrawCount::OnKeyDown, this);
    if (IsWindowOpen())
        m_pFrame->Destroy();
    m_pFrame = nullptr;
    m_pCanvas = nullptr;
}

void CDrawCount::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(m_pCanvas);
    PaintChart(dc);
}

void CDrawCount::OnKeyDown(wxKeyEvent& event)
{
    if (event.GetKeyCode() == WXK_LEFT)
        --m_nYear;
    else if (event.GetKeyCode() == WXK_RIGHT)
        ++m_nYear;
    // Every key redraws at once, so the clerk sees the year change as the key goes down.
    if (m_pCanvas) {
        m_pCanvas->Refresh(false);
        m_pCanvas->Update();
    }
    event.Skip();
}

void CDrawCount::ReportOpenFailure()
{
    // A message box inside a paint would be painted over and asked again by the
    // next paint: it is shown once, after the paint, and then the program ends
    // as it does wherever a table cannot be opened.
    if (m_bOpenFailureReported)
        return;
    m_bOpenFailureReported = true;
    if (m_onOpenFailure) {
        m_onOpenFailure();
        return;
    }
    wxTheApp->CallAfter([] { ReportOpenFailureAndQuit(); });
}

bool CDrawCount::PaintChart(wxDC& dc)
{
    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::CreateFromUnknownDC(dc));
    if (!gc)
        return false;
    gc->SetAntialiasMode(wxANTIALIAS_DEFAULT);
    const wxSize size = dc.GetSize();
    const wxBrush white(wxColour(255, 255, 255));
    const wxPoint o = m_ptOrigin;

    gc->SetPen(*wxTRANSPARENT_PEN);
    gc->SetBrush(white);
    gc->DrawRectangle(0, 0, size.x, size.y);

    gc->SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT), *wxBLACK);
    // Texts stand on an opaque white ground, as the default device context draws them.
    const wxGraphicsBrush textGround = gc->CreateBrush(white);
    auto text = [&](const wxString& s, double x, double y) { gc->DrawText(s, x, y, textGround); };
    // Lines on pixel centres stay one pixel wide and sharp.
    auto line = [&](double x1, double y1, double x2, double y2) { gc->StrokeLine(x1 + 0.5, y1 + 0.5, x2 + 0.5, y2 + 0.5); };

    text("<-", 10, 190);
    text("->", 590, 190);
    gc->SetPen(wxPen(*wxBLACK, 1));
    line(o.x, o.y, kAxisRight, 380);

    // Ticks and labels use the exact step, the bars (below) the whole-pixel step.
    const double step = (kAxisRight - o.x) / 11.0;
    for (int i = 0; i < 12; ++i) {
        const int x = int(i * step);
        text(ChartMonthLabel(g_nLanguage, i + 1), x + 51, 390);
        line(o.x + x, 380, o.x + x, 370);
    }
    line(o.x, o.y, 60, kAxisTop);

    // The table is only looked at, to know it is there; the database sums it.
    CCashbookset cashbook(&AppConnections().m_dbCashbook);
    try {
        if (!TryOpen(cashbook, CRecordset::appendOnly)) {
            ReportOpenFailure();
            return false;
        }
    } catch (const CDBException& e) {
        // Not readable just now (a lock held elsewhere): said once, after the
        // paint; the next paint reads again.
        if (!m_bOpenFailureReported)
            wxTheApp->CallAfter([e] { e.ReportError(); });
        m_bOpenFailureReported = true;
        return false;
    }
    CloseIfOpen(cashbook);
    g_vMonthSums.assign(12, 0.0);
    try {
        g_vMonthSums = SumMonths(AppConnections().m_dbCashbook, m_nYear);
    } catch (const CDBException& e) {
        wxTheApp->CallAfter([e] { e.ReportError(); });
    }

    const int plotHeight = o.y - kAxisTop;
    const double scale = ChartScale(g_vMonthSums, plotHeight);
    const int barStep = int(step);
    double total = 0.0;
    gc->SetPen(*wxTRANSPARENT_PEN);
    for (int m = 1; m <= 12; ++m) {
        const double sum = g_vMonthSums[m - 1];
        const unsigned char r = m_random() % 255, g = m_random() % 255, b = m_random() % 255;
        const int h = ChartBarHeight(sum, scale, plotHeight);
        const int left = o.x + (m - 1) * barStep;
        gc->SetBrush(wxBrush(wxColour(r, g, b)));
        if (h > 0)
            gc->DrawRectangle(left, o.y - h, kBarWidth, h);
        if (sum != 0.0)
            text(ChartValueLabel(sum), left - 15, o.y - h - 20);
        total += sum;
    }
    const ChartTitle title = GetChartTitle(g_nLanguage, m_nYear, total);
    if (!title.text.empty())
        text(title.text, title.x, 27);
    return true;
}
