// How commands open and close their recordsets.
#pragma once

#include "Database.h"

// Opens the recordset as a dynaset unless it is open; false when the database
// refused. A database that cannot serve just now (CDBException::IsPassingFailure)
// throws its CDBException instead.
bool TryOpen(CRecordset& set, DWORD options = CRecordset::none);
// The same inside an operation: a refusal throws the CDBException with the
// "cannot open" message, which undoes the operation.
void OpenOrThrow(CRecordset& set, DWORD options = CRecordset::none);
void CloseIfOpen(CRecordset& set);
// The message shown when a table cannot be opened.
CString OpenFailedMessage();
