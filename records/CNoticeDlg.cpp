#include "CNoticeDlg.h"

#include <algorithm>
#include <wx/bitmap.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/display.h>
#include <wx/arrstr.h>
#include <wx/settings.h>

#include "Globals.h"

namespace {

const wxColour kCream(254, 248, 230);
const int kFrameInset = 10;     // the frame stands this far inside the client area
const int kText1Drop = 15;      // the detail text starts this far below the frame's top
const int kText2Distance = 330; // the consumption line starts this far below the detail text's top
const int kTextGap = 6;         // least space between a long detail text and the consumption line
const int kSlack = 8;           // room beside and below the texts when the window is grown

// Bold Arial whose lines are 27 pixels apart: 12 detail lines fill the 330
// pixels above the consumption line.
wxFont NoticeFont()
{
    return wxFont(wxFontInfo(wxSize(0, 23)).FaceName("Arial").Bold());
}

// Every line of a text stands in a line of the same height, its baseline at
// the same place: a line with Chinese characters in it (a name in the English
// details) would otherwise come out taller than one of Latin letters alone.
struct LinePitch
{
    int height = 0;  // from one line's top to the next one's
    int ascent = 0;  // from a line's top to its baseline
};

LinePitch PitchOf(const wxDC& dc)
{
    wxCoord w = 0, h = 0, descent = 0;
    dc.GetTextExtent(wxString::FromUTF8("汉Ag"), &w, &h, &descent);
    return LinePitch{h, h - descent};
}

wxSize MultiLineExtent(const wxDC& dc, const CString& text)
{
    if (text.empty())
        return wxSize(0, 0);
    const wxArrayString lines = wxSplit(text, '\n', '\0');
    int width = 0;
    for (const wxString& line : lines)
        width = std::max(width, dc.GetTextExtent(line).x);
    return wxSize(width, PitchOf(dc).height * int(lines.size()));
}

// Draws each line centred in `area`, one pitch below the one before.
void DrawCentredLines(wxDC& dc, const CString& text, const wxRect& area)
{
    const LinePitch pitch = PitchOf(dc);
    int top = area.y;
    for (const wxString& line : wxSplit(text, '\n', '\0')) {
        wxCoord w = 0, h = 0, descent = 0;
        dc.GetTextExtent(line, &w, &h, &descent);
        dc.DrawText(line, area.x + (area.width - w) / 2, top + pitch.ascent - (h - descent));
        top += pitch.height;
    }
}

}  // namespace

NoticeLayout ComputeNoticeLayout(const wxSize& client, int text1Height)
{
    NoticeLayout layout;
    layout.frame = wxRect(kFrameInset, kFrameInset, std::max(0, client.x - 2 * kFrameInset),
                          std::max(0, client.y - 2 * kFrameInset));
    layout.text1 = layout.frame;
    layout.text1.y += kText1Drop;
    layout.text1.height = std::max(0, layout.text1.height - kText1Drop);
    // Remarks can hold line feeds of their own; the consumption line then moves
    // down instead of being painted over the details.
    const int top2 = layout.text1.y + std::max(kText2Distance, text1Height + kTextGap);
    layout.text2 = wxRect(layout.frame.x, top2, layout.frame.width, std::max(0, layout.frame.GetBottom() + 1 - top2));
    return layout;
}

CString NoticeTitle(int mode, int language)
{
    if (language != 1 && language != 2)
        return CString();
    if (mode == 1)
        return language == 1 ? wxString::FromUTF8("查看") : CString("View details");
    if (mode == 0)
        return language == 1 ? wxString::FromUTF8("公告牌") : CString("Notice");
    return CString();
}

CNoticeDlg::CNoticeDlg(wxWindow* parent)
    : CDialogEx(parent, wxID_ANY, "Notice", wxDefaultPosition, wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX)
{
    SetClientSize(ConvertDialogToPixels(wxSize(249, 253)));
    SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    Bind(wxEVT_INIT_DIALOG, &CNoticeDlg::OnInitDialog, this);
    Bind(wxEVT_PAINT, &CNoticeDlg::OnPaint, this);
    Bind(wxEVT_CLOSE_WINDOW, &CNoticeDlg::OnClose, this);
    CloseOnEscape();
}

