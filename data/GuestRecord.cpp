#include "GuestRecord.h"

// By value, so assigning a record to itself or to an element of the same vector is safe.
GuestRecord& GuestRecord::operator=(GuestRecord rec)
{
    m_strRoomNo = rec.m_strRoomNo;
    m_strName = rec.m_strName;
    m_bSex = rec.m_bSex;
    m_strNation = rec.m_strNation;
    m_dtBirth = rec.m_dtBirth;
    m_dtCheckIn = rec.m_dtCheckIn;
    m_dtCheckOut = rec.m_dtCheckOut;
    m_strIdNumber = rec.m_strIdNumber;
    m_strNativePlace = rec.m_strNativePlace;
    m_strRemarks = rec.m_strRemarks;
    m_strPaid = rec.m_strPaid;
    m_strDeposit = rec.m_strDeposit;
    return *this;
}
