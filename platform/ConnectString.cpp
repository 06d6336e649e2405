#include "ConnectString.h"

#include "CDBException.h"
#include "CDatabase.h"
#include "OdbcInstaller.h"
#include <vector>

namespace {

// One key=value pair of a connect string: where it stands, and its value with
// the braces taken off.
struct Attribute
{
    CString name;
    CString value;
    size_t start, end;  // the pair's text, without the ";" after it
};

std::vector<Attribute> Attributes(const CString& connect)
{
    std::vector<Attribute> pairs;
    size_t at = 0;
    while (at < connect.size()) {
        const size_t eq = connect.find('=', at);
        if (eq == CString::npos)
            break;
        Attribute pair{connect.substr(at, eq - at), CString(), at, 0};
        pair.name.Trim(true).Trim(false);
        size_t next = eq + 1;
        if (next < connect.size() && connect[next] == '{') {
            for (++next; next < connect.size(); ++next) {
                if (connect[next] == '}' && !(next + 1 < connect.size() && connect[next + 1] == '}'))
                    break;
                if (connect[next] == '}')
                    ++next;
                pair.value += connect[next];
            }
            next = connect.find(';', next);
        } else {
            next = connect.find(';', next);
            pair.value = connect.substr(eq + 1, next == CString::npos ? CString::npos : next - eq - 1);
        }
        pair.end = next == CString::npos ? connect.size() : next;
        pairs.push_back(pair);
        if (next == CString::npos)
            break;
        at = next + 1;
    }
    return pairs;
}

// The connect string without the pairs of `key`.
CString WithoutAttribute(const CString& connect, const CString& key)
{
    CString kept;
    for (const Attribute& pair : Attributes(connect))
        if (pair.name.CmpNoCase(key) != 0)
            kept += connect.substr(pair.start, pair.end - pair.start) + ";";
    return kept;
}

}  // namespace

CString ConnectAttribute(const CString& connect, const CString& key)
{
    for (const Attribute& pair : Attributes(connect))
        if (pair.name.CmpNoCase(key) == 0)
            return pair.value;
    return CString();
}

namespace {

// The rows the PostgreSQL driver reads from the server at a time: an open
// costs one such read, a walk of 100,000 stays a hundred.
constexpr int kServerFetchRows = 1024;

// What the layer needs of the driver, whatever the data source says. The
// PostgreSQL driver reads a query's rows through a cursor, a fetch at a time
// (UseDeclareFetch), not the whole result at the open. The SQLite driver
// reads rows as they are fetched (StepAPI=1), so that a walk costs a block of
// memory and reaches rows as they are now; and waits for a lock held
// elsewhere as long as fits a desk (100 seconds when nothing sets one).
CString ForTheLayer(const CString& connect)
{
    const CString driver = ConnectAttribute(connect, "DRIVER").Lower();
    if (driver.Find("postgresql") != wxNOT_FOUND || driver.Find("psqlodbc") != wxNOT_FOUND)
        return WithoutAttribute(WithoutAttribute(connect, "UseDeclareFetch"), "Fetch") + "UseDeclareFetch=1;Fetch=" +
               std::to_string(kServerFetchRows) + ";";
    if (driver.Find("sqlite3") == wxNOT_FOUND)
        return connect;
    // The driver takes the first of a key given twice.
    CString completed = WithoutAttribute(connect, "StepAPI") + "StepAPI=1;";
    if (ConnectAttribute(connect, "Timeout").empty())
        completed += wxString::Format("Timeout=%d;", kBusyTimeoutMs);
    return completed;
}

}  // namespace

CString ResolveConnectString(CString connect)
{
    if (connect.StartsWith("ODBC;"))
        connect = connect.Mid(5);
    CString dsn;
    if (!connect.Upper().StartsWith("DSN=", &dsn) || dsn.find(';') != CString::npos)
        return ForTheLayer(connect);
    dsn = connect.Mid(4);
    CString resolved;
    switch (LookUpDataSource(dsn, resolved)) {
    case DataSourceLookup::found:
        return ForTheLayer(resolved);
    case DataSourceLookup::notFound:
        throw CDBException("[unixODBC][Driver Manager]Data source name not found and no default driver specified",
                           "State:IM002,Native:0");
    default:
        return connect;
    }
}
