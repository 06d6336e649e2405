// Connect strings: reading them and completing them before they reach the
// driver manager.
#pragma once

#include "WinTypes.h"

// The value of `key` in a connect string ("" when absent), braces taken off.
CString ConnectAttribute(const CString& connect, const CString& key);

// "ODBC;" taken off; "DSN=name" alone looked up where the program registers
// its data sources; the SQLite driver told to read rows as they are fetched
// and given the program's busy timeout unless the string names one; the
// PostgreSQL driver told to read rows through a cursor. Throws CDBException
// for a data source that is not there.
CString ResolveConnectString(CString connect);
