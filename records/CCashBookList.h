// The list of the cash-book window. It holds no texts of its own: row i draws
// record i of the window's records as the table holds it, and the row after
// the last record is the total row "合计". Only the rows in view are read.
#pragma once

#include <functional>

#include <wx/listctrl.h>

#include "CCashBookRows.h"

class CCashBookList : public wxListCtrl
{
public:
    CCashBookList(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                  const CCashBookRows& records);

    // Lists the records and the total row anew (no row at all when the table
    // could not be opened): nothing selected, the first rows in view.
    void SyncRows(bool opened);

    // What the owner does, after the paint, when the total cannot be summed.
    std::function<void(const CString& error)> m_onTotalError;

protected:
    wxString OnGetItemText(long item, long column) const override;

private:
    const CCashBookRows& m_records;
    mutable bool m_bTotalErrorReported = false;
};
