// One stay as the user interface passes it around: the stays columns without
// [ID]. A plain value: it copies and moves as its members do.
#pragma once

#include "COleDateTime.h"
#include "WinTypes.h"

class GuestRecord
{
public:
    CString m_strRoomNo;
    CString m_strName;
    BOOL m_bSex = TRUE;  // TRUE man, FALSE woman
    CString m_strNation;
    COleDateTime m_dtBirth;
    COleDateTime m_dtCheckIn;
    COleDateTime m_dtCheckOut;
    CString m_strIdNumber;
    CString m_strNativePlace;
    CString m_strRemarks;
    CString m_strPaid;
    CString m_strDeposit;
};
