#include "CCashBookList.h"

#include "CashBookFigures.h"

CCashBookList::CCashBookList(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                             const CCashBookRows& records)
    : wxListCtrl(parent, id, pos, size, wxLC_REPORT | wxLC_VIRTUAL | wxLC_SINGLE_SEL | wxBORDER_SUNKEN),
      m_records(records)
{
}

void CCashBookList::SyncRows(bool opened)
{
    m_bTotalErrorReported = false;
    // As a list filled anew: no row selected, the first rows in view.
    DeleteAllItems();
    SetItemCount(opened ? long(m_records.size()) + 1 : 0);
}

wxString CCashBookList::OnGetItemText(long item, long column) const
{
    if (item < 0 || size_t(item) > m_records.size())
        return wxString();
    // Drawing must go on when the table cannot be read: the cell stays empty.
    try {
        if (size_t(item) < m_records.size())
            return CashBookCellText(m_records[size_t(item)], int(column));
        return CashBookTotalCellText(column == 5 ? m_records.Total() : 0.0, int(column));
    } catch (const CDBException& e) {
        // The total is asked for at every paint: its failure is told once.
        if (size_t(item) == m_records.size() && !m_bTotalErrorReported && m_onTotalError) {
            m_bTotalErrorReported = true;
            m_onTotalError(e.m_strError);
        }
        return wxString();
    }
}
