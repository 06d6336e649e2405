// How commands open and close their recordsets.
#pragma once

#include "Database.h"

// Opens the recordset as a dynaset unless it is open; false when the database refused.
bool TryOpen(CRecordset& set, DWORD options = CRecordset::none);
// The same for a command of several writes: a table that cannot be opened
// throws CDBException with OpenFailedMessage, so the command is undone and
// reported as any database error.
void OpenOrThrow(CRecordset& set, DWORD options = CRecordset::none);
void CloseIfOpen(CRecordset& set);
// The message shown when a table cannot be opened.
CString OpenFailedMessage();
