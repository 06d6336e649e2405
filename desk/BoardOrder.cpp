#include "BoardOrder.h"

#include "MessageBox.h"
#include "RecordsetUse.h"

CString BoardSortText()
{
    return wxString::FromUTF8("房间号 ASC");
}

BOOL OpenRoomsInBoardOrder(CHouseset& rooms)
{
    rooms.m_strSort = BoardSortText();
    if (TryOpen(rooms))
        return TRUE;
    AfxMessageBox(OpenFailedMessage());
    return FALSE;
}
