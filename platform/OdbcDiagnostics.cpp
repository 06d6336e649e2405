#include "OdbcDiagnostics.h"

#include <cstring>
#include "CDBException.h"
#include "Utf8Text.h"

OdbcDiagnostics ReadDiagnostics(SQLSMALLINT type, SQLHANDLE handle, const char* what)
{
    OdbcDiagnostics d;
    SQLCHAR sqlState[6] = {};
    SQLCHAR message[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    for (SQLSMALLINT i = 1; handle && SQLGetDiagRec(type, handle, i, sqlState, &native, message,
                                                    sizeof message, &length) == SQL_SUCCESS; ++i) {
        if (!d.text.empty())
            d.text += "\n";
        d.text += FromUtf8(reinterpret_cast<char*>(message), strnlen(reinterpret_cast<char*>(message), sizeof message));
        if (d.state.empty())
            d.state = wxString::Format("State:%s,Native:%ld", reinterpret_cast<char*>(sqlState), long(native));
    }
    if (d.text.empty())
        d.text = wxString::FromUTF8(what);
    return d;
}

void ThrowDiagnostics(SQLSMALLINT type, SQLHANDLE handle, const char* what)
{
    OdbcDiagnostics d = ReadDiagnostics(type, handle, what);
    throw CDBException(d.text, d.state);
}

void CheckOdbc(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const char* what)
{
    if (!SQL_SUCCEEDED(rc))
        ThrowDiagnostics(type, handle, what);
}
