#include "BoardOrder.h"

#include "OpenFailure.h"
#include "RecordsetUse.h"

BOOL OpenRoomsInBoardOrder(CRecordset& rooms)
{
    rooms.m_strSort = BoardSortText();
    if (TryOpen(rooms))
        return TRUE;
    ReportOpenFailure();
    return FALSE;
}

BOOL OpenRoomsNumbered(CHouseset& rooms, const CString& number)
{
    rooms.SetNumberFilter(number);
    return OpenRoomsInBoardOrder(rooms);
}
