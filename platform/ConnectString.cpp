#include "ConnectString.h"

#include "CDBException.h"
#include "CDatabase.h"
#include "OdbcInstaller.h"

CString ConnectAttribute(const CString& connect, const CString& key)
{
    size_t at = 0;
    while (at < connect.size()) {
        const size_t eq = connect.find('=', at);
        if (eq == CString::npos)
            break;
        CString name = connect.substr(at, eq - at);
        CString value;
        size_t next = eq + 1;
        if (next < connect.size() && connect[next] == '{') {
            for (++next; next < connect.size(); ++next) {
                if (connect[next] == '}' && !(next + 1 < connect.size() && connect[next + 1] == '}'))
                    break;
                if (connect[next] == '}')
                    ++next;
                value += connect[next];
            }
            next = connect.find(';', next);
        } else {
            next = connect.find(';', next);
            value = connect.substr(eq + 1, next == CString::npos ? CString::npos : next - eq - 1);
        }
        if (name.Trim(true).Trim(false).CmpNoCase(key) == 0)
            return value;
        if (next == CString::npos)
            break;
        at = next + 1;
    }
    return CString();
}

namespace {

// The SQLite driver waits for a lock held elsewhere as long as its Timeout
// says, and 100 seconds when nothing does: far too long for a desk.
CString WithBusyTimeout(const CString& connect)
{
    if (ConnectAttribute(connect, "DRIVER").Lower().Find("sqlite3") == wxNOT_FOUND ||
        !ConnectAttribute(connect, "Timeout").empty())
        return connect;
    return connect + (connect.EndsWith(";") ? "" : ";") + wxString::Format("Timeout=%d", kBusyTimeoutMs);
}

}  // namespace

CString ResolveConnectString(CString connect)
{
    if (connect.StartsWith("ODBC;"))
        connect = connect.Mid(5);
    CString dsn;
    if (!connect.Upper().StartsWith("DSN=", &dsn) || dsn.find(';') != CString::npos)
        return WithBusyTimeout(connect);
    dsn = connect.Mid(4);
    CString resolved;
    switch (LookUpDataSource(dsn, resolved)) {
    case DataSourceLookup::found:
        return WithBusyTimeout(resolved);
    case DataSourceLookup::notFound:
        throw CDBException("[unixODBC][Driver Manager]Data source name not found and no default driver specified",
                           "State:IM002,Native:0");
    default:
        return connect;
    }
}
