// Opening the rooms table in the board's order (BoardSortText), as the board
// and its dialogs read it: a table that cannot be opened is reported here.
#pragma once

#include "CHouseset.h"

// Opens a rooms table of the caller's own (a CHouseset or CRoomNumberset) in
// the board's order. When the database refuses, shows "打开数据库失败！" and
// returns FALSE.
BOOL OpenRoomsInBoardOrder(CRecordset& rooms);

// The same over the rooms of one number only (every room when it is empty, as
// an empty number may be stored as no number): what reading one board row's
// room needs, without reading the keys of every room.
BOOL OpenRoomsNumbered(CHouseset& rooms, const CString& number);
