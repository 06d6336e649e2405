// Books a room for a date: the room the board marked, given at construction.
#pragma once

#include "CDialogEx.h"
#include "COleDateTime.h"
#include "RoomOperations.h"

class wxDatePickerCtrl;

class CReserveDlg : public CDialogEx
{
public:
    CReserveDlg(wxWindow* parent, const RoomRef& room);

    // The date the picker holds, with the time of day at which the dialog opened.
    COleDateTime GetChosenDate() const;

private:
    void OnOK(wxCommandEvent& event);

    RoomRef m_room;
    wxDatePickerCtrl* m_picker = nullptr;
    COleDateTime m_dtOpened;
};
