// Books a room for a date: the room is the one in g_strSelectedRoom.
#pragma once

#include "CDialogEx.h"
#include "COleDateTime.h"

class wxDatePickerCtrl;

class CReserveDlg : public CDialogEx
{
public:
    explicit CReserveDlg(wxWindow* parent);

    // The date the picker holds, with the time of day at which the dialog opened.
    COleDateTime GetChosenDate() const;

private:
    void OnOK(wxCommandEvent& event);

    wxDatePickerCtrl* m_picker = nullptr;
    COleDateTime m_dtOpened;
};

// Stores the booking on the room; FALSE when the room is not in the table.
BOOL ReserveRoom(const CString& roomNo, const COleDateTime& date);
// Clears the booking and resets the date to 1900-12-01 00:00:00; FALSE when not found.
BOOL CancelReservation(const CString& roomNo);
