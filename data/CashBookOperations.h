// The cash book's writes, without any window: each in one transaction, as the
// desk's stay operations are. A database error undoes the operation and
// passes to the caller as the CDBException with the driver's text; a table
// that cannot be opened gives one with the "cannot open" message.
#pragma once

#include <optional>

#include "DataSources.h"
#include "WinTypes.h"

// Flips the status of the cash-book row whose key is `id` between counted
// (成功, TRUE) and not counted (失败, FALSE) and gives the status stored; none
// when no row has that key any more: nothing is written.
std::optional<BOOL> ToggleCashBookStatus(DataConnections& db, long id);
