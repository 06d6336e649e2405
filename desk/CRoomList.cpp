#include "CRoomList.h"

#include <algorithm>

CRoomList::CRoomList(wxWindow* parent, long style)
    : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, style | wxLC_REPORT | wxLC_VIRTUAL)
{
}

void CRoomList::SetRows(std::vector<BoardRow> rows)
{
    // Deleting tells the list's watchers that every row went, and drops the selection.
    DeleteAllItems();
    m_rows = std::move(rows);
    SetItemCount(long(m_rows.size()));
    Refresh();
}

void CRoomList::InsertRow(long row, BoardRow values)
{
    m_rows.insert(m_rows.begin() + row, std::move(values));
    SetItemCount(long(m_rows.size()));
    RefreshItems(row, long(m_rows.size()) - 1);
}

void CRoomList::SetRow(long row, BoardRow values)
{
    m_rows[size_t(row)] = std::move(values);
    RefreshItem(row);
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

wxString CRoomList::OnGetItemText(long item, long column) const
{
    if (item < 0 || size_t(item) >= m_rows.size() || column < 0 || column >= BoardRow::kColumns)
        return wxString();
    return m_rows[size_t(item)].texts[column];
}

int CRoomList::OnGetItemImage(long item) const
{
    return OnGetItemColumnImage(item, 0);
}

int CRoomList::OnGetItemColumnImage(long item, long column) const
{
    if (item < 0 || size_t(item) >= m_rows.size() || column < 0 || column >= BoardRow::kColumns)
        return -1;
    return m_rows[size_t(item)].pictures[column];
}
