// The board in its extra-large mode: each room's picture at 128 by 128, in
// rows from left to right in the board's order, its number centred under it.
// It keeps no rooms of its own: it draws the rows of the board's list and
// selects in it, so the selection, the commands and the notifications stay
// the list's, and the list keeps every column while the icons are shown.
#pragma once

#include <utility>
#include <wx/bitmap.h>
#include <wx/scrolwin.h>

class CRoomList;
class wxListEvent;

// The cells of the extra-large board, in unscrolled client coordinates.
struct IconGrid
{
    static constexpr int kIconSize = 128;

    int columns = 1;     // cells in a row
    int lineHeight = 0;  // height of a room number's line

    // As many cells to a row as `width` pixels hold, and never fewer than one.
    static IconGrid For(int width, int lineHeight);

    wxSize CellSize() const;
    wxRect Cell(int index) const;
    wxRect Icon(int index) const;
    // The room number's rectangle, centred under the icon.
    wxRect Label(int index, int textWidth) const;
    // The room under a point, -1 beside every cell.
    int HitTest(const wxPoint& point, int count) const;
    // The first and one past the last of `count` rooms whose cells may lie in `area`.
    std::pair<int, int> RoomsIn(const wxRect& area, int count) const;
    // The size that holds `count` cells.
    wxSize TotalSize(int count) const;
};

class CRoomIconBoard : public wxScrolled<wxWindow>
{
public:
    CRoomIconBoard(wxWindow* parent, CRoomList& rows);

    void SetIcon(const wxBitmap& icon);

    // Where a room's picture and number stand in the window, as scrolled.
    wxRect GetIconRect(int row) const;
    wxRect GetLabelRect(int row) const;
    // The room under a point of the window, -1 when none.
    int HitTest(const wxPoint& point) const;
    void EnsureVisible(int row);
    // Lays the cells out again for the rows the list has now: a list that draws
    // rows it holds itself says nothing when it gets new ones.
    void Relayout();

private:
    IconGrid Grid() const;
    int SelectedRow() const;
    void SelectRow(int row);

    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnMouseDown(wxMouseEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void OnRowsChanged(wxListEvent& event);
    void OnSelectionChanged(wxListEvent& event);

    CRoomList& m_rows;
    wxBitmap m_icon;
};
