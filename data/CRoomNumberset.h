// The rooms table [house] of data source Hotel, read for the room numbers
// alone, or with the hourly stay besides: what lists every room (the board
// before it draws a row, a dialog's room list) needs of each, without the
// columns that only a room's own row or card shows. The number alone is read
// from the index of the numbers, without the table's rows.
#pragma once

#include "Database.h"

class CRoomNumberset : public CRecordset
{
public:
    CRoomNumberset(CDatabase* pdb, bool withHourly);

    CString m_strRoomNo;
    // Read only withHourly.
    BOOL m_bHourly = FALSE;
    COleDateTime m_dtHourStart;
    COleDateTime m_dtHourEnd;

    CString GetDefaultConnect() override;
    CString GetDefaultSQL() override;
    void DoFieldExchange(CFieldExchange* pFX) override;

private:
    bool m_bWithHourly;
};
