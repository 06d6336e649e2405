#include "CRoomList.h"

#include <algorithm>

RowTexts::RowTexts(const RowTexts& other)
    : m_number(other.m_number),
      m_others(other.m_others ? std::make_unique<std::array<wxString, kColumns - 1>>(*other.m_others) : nullptr)
{
}

// The toolkit's strings have no move of their own: they swap.
RowTexts::RowTexts(RowTexts&& other) noexcept : m_others(std::move(other.m_others))
{
    m_number.swap(other.m_number);
}

RowTexts& RowTexts::operator=(RowTexts other) noexcept
{
    m_number.swap(other.m_number);
    m_others.swap(other.m_others);
    return *this;
}

wxString& RowTexts::operator[](size_t column)
{
    if (column == 0)
        return m_number;
    if (!m_others)
        m_others = std::make_unique<std::array<wxString, kColumns - 1>>();
    return (*m_others)[column - 1];
}

const wxString& RowTexts::operator[](size_t column) const
{
    static const wxString none;
    if (column == 0)
        return m_number;
    return m_others ? (*m_others)[column - 1] : none;
}

CRoomList::CRoomList(wxWindow* parent, long style)
    : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, style | wxLC_REPORT | wxLC_VIRTUAL)
{
}

void CRoomList::SetRows(std::vector<BoardRow> rows)
{
    // Deleting tells the list's watchers that every row went, and drops the selection.
    DeleteAllItems();
    m_selected = -1;
    m_rows = std::move(rows);
    SetItemCount(long(m_rows.size()));
    Refresh();
}

void CRoomList::InsertRow(long row, BoardRow values)
{
    Deselect();
    m_rows.insert(m_rows.begin() + row, std::move(values));
    SetItemCount(long(m_rows.size()));
    RefreshItems(row, long(m_rows.size()) - 1);
}

void CRoomList::DeleteRow(long row)
{
    Deselect();
    m_rows.erase(m_rows.begin() + row);
    SetItemCount(long(m_rows.size()));
    if (size_t(row) < m_rows.size())
        RefreshItems(row, long(m_rows.size()) - 1);
}

void CRoomList::Deselect()
{
    if (m_selected != -1)
        SetItemState(m_selected, 0, wxLIST_STATE_SELECTED);
}

void CRoomList::SetRow(long row, BoardRow values)
{
    m_rows[size_t(row)] = std::move(values);
    RefreshItem(row);
}

const BoardRow& CRoomList::DetailedRow(long row) const
{
    if (!m_rows[size_t(row)].detailed)
        ReadDetailsFrom(row);
    return m_rows[size_t(row)];
}

void CRoomList::ReadDetailsFrom(long row) const
{
    if (!m_readDetails)
        return;
    long last = row;
    const long end = std::min(row + kDetailBlock, long(m_rows.size()));
    while (last + 1 < end && !m_rows[size_t(last + 1)].detailed)
        ++last;
    m_readDetails(row, last);
}

void CRoomList::SetPicture(long row, int column, int picture)
{
    int& shown = m_rows[size_t(row)].pictures[column];
    if (shown == picture)
        return;
    shown = picture;
    RefreshItem(row);
}

long CRoomList::FindRoom(const wxString& room, long from) const
{
    for (size_t i = size_t(std::max(from, 0L)); i < m_rows.size(); ++i)
        if (m_rows[i].texts[0] == room)
            return long(i);
    return -1;
}

int CRoomList::TwinOfRow(long row) const
{
    int twin = 0;
    for (long i = 0; i < row; ++i)
        twin += m_rows[size_t(i)].texts[0] == m_rows[size_t(row)].texts[0] ? 1 : 0;
    return twin;
}

bool CRoomList::TryBefore(wxEvent& event)
{
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_LIST_ITEM_SELECTED)
        m_selected = static_cast<wxListEvent&>(event).GetIndex();
    else if (type == wxEVT_LIST_ITEM_DESELECTED && static_cast<wxListEvent&>(event).GetIndex() == m_selected)
        m_selected = -1;
    return wxListCtrl::TryBefore(event);
}

wxString CRoomList::OnGetItemText(long item, long column) const
{
    if (item < 0 || size_t(item) >= m_rows.size() || column < 0 || column >= BoardRow::kColumns)
        return wxString();
    const BoardRow& row = BoardRow::IsDetail(column) ? DetailedRow(item) : Row(item);
    return row.texts[column];
}

int CRoomList::OnGetItemImage(long item) const
{
    return OnGetItemColumnImage(item, 0);
}

int CRoomList::OnGetItemColumnImage(long item, long column) const
{
    if (item < 0 || size_t(item) >= m_rows.size() || column < 0 || column >= BoardRow::kColumns)
        return -1;
    const BoardRow& row = BoardRow::IsDetail(column) ? DetailedRow(item) : Row(item);
    return row.pictures[column];
}
