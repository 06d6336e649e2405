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

BOOL OpenRoomsNumbered(CHouseset& rooms, const CString& number)
{
    if (!number.empty()) {
        rooms.m_strFilter = wxString::FromUTF8("[房间号] = ?");
        rooms.m_filterValues = {number};
    }
    return OpenRoomsInBoardOrder(rooms);
}
