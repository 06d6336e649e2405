// The one order of the rooms that the board, its hourly timers, the commands'
// walks by row index and the detail card share: by room number.
#pragma once

#include "CHouseset.h"

// The sort text of that order, "房间号 ASC".
CString BoardSortText();

// Opens a rooms table of the caller's own in the board's order. When the
// database refuses, shows "打开数据库失败！" and returns FALSE.
BOOL OpenRoomsInBoardOrder(CHouseset& rooms);

// The same over the rooms of one number only (every room when it is empty, as
// an empty number may be stored as no number): what reading one board row's
// room needs, without reading the keys of every room.
BOOL OpenRoomsNumbered(CHouseset& rooms, const CString& number);
