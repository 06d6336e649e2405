#include "CRoomIconBoard.h"

#include <algorithm>
#include <wx/dcbuffer.h>
#include <wx/settings.h>
#include "CRoomList.h"

namespace {

constexpr int kBorder = 8;        // around the whole grid
constexpr int kCellWidth = 160;   // the icon with room for a number wider than it
constexpr int kIconTop = 8;       // inside a cell
constexpr int kLabelGap = 4;      // between the icon and its number
constexpr int kCellBottom = 12;   // under the number
constexpr int kLabelPadding = 2;  // around the number's highlight
constexpr int kScrollStep = 20;

}  // namespace

IconGrid IconGrid::For(int width, int lineHeight)
{
    IconGrid grid;
    grid.columns = std::max(1, (width - 2 * kBorder) / kCellWidth);
    grid.lineHeight = lineHeight;
    return grid;
}

wxSize IconGrid::CellSize() const
{
    return wxSize(kCellWidth, kIconTop + kIconSize + kLabelGap + lineHeight + 2 * kLabelPadding + kCellBottom);
}

wxRect IconGrid::Cell(int index) const
{
    const wxSize size = CellSize();
    return wxRect(wxPoint(kBorder + index % columns * size.x, kBorder + index / columns * size.y), size);
}

wxRect IconGrid::Icon(int index) const
{
    const wxRect cell = Cell(index);
    return wxRect(cell.x + (cell.width - kIconSize) / 2, cell.y + kIconTop, kIconSize, kIconSize);
}

wxRect IconGrid::Label(int index, int textWidth) const
{
    const wxRect cell = Cell(index);
    const int width = std::min(cell.width, textWidth + 2 * kLabelPadding);
    return wxRect(cell.x + (cell.width - width) / 2, Icon(index).GetBottom() + 1 + kLabelGap, width,
                  lineHeight + 2 * kLabelPadding);
}

int IconGrid::HitTest(const wxPoint& point, int count) const
{
    if (point.x < kBorder || point.y < kBorder)
        return -1;
    const wxSize size = CellSize();
    const int column = (point.x - kBorder) / size.x;
    const int index = (point.y - kBorder) / size.y * columns + column;
    return column < columns && index < count ? index : -1;
}

std::pair<int, int> IconGrid::RoomsIn(const wxRect& area, int count) const
{
    const int height = CellSize().y;
    const int firstLine = std::max(0, (area.y - kBorder) / height);
    const int endLine = std::max(0, (area.GetBottom() - kBorder) / height + 1);
    return {std::min(count, firstLine * columns), std::min(count, endLine * columns)};
}

wxSize IconGrid::TotalSize(int count) const
{
    const int rows = (count + columns - 1) / columns;
    return wxSize(2 * kBorder + columns * CellSize().x, 2 * kBorder + rows * CellSize().y);
}

CRoomIconBoard::CRoomIconBoard(wxWindow* parent, CRoomList& rows)
    : wxScrolled<wxWindow>(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                           wxVSCROLL | wxBORDER_SUNKEN | wxWANTS_CHARS),
      m_rows(rows)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_LISTBOX));
    SetFont(rows.GetFont());
    SetScrollRate(0, kScrollStep);
    Bind(wxEVT_PAINT, &CRoomIconBoard::OnPaint, this);
    Bind(wxEVT_SIZE, &CRoomIconBoard::OnSize, this);
    Bind(wxEVT_LEFT_DOWN, &CRoomIconBoard::OnMouseDown, this);
    Bind(wxEVT_RIGHT_DOWN, &CRoomIconBoard::OnMouseDown, this);
    Bind(wxEVT_KEY_DOWN, &CRoomIconBoard::OnKeyDown, this);
    for (auto type : {wxEVT_LIST_INSERT_ITEM, wxEVT_LIST_DELETE_ITEM, wxEVT_LIST_DELETE_ALL_ITEMS})
        m_rows.Bind(type, &CRoomIconBoard::OnRowsChanged, this);
    for (auto type : {wxEVT_LIST_ITEM_SELECTED, wxEVT_LIST_ITEM_DESELECTED})
        m_rows.Bind(type, &CRoomIconBoard::OnSelectionChanged, this);
}

void CRoomIconBoard::SetIcon(const wxBitmap& icon)
{
    m_icon = icon;
    Relayout();
}

IconGrid CRoomIconBoard::Grid() const
{
    return IconGrid::For(GetClientSize().x, GetCharHeight());
}

wxRect CRoomIconBoard::GetIconRect(int row) const
{
    const wxRect icon = Grid().Icon(row);
    return wxRect(CalcScrolledPosition(icon.GetTopLeft()), icon.GetSize());
}

