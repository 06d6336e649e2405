// The list of the guest-records window. It holds no texts of its own: row i
// draws entry i of the window's stays, so rows and stays cannot drift apart,
// and opening a history of many thousand stays costs only reading them.
#pragma once

#include <vector>
#include <wx/listctrl.h>

#include "GuestRecord.h"

class CRecordList : public wxListCtrl
{
public:
    CRecordList(wxWindow* parent, wxWindowID id, const std::vector<GuestRecord>& records);

    // Brings the row count to the number of stays and redraws the rows from `first` on.
    void SyncRows(long first = 0);

protected:
    wxString OnGetItemText(long item, long column) const override;
    int OnGetItemColumnImage(long item, long column) const override;

private:
    const std::vector<GuestRecord>& m_records;
};
