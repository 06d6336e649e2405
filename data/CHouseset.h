// The rooms table [house] of data source Hotel.
#pragma once

#include "Database.h"

class CHouseset : public CRecordset
{
public:
    explicit CHouseset(CDatabase* pdb);

    CString m_strRoomNo;
    BOOL m_bOccupied = FALSE;
    CString m_strPrice;
    BOOL m_bCleaning = FALSE;
    BOOL m_bReserved = FALSE;
    COleDateTime m_dtReserveDate;
    BYTE m_nPersons = 0;
    BOOL m_bHourly = FALSE;
    COleDateTime m_dtHourStart;
    COleDateTime m_dtHourEnd;
    CString m_strIntro;

    CString GetDefaultConnect() override;
    CString GetDefaultSQL() override;
    void DoFieldExchange(CFieldExchange* pFX) override;

    // 0-based position of the first row with this room number, or -1.
    int FindRoom(CString strRoomNo);
    // Moves one person and the hourly stay from one room to another.
    BOOL MovePerson(CString strFrom, CString strTo);
    BOOL AddRoom(CString strRoomNo, CString strPrice, CString strIntro);
    // Changes the room at position nIndex of the current order.
    BOOL ModifyRoom(int nIndex, CString strRoomNo, CString strPrice, CString strIntro);
};
