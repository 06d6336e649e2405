#include "BoardOrder.h"

#include "MessageBox.h"
#include "RecordsetUse.h"

BOOL OpenRoomsInBoardOrder(CRecordset& rooms)
{
    rooms.m_strSort = BoardSortText();
    if (TryOpen(rooms))
        return TRUE;
    AfxMessageBox(OpenFailedMessage());
    return FALSE;
}

BOOL OpenRoomsNumbered(CHouseset& rooms, const CString& number)
{
    rooms.SetNumberFilter(number);
    return OpenRoomsInBoardOrder(rooms);
}