wxRect PlaceWithin(const wxRect& window, const wxRect& area)
{
    wxRect placed = window;
    placed.x = std::max(area.x, std::min(window.x, area.GetRight() + 1 - window.width));
    placed.y = std::max(area.y, std::min(window.y, area.GetBottom() + 1 - window.height));
    return placed;
}

bool CNoticeDlg::Show(bool show)
{
    if (show && !IsShown()) {
        FitToTexts();
        // Pop-ups open one below the other: the last ones would leave the screen.
        const int display = wxDisplay::GetFromWindow(this);
        Move(PlaceWithin(GetRect(), wxDisplay(display == wxNOT_FOUND ? 0 : unsigned(display)).GetClientArea())
                 .GetPosition());
    }
    return CDialogEx::Show(show);
}

void CNoticeDlg::OnInitDialog(wxInitDialogEvent&)
{
    const CString title = NoticeTitle(m_nMode, g_nLanguage);
    if (!title.empty())
        SetTitle(title);
}

void CNoticeDlg::FitToTexts()
{
    wxBitmap scratch(1, 1);
    wxMemoryDC dc(scratch);
    dc.SetFont(NoticeFont());
    const wxSize text1 = MultiLineExtent(dc, m_strText1);
    const wxSize text2 = MultiLineExtent(dc, m_strText2);

    const wxSize base = ConvertDialogToPixels(wxSize(249, 253));
    wxSize need = base;
    if (m_nMode == 1) {
        need.x = std::max(need.x, std::max(text1.x, text2.x) + 2 * kFrameInset + 2 * kSlack);
        const NoticeLayout layout = ComputeNoticeLayout(need, text1.y);
        need.y = std::max(need.y, layout.text2.y + text2.y + kFrameInset + kSlack);
    } else if (m_nMode == 0) {
        need.x = std::max(need.x, text1.x + 2 * kSlack);
        need.y = std::max(need.y, text1.y + 2 * kSlack);
    }
    // Never larger than the screen: what does not fit is cut off at the frame.
    const wxSize screen = wxGetDisplaySize();
    need.x = std::min(need.x, std::max(base.x, screen.x - 40));
    need.y = std::min(need.y, std::max(base.y, screen.y - 80));
    SetClientSize(need);
}

void CNoticeDlg::Draw(wxDC& dc, const wxSize& client) const
{
    dc.SetFont(NoticeFont());
    dc.SetBackgroundMode(wxBRUSHSTYLE_SOLID);
    dc.SetTextBackground(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));

    if (m_nMode == 1) {
        const NoticeLayout layout = ComputeNoticeLayout(client, MultiLineExtent(dc, m_strText1).y);
        dc.SetPen(*wxBLACK_PEN);
        dc.SetBrush(wxBrush(kCream));
        dc.DrawRectangle(layout.frame);
        dc.SetBrush(wxNullBrush);

        dc.SetTextBackground(kCream);
        dc.SetTextForeground(*wxBLACK);
        {
            wxDCClipper clip(dc, layout.text1);
            DrawCentredLines(dc, m_strText1, layout.text1);
        }
        dc.SetTextForeground(wxColour(255, 0, 0));
        if (!layout.text2.IsEmpty()) {
            wxDCClipper clip(dc, layout.text2);
            DrawCentredLines(dc, m_strText2, layout.text2);
        }
    } else if (m_nMode == 0) {
        dc.SetTextForeground(*wxBLACK);
        dc.SetTextBackground(*wxWHITE);
        DrawCentredLines(dc, m_strText1, wxRect(wxPoint(0, 0), client));
    }
    dc.SetFont(wxNullFont);
}

void CNoticeDlg::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    Draw(dc, GetClientSize());
}

void CNoticeDlg::OnClose(wxCloseEvent&)
{
    // Only the window goes; the owner sees its slot free again.
    Destroy();
}
