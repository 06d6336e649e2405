// The list of the guest-records window. It holds no texts of its own: row i
// draws stay i of the window's stays as the table holds it, so rows and stays
// cannot drift apart, and only the rows in view are ever read.
#pragma once

#include <wx/listctrl.h>

#include "CStayRows.h"

class CRecordList : public wxListCtrl
{
public:
    CRecordList(wxWindow* parent, wxWindowID id, const CStayRows& records);

    // Brings the row count to the number of stays and redraws the rows from `first` on.
    void SyncRows(long first = 0);

protected:
    wxString OnGetItemText(long item, long column) const override;
    int OnGetItemColumnImage(long item, long column) const override;

private:
    const CStayRows& m_records;
};
