// The one order of the rooms that the board, its hourly timers, the commands'
// walks by row index and the detail card share: by room number.
#pragma once

#include "CHouseset.h"

// The sort text of that order, "房间号 ASC".
CString BoardSortText();

// Opens a rooms table of the caller's own in the board's order. When the
// database refuses, shows "打开数据库失败！" and returns FALSE.
BOOL OpenRoomsInBoardOrder(CHouseset& rooms);