wxRect CRoomIconBoard::GetLabelRect(int row) const
{
    const wxRect label = Grid().Label(row, GetTextExtent(m_rows.RoomNumber(row)).x);
    return wxRect(CalcScrolledPosition(label.GetTopLeft()), label.GetSize());
}

int CRoomIconBoard::HitTest(const wxPoint& point) const
{
    return Grid().HitTest(CalcUnscrolledPosition(point), m_rows.GetItemCount());
}

void CRoomIconBoard::EnsureVisible(int row)
{
    if (row < 0 || row >= m_rows.GetItemCount())
        return;
    const wxRect cell = Grid().Cell(row);
    const wxPoint top = CalcUnscrolledPosition(wxPoint(0, 0));
    const int height = GetClientSize().y;
    int y = top.y;
    if (cell.y < top.y)
        y = cell.y;
    else if (cell.GetBottom() >= top.y + height)
        y = cell.GetBottom() + 1 - height;
    if (y != top.y)
        Scroll(-1, y / kScrollStep + (y % kScrollStep ? 1 : 0));
}

int CRoomIconBoard::SelectedRow() const
{
    return int(m_rows.SelectedRow());
}

// Selecting goes through the list, which tells the board's view as a click on a row would.
void CRoomIconBoard::SelectRow(int row)
{
    const int selected = SelectedRow();
    if (row == selected)
        return;
    if (selected != -1)
        m_rows.SetItemState(selected, 0, wxLIST_STATE_SELECTED);
    const long state = wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED;
    m_rows.SetItemState(row, state, state);
}

void CRoomIconBoard::Relayout()
{
    SetVirtualSize(Grid().TotalSize(m_rows.GetItemCount()));
    Refresh();
}

void CRoomIconBoard::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    DoPrepareDC(dc);
    dc.SetBackground(wxBrush(GetBackgroundColour()));
    dc.Clear();
    dc.SetFont(GetFont());
    const IconGrid grid = Grid();
    const int selected = SelectedRow();
    const int count = m_rows.GetItemCount();
    // Only the rooms in the part to draw again are drawn, however many there
    // are: the toolkit also repaints for its scrollbar alone.
    const wxRect update = GetUpdateRegion().GetBox();
    const auto [first, end] = grid.RoomsIn(wxRect(CalcUnscrolledPosition(update.GetTopLeft()), update.GetSize()), count);
    for (int row = first; row < end; ++row) {
        const wxString& number = m_rows.RoomNumber(row);
        const wxRect label = grid.Label(row, dc.GetTextExtent(number).x);
        if (m_icon.IsOk())
            dc.DrawBitmap(m_icon, grid.Icon(row).GetTopLeft(), true);
        const bool isSelected = row == selected;
        if (isSelected) {
            dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT)));
            dc.SetPen(*wxTRANSPARENT_PEN);
            dc.DrawRectangle(label);
        }
        dc.SetTextForeground(wxSystemSettings::GetColour(isSelected ? wxSYS_COLOUR_HIGHLIGHTTEXT
                                                                    : wxSYS_COLOUR_LISTBOXTEXT));
        dc.DrawLabel(number, label, wxALIGN_CENTRE);
    }
}

void CRoomIconBoard::OnSize(wxSizeEvent& event)
{
    Relayout();
    event.Skip();
}

void CRoomIconBoard::OnMouseDown(wxMouseEvent& event)
{
    SetFocus();
    // A click beside the rooms leaves the marked room marked.
    const int row = HitTest(event.GetPosition());
    if (row != -1)
        SelectRow(row);
    event.Skip();
}

void CRoomIconBoard::OnKeyDown(wxKeyEvent& event)
{
    const int count = m_rows.GetItemCount();
    const int columns = Grid().columns;
    int row = SelectedRow();
    switch (event.GetKeyCode()) {
    case WXK_LEFT: row = row - 1; break;
    case WXK_RIGHT: row = row + 1; break;
    case WXK_UP: row = row - columns; break;
    case WXK_DOWN: row = row == -1 ? 0 : row + columns; break;
    case WXK_HOME: row = 0; break;
    case WXK_END: row = count - 1; break;
    default:
        event.Skip();
        return;
    }
    if (row >= 0 && row < count)
        SelectRow(row);
}

void CRoomIconBoard::OnRowsChanged(wxListEvent& event)
{
    event.Skip();
    if (IsShown())
        Relayout();
}

void CRoomIconBoard::OnSelectionChanged(wxListEvent& event)
{
    event.Skip();
    if (!IsShown())
        return;
    if (event.GetEventType() == wxEVT_LIST_ITEM_SELECTED)
        EnsureVisible(int(event.GetIndex()));
    Refresh();
}
