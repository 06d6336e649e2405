// Registering user data sources through the ODBC installer library, loaded
// with dlopen on first use.
#pragma once

#include "WinTypes.h"

enum : WORD { ODBC_ADD_DSN = 1, ODBC_CONFIG_DSN = 2, ODBC_REMOVE_DSN = 3 };

// attributes: NUL-separated key=value pairs ending in two NULs; keys may carry
// leading blanks. The Access driver name maps to the SQLite3 driver, DBQ to
// Database, and NoCreat=1, JournalMode=TRUNCATE, SyncPragma=FULL, the busy
// timeout and StepAPI=1 are added.
BOOL SQLConfigDataSourceW(void* hwndParent, WORD request, const wchar_t* driver, const wchar_t* attributes);

// The driver manager keeps its own cached copy of the data-source settings, so
// a data source registered or removed while the program runs would be seen only
// at its next start. The connection layer therefore looks data sources up here,
// where the registrations are written.
enum class DataSourceLookup { found, notFound, unavailable };
// connect receives a driver connect string with the data source's settings.
DataSourceLookup LookUpDataSource(const CString& dsn, CString& connect);

// The description and the database file of a data source in the user's own
// file of data sources (ODBCINI, or ~/.odbc.ini), where the program registers
// its own: false when that file holds no data source of the name (the
// machine's are not looked at).
bool ReadUserDataSource(const CString& dsn, CString& description, CString& database);
