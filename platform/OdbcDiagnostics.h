// The diagnostic records of an ODBC handle, and the exception they make.
#pragma once

#include "OdbcApi.h"
#include "WinTypes.h"

struct OdbcDiagnostics
{
    CString text;   // every record of the handle, one per line; `what` when there is none
    CString state;  // the first record's SQLSTATE and native code
};

OdbcDiagnostics ReadDiagnostics(SQLSMALLINT type, SQLHANDLE handle, const char* what);
// Throws CDBException with the handle's diagnostics.
[[noreturn]] void ThrowDiagnostics(SQLSMALLINT type, SQLHANDLE handle, const char* what);
// Throws as ThrowDiagnostics unless rc is a success.
void CheckOdbc(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const char* what);
