// The rooms table [house] of data source Hotel.
#pragma once

#include "Database.h"

// The one order of the rooms that the board, its hourly timers, the commands'
// walks by row index and the detail card share: by room number, and rooms that
// share a number in the order they were added. "房间号 ASC".
CString BoardSortText();

// How many rooms come before a room of that number in the board's order: those
// of a number the database sorts before it, and those with no number. Counted
// by the database, without reading them.
long RoomsBefore(CDatabase& hotel, const CString& strRoomNo);

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
    // The same for the nTwin-th row with that number (0 the first), for files
    // in which several rooms share a number.
    int FindRoom(const CString& strRoomNo, int nTwin);
    // Before Open: only the rooms of that number, in the board's order (every
    // room when the number is empty, as an empty number may be stored as none).
    void SetNumberFilter(const CString& strRoomNo);
    // Before Open: only the rooms whose numbers lie from strLow to strHigh in
    // the board's order, those with no number among them when strLow is empty.
    void SetNumberRange(const CString& strLow, const CString& strHigh);
    // Moves one person and the hourly stay from one room to another.
    BOOL MovePerson(CString strFrom, CString strTo);
    // The persons of the current room change by one against what the table
    // holds as the statement runs, never by a count read before, and the
    // occupied flag follows in the same statement: two desks that each take
    // a guest in or out both count. The members are read again afterwards.
    // One person more (never past 255): cleaning cleared, occupied.
    BOOL AddPerson();
    // The same, the room's hourly stay becoming bHourly from dtStart to dtEnd.
    BOOL AddPerson(BOOL bHourly, const COleDateTime& dtStart, const COleDateTime& dtEnd);
    // One person fewer where the table still counts someone: the hourly stay
    // ends, and the room stays occupied while others remain. FALSE, and
    // nothing written, where it counts nobody.
    BOOL TakePerson();
    BOOL AddRoom(CString strRoomNo, CString strPrice, CString strIntro);
    // Changes the room at position nIndex of the current order.
    BOOL ModifyRoom(int nIndex, CString strRoomNo, CString strPrice, CString strIntro);
};
