#include "CRecordList.h"

#include "CUserRWnd.h"

CRecordList::CRecordList(wxWindow* parent, wxWindowID id, const CStayRows& records)
    : wxListCtrl(parent, id, wxDefaultPosition, wxDefaultSize,
                 wxLC_REPORT | wxLC_VIRTUAL | wxLC_SINGLE_SEL | wxBORDER_SUNKEN),
      m_records(records)
{
}

void CRecordList::SyncRows(long first)
{
    const long count = long(m_records.size());
    if (GetItemCount() != count)
        SetItemCount(count);
    if (first < count)
        RefreshItems(std::max(first, 0L), count - 1);
}

wxString CRecordList::OnGetItemText(long item, long column) const
{
    if (item < 0 || size_t(item) >= m_records.size())
        return wxString();
    // Drawing must go on when the table cannot be read: the cell stays empty,
    // and the next command says what is wrong.
    try {
        return RecordCellText(m_records[size_t(item)], int(column));
    } catch (const CDBException&) {
        return wxString();
    }
}

int CRecordList::OnGetItemColumnImage(long item, long column) const
{
    // The guest picture stands beside the room number.
    return column == 0 ? 0 : -1;
}
