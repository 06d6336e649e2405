// The narrow ODBC functions: the driver reads UTF-8 through them.
#undef UNICODE
#undef _UNICODE
#include <sql.h>
#include <sqlext.h>

#include "Database.h"
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <functional>
#include <optional>
#include <unistd.h>
#include <unordered_map>
#include "MessageBox.h"
#include "OdbcInstaller.h"

// ---------------------------------------------------------------------------
// Diagnostics and handles

namespace {

std::string ToUtf8(const CString& text)
{
    const wxScopedCharBuffer utf8 = text.ToUTF8();
    return std::string(utf8.data(), utf8.length());
}

CString FromUtf8(const char* data, size_t length)
{
    return wxString::FromUTF8(data, length);
}

struct Diagnostics
{
    CString text;   // every record of the handle, one per line
    CString state;  // the first record's SQLSTATE and native code
};

Diagnostics ReadDiagnostics(SQLSMALLINT type, SQLHANDLE handle, const char* what)
{
    Diagnostics d;
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

[[noreturn]] void ThrowDiagnostics(SQLSMALLINT type, SQLHANDLE handle, const char* what)
{
    Diagnostics d = ReadDiagnostics(type, handle, what);
    throw CDBException(d.text, d.state);
}

void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const char* what)
{
    if (!SQL_SUCCEEDED(rc))
        ThrowDiagnostics(type, handle, what);
}

}  // namespace

CDBException::CDBException(const CString& error, const CString& state)
    : std::runtime_error(ToUtf8(error)), m_strError(error), m_strStateNativeOrigin(state)
{
}

void CDBException::ReportError() const
{
    AfxMessageBox(m_strError, MB_OK | MB_ICONERROR);
}

// ---------------------------------------------------------------------------
// The physical connection, shared by every CDatabase opened on it

struct CDatabase::Impl
{
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    // The SQLite driver: transactions are SQLite's own BEGIN, COMMIT and
    // ROLLBACK, so that the layer and not the driver knows whether one is open
    // (the driver does not notice when SQLite gives a transaction up).
    bool sqlite = false;
    int transactionDepth = 0;
    // Set when SQLite gave up the open transaction after a failed statement:
    // the writes before it are gone, so the transaction can only end rolled
    // back, and this is what its commit reports.
    std::optional<CString> abandoned;

    // Counts the writes made on this connection, so that recordsets know when
    // the rows they read may have changed.
    unsigned long writeSerial = 1;

    // The latest writes, so that a recordset brings up to date only the rows
    // that were written since it read them. An empty table stands for any row
    // of any table (SQL run through ExecuteSQL, a rollback).
    struct Write
    {
        unsigned long serial;
        std::string table;
        long long key;
    };
    static constexpr size_t kWritesKept = 256;
    std::deque<Write> writes;

    void NoteWrite(const std::string& table, long long key)
    {
        writes.push_back({++writeSerial, table, key});
        if (writes.size() > kWritesKept)
            writes.pop_front();
    }

    // Whether a row read at `serial` still holds what the table holds.
    bool Unchanged(const std::string& table, long long key, unsigned long serial) const
    {
        return !ChangedSince(table, &key, serial);
    }

    // Whether any row of the table may have been written since `serial`.
    bool TableChangedSince(const std::string& table, unsigned long serial) const
    {
        return ChangedSince(table, nullptr, serial);
    }

    // Writes since `serial` that touch the table, or the row `key` of it when one is given.
    bool ChangedSince(const std::string& table, const long long* key, unsigned long serial) const
    {
        if (serial == 0 || (!writes.empty() && writes.front().serial > serial + 1))
            return true;  // never read, or read before the writes kept here
        for (auto it = writes.rbegin(); it != writes.rend() && it->serial > serial; ++it)
            if (it->table.empty() || (it->table == table && (!key || it->key == *key)))
                return true;
        return false;
    }

    // Runs SQL of the layer's own; false with the driver's text instead of a throw.
    bool Run(const char* sql, CString* error = nullptr)
    {
        SQLHSTMT h = SQL_NULL_HSTMT;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &h))) {
            if (error)
                *error = ReadDiagnostics(SQL_HANDLE_DBC, dbc, "cannot allocate a statement").text;
            return false;
        }
        const SQLRETURN rc = SQLExecDirect(h, (SQLCHAR*)sql, SQL_NTS);
        const bool ok = SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA;
        if (!ok && error)
            *error = ReadDiagnostics(SQL_HANDLE_STMT, h, sql).text;
        SQLFreeHandle(SQL_HANDLE_STMT, h);
        return ok;
    }

    void Begin()
    {
        if (transactionDepth++ > 0)
            return;  // inside a transaction already: it covers this one too
        abandoned.reset();
        if (sqlite) {
            // IMMEDIATE takes the write lock of every attached file now: a file
            // locked elsewhere fails here, before anything is written.
            CString error;
            if (!Run("BEGIN IMMEDIATE", &error)) {
                transactionDepth = 0;
                throw CDBException(error);
            }
            return;
        }
        if (!SQL_SUCCEEDED(SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_OFF, 0))) {
            transactionDepth = 0;
            ThrowDiagnostics(SQL_HANDLE_DBC, dbc, "cannot begin a transaction");
        }
    }

    void Commit()
    {
        if (transactionDepth == 0)
            return;  // nothing is pending
        if (--transactionDepth > 0)
            return;  // the outermost transaction commits
        CString error;
        if (abandoned) {
            error = *abandoned;
        } else if (sqlite ? Run("COMMIT", &error) : EndOdbcTransaction(SQL_COMMIT, &error)) {
            return;
        }
        // A commit that failed may leave the transaction open (a lock held
        // elsewhere): it is undone, so that nothing stays half-written.
        RollBackNow();
        throw CDBException(error);
    }

    void Rollback()
    {
        if (transactionDepth == 0)
            return;
        if (--transactionDepth > 0) {
            // An inner rollback undoes the whole transaction; the outer one goes
            // on in a fresh transaction that can only end rolled back.
            RollBackNow();
            if (sqlite)
                Run("BEGIN");
            abandoned = CString("The transaction was rolled back");
            return;
        }
        CString error = RollBackNow();
        if (!error.empty())
            throw CDBException(error);
    }

    // Undoes the open transaction; the driver's text when that failed.
    CString RollBackNow()
    {
        CString error;
        if (sqlite)
            Run("ROLLBACK", &error);
        else
            EndOdbcTransaction(SQL_ROLLBACK, &error);
        abandoned.reset();
        // Any row may hold its old values again.
        NoteWrite(std::string(), 0);
        return error;
    }

    // Ends the driver's transaction; outside the outermost one it goes back to a commit per write.
    bool EndOdbcTransaction(SQLSMALLINT completion, CString* error)
    {
        const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, dbc, completion);
        if (!SQL_SUCCEEDED(rc) && error)
            *error = ReadDiagnostics(SQL_HANDLE_DBC, dbc, "cannot end the transaction").text;
        if (transactionDepth == 0)
            SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_ON, 0);
        return SQL_SUCCEEDED(rc);
    }

    // Called with the text of every failed statement on this connection.
    void NoteFailure(const CString& error)
    {
        if (!sqlite || transactionDepth == 0 || abandoned)
            return;
        // SQLite undoes a failed statement alone, but after some failures (a full
        // disk, an I/O error) it gives up the whole transaction, and the writes
        // that follow would then commit one by one. A BEGIN succeeds only in that
        // case, and opens the transaction those writes then go into.
        if (Run("BEGIN")) {
            abandoned = error;
            NoteWrite(std::string(), 0);
        }
    }

    ~Impl()
    {
        if (dbc) {
            if (transactionDepth > 0) {
                transactionDepth = 0;
                RollBackNow();
            }
            SQLDisconnect(dbc);
            SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        }
        if (env)
            SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
};

namespace {

// One statement handle, freed on every path. Its failures reach the connection,
// which must know when SQLite gave up a transaction.
class Statement
{
public:
    explicit Statement(CDatabase::Impl& conn) : m_conn(conn)
    {
        ::Check(SQLAllocHandle(SQL_HANDLE_STMT, conn.dbc, &m_h), SQL_HANDLE_DBC, conn.dbc,
                "cannot allocate a statement");
    }
    ~Statement() { SQLFreeHandle(SQL_HANDLE_STMT, m_h); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void Check(SQLRETURN rc, const char* what) const
    {
        if (SQL_SUCCEEDED(rc))
            return;
        Diagnostics d = ReadDiagnostics(SQL_HANDLE_STMT, m_h, what);
        m_conn.NoteFailure(d.text);
        throw CDBException(d.text, d.state);
    }
    SQLHSTMT Get() const { return m_h; }

    void Execute(const std::string& sql)
    {
        SQLRETURN rc = SQLExecDirect(m_h, (SQLCHAR*)sql.c_str(), SQLINTEGER(sql.size()));
        if (rc != SQL_NO_DATA)
            Check(rc, "cannot execute the statement");
    }

    // The first column of the first row as text; empty when there is no row.
    std::string FetchText()
    {
        const SQLRETURN rc = SQLFetch(m_h);
        if (rc == SQL_NO_DATA)
            return std::string();
        Check(rc, "cannot read the result");
        std::string text;
        char buffer[4096];
        SQLLEN length = 0;
        SQLRETURN got;
        while (SQL_SUCCEEDED(got = SQLGetData(m_h, 1, SQL_C_CHAR, buffer, sizeof buffer, &length))) {
            if (length == SQL_NULL_DATA)
                break;
            text += buffer;
            if (got == SQL_SUCCESS)
                break;
        }
        return text;
    }

    // Binds UTF-8 text as input parameter `n`; the text must outlive the execution.
    void BindText(SQLUSMALLINT n, const std::string& text, SQLLEN& length)
    {
        length = SQLLEN(text.size());
        Check(SQLBindParameter(m_h, n, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, std::max<SQLULEN>(text.size(), 1),
                               0, (SQLPOINTER)text.data(), length, &length),
              "bind text parameter");
    }

private:
    CDatabase::Impl& m_conn;
    SQLHSTMT m_h = SQL_NULL_HSTMT;
};

// The first value the query returns, as text; `parameter` binds its one "?".
std::string QueryText(CDatabase::Impl& conn, const std::string& sql, const std::string* parameter = nullptr)
{
    Statement stmt(conn);
    SQLLEN length = 0;
    if (parameter)
        stmt.BindText(1, *parameter, length);
    stmt.Execute(sql);
    return stmt.FetchText();
}

// The value of `key` in a connect string ("" when absent), braces taken off.
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

// The SQLite driver waits for a lock held elsewhere as long as its Timeout
// says, and 100 seconds when nothing does: far too long for a desk.
CString WithBusyTimeout(const CString& connect)
{
    if (ConnectAttribute(connect, "DRIVER").Lower().Find("sqlite3") == wxNOT_FOUND ||
        !ConnectAttribute(connect, "Timeout").empty())
        return connect;
    return connect + (connect.EndsWith(";") ? "" : ";") + wxString::Format("Timeout=%d", kBusyTimeoutMs);
}

// "DSN=name" alone is looked up where the program registers its data sources;
// any other connect string goes to the driver manager as it is.
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

bool IsSqlite(SQLHDBC dbc)
{
    char name[64] = {};
    SQLSMALLINT length = 0;
    return SQL_SUCCEEDED(SQLGetInfo(dbc, SQL_DBMS_NAME, name, sizeof name, &length)) &&
           std::strcmp(name, "SQLite") == 0;
}

// The file behind a schema of a SQLite connection; empty for a database in memory.
std::string SchemaFile(CDatabase::Impl& conn, const std::string& schema)
{
    return QueryText(conn, "SELECT file FROM pragma_database_list WHERE name = ?", &schema);
}

// SQLite opens a file lazily: reading the catalogue makes a file that is no
// database fail here, at the open, with the driver's text.
void VerifyReadable(CDatabase::Impl& conn, const std::string& schema)
{
    // The driver's catalogue functions hide this error, so ask SQLite's own catalogue.
    QueryText(conn, "SELECT count(*) FROM " + schema + ".sqlite_master");
}

// SQLite quietly opens a file it may not write read-only. The connection is
// read-write, so such a file fails here, at the open, before anything is written.
void VerifyWritable(const std::string& file)
{
    const size_t slash = file.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : file.substr(0, slash + 1);
    for (const std::string& path : {file, folder}) {
        if (access(path.c_str(), W_OK) != 0) {
            const int error = errno;
            throw CDBException(wxString::Format("The database cannot be written: %s (%s)", wxString::FromUTF8(path),
                                                wxString::FromUTF8(std::strerror(error))));
        }
    }
}

// Every SQLite file runs with a rollback journal, where SQLite commits a
// transaction over attached files atomically (in WAL mode it does not), and
// TRUNCATE with synchronous FULL makes a returned commit survive a power cut
// (a deleted journal could come back after one). A file left in WAL mode is
// converted here.
void PrepareSchema(CDatabase::Impl& conn, const std::string& schema)
{
    Statement(conn).Execute("PRAGMA " + schema + ".synchronous = FULL");
    const std::string mode = QueryText(conn, "PRAGMA " + schema + ".journal_mode = " + kJournalMode);
    if (CString::FromUTF8(mode).CmpNoCase(kJournalMode) != 0)
        throw CDBException(wxString::Format("The database cannot leave %s journal mode; another program may have it open",
                                            wxString::FromUTF8(mode)));
}

void PrepareSqlite(CDatabase::Impl& conn, DWORD options)
{
    VerifyReadable(conn, "main");
    const std::string file = SchemaFile(conn, "main");
    if (file.empty() || (options & CDatabase::openReadOnly))
        return;
    VerifyWritable(file);
    PrepareSchema(conn, "main");
}

std::shared_ptr<CDatabase::Impl> Connect(const CString& connect, DWORD options)
{
    auto impl = std::make_shared<CDatabase::Impl>();
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &impl->env)))
        throw CDBException("Cannot allocate the ODBC environment");
    Check(SQLSetEnvAttr(impl->env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0), SQL_HANDLE_ENV, impl->env,
          "cannot set the ODBC version");
    Check(SQLAllocHandle(SQL_HANDLE_DBC, impl->env, &impl->dbc), SQL_HANDLE_ENV, impl->env,
          "cannot allocate a connection");
    if (options & CDatabase::useCursorLib)
        SQLSetConnectAttr(impl->dbc, SQL_ATTR_ODBC_CURSORS, (SQLPOINTER)SQL_CUR_USE_DRIVER, 0);

    const std::string utf8 = ToUtf8(ResolveConnectString(connect));
    SQLCHAR out[1024];
    SQLSMALLINT outLength = 0;
    // There is no window to prompt from: a data source that lacks what it needs fails.
    Check(SQLDriverConnect(impl->dbc, nullptr, (SQLCHAR*)utf8.c_str(), SQLSMALLINT(utf8.size()), out, sizeof out,
                           &outLength, SQL_DRIVER_NOPROMPT),
          SQL_HANDLE_DBC, impl->dbc, "cannot connect");
    impl->sqlite = IsSqlite(impl->dbc);
    if (impl->sqlite)
        PrepareSqlite(*impl, options);
    return impl;
}

// Attaches `file` to the SQLite connection as `schema`, and returns the schema
// it is on. A file already on the connection (opened again, or two data
// sources on one file) is used where it is.
std::string Attach(CDatabase::Impl& conn, const std::string& file, const std::string& schema)
{
    const std::string present = QueryText(conn, "SELECT name FROM pragma_database_list WHERE file = ?", &file);
    if (!present.empty())
        return present;
    if (!SchemaFile(conn, schema).empty())
        Statement(conn).Execute("DETACH DATABASE " + schema);  // the name held another file before
    {
        Statement attach(conn);
        SQLLEN length = 0;
        attach.BindText(1, file, length);
        attach.Execute("ATTACH DATABASE ? AS " + schema);
    }
    try {
        VerifyReadable(conn, schema);
        PrepareSchema(conn, schema);
    } catch (const CDBException&) {
        conn.Run(("DETACH DATABASE " + schema).c_str());
        throw;
    }
    return schema;
}

}  // namespace

CDatabase::CDatabase() = default;
CDatabase::~CDatabase() = default;

BOOL CDatabase::OpenEx(const CString& connect, DWORD options)
{
    Close();
    m_impl = Connect(connect, options);
    m_strConnect = connect;
    m_strSchema = "main";
    return TRUE;
}

BOOL CDatabase::OpenAttached(const CString& connect, DWORD options, CDatabase& main, const CString& schema)
{
    Close();
    std::shared_ptr<Impl> own = Connect(connect, options);
    const std::string file = own->sqlite ? SchemaFile(*own, "main") : std::string();
    Impl* shared = main.m_impl.get();
    if (file.empty() || !shared || !shared->sqlite || SchemaFile(*shared, "main").empty()) {
        m_impl = std::move(own);
        m_strSchema = "main";
    } else {
        own.reset();  // checked; the file is not kept open twice
        m_strSchema = CString::FromUTF8(Attach(*shared, file, ToUtf8(schema)));
        m_impl = main.m_impl;
    }
    m_strConnect = connect;
    return TRUE;
}

BOOL CDatabase::SharesConnectionWith(const CDatabase& other) const
{
    return m_impl && m_impl == other.m_impl;
}

void CDatabase::Close()
{
    m_impl.reset();
}

BOOL CDatabase::IsOpen() const
{
    return m_impl != nullptr;
}

CDatabase::Impl& CDatabase::Connection() const
{
    if (!m_impl)
        throw CDBException("The database is not open");
    return *m_impl;
}

void CDatabase::ExecuteSQL(const CString& sql)
{
    Impl& conn = Connection();
    Statement stmt(conn);
    stmt.Execute(ToUtf8(sql));
    conn.NoteWrite(std::string(), 0);
}

BOOL CDatabase::BeginTrans()
{
    Connection().Begin();
    return TRUE;
}

BOOL CDatabase::CommitTrans()
{
    Connection().Commit();
    return TRUE;
}

BOOL CDatabase::Rollback()
{
    Connection().Rollback();
    return TRUE;
}

// ---------------------------------------------------------------------------
// Field exchange

void RFX_Text(CFieldExchange* pFX, const CString& column, CString& value, int)
{
    pFX->Add(column, CFieldExchange::Text, &value);
}
void RFX_Bool(CFieldExchange* pFX, const CString& column, BOOL& value)
{
    pFX->Add(column, CFieldExchange::Bool, &value);
}
void RFX_Byte(CFieldExchange* pFX, const CString& column, BYTE& value)
{
    pFX->Add(column, CFieldExchange::Byte, &value);
}
void RFX_Long(CFieldExchange* pFX, const CString& column, long& value)
{
    pFX->Add(column, CFieldExchange::Long, &value);
}
void RFX_Date(CFieldExchange* pFX, const CString& column, COleDateTime& value)
{
    pFX->Add(column, CFieldExchange::Date, &value);
}

// ---------------------------------------------------------------------------
// CRecordset

namespace {

// One column's value as it travels between the database and a member.
struct Value
{
    bool isNull = true;
    std::string text;
    long long number = 0;
    COleDateTime date;

    bool operator==(const Value& o) const
    {
        return isNull == o.isNull && text == o.text && number == o.number && date == o.date;
    }
};

struct Row
{
    long long key = 0;
    unsigned long serial = 0;  // writeSerial of the connection when read; 0 = not read
    bool deleted = false;
    // The row's values packed into one allocation (see PackValue), so that a
    // large table costs one small block per row.
    std::string packed;
};

// Packed form, per field: a null byte, then for text a 4-byte length and the
// UTF-8 bytes, for numbers 8 bytes, for dates the 8-byte day count and a status byte.
template <typename T>
void PackRaw(std::string& out, const T& value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename T>
T UnpackRaw(const char*& p)
{
    T value;
    std::memcpy(&value, p, sizeof value);
    p += sizeof value;
    return value;
}

CString TextFromUtf8(const char* data, size_t length)
{
    // Most values are plain ASCII: widen them without the UTF-8 decoder.
    size_t i = 0;
    while (i < length && static_cast<unsigned char>(data[i]) < 0x80)
        ++i;
    if (i < length)
        return FromUtf8(data, length);
    std::wstring wide(data, data + length);
    return CString(wide);
}

// Writes the packed values of a row into the members of the exchange.
void UnpackIntoMembers(const std::string& packed, const std::vector<CFieldExchange::Field>& fields)
{
    const char* p = packed.data();
    for (const auto& f : fields) {
        const bool isNull = *p++ != 0;
        switch (f.type) {
        case CFieldExchange::Text: {
            CString& text = *static_cast<CString*>(f.member);
            if (isNull) {
                text.clear();
                break;
            }
            const auto length = UnpackRaw<uint32_t>(p);
            text = TextFromUtf8(p, length);
            p += length;
            break;
        }
        case CFieldExchange::Date: {
            COleDateTime& date = *static_cast<COleDateTime*>(f.member);
            if (isNull) {
                date = COleDateTime();
                date.SetStatus(COleDateTime::null);
                break;
            }
            date.m_dt = UnpackRaw<double>(p);
            date.m_status = COleDateTime::DateTimeStatus(*p++);
            break;
        }
        default: {
            const long long number = isNull ? 0 : UnpackRaw<long long>(p);
            if (f.type == CFieldExchange::Bool)
                *static_cast<BOOL*>(f.member) = number != 0 ? TRUE : FALSE;
            else if (f.type == CFieldExchange::Byte)
                *static_cast<BYTE*>(f.member) = BYTE(number);
            else
                *static_cast<long*>(f.member) = long(number);
            break;
        }
        }
    }
}

constexpr SQLULEN kBlockRows = 128;
// Room for 255 characters of UTF-8; a small buffer also keeps the driver's copies short.
constexpr SQLLEN kTextBytes = 1024;

// Cuts UTF-8 text at a character boundary, so a truncated value still decodes.
void TrimToUtf8Boundary(std::string& text)
{
    size_t end = text.size();
    size_t start = end;
    while (start > 0 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80)
        --start;
    if (start == 0)
        return;
    const unsigned char lead = static_cast<unsigned char>(text[start - 1]);
    const size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (end - (start - 1) < need)
        text.resize(start - 1);
}

COleDateTime DateFromTimestamp(const SQL_TIMESTAMP_STRUCT& ts)
{
    COleDateTime date;
    date.SetDateTimeMs(ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second, int(ts.fraction / 1000000));
    return date;
}

// Column-wise bound buffers for a block of rows of rowid + the fields.
class BlockReader
{
public:
    BlockReader(Statement& stmt, const std::vector<CFieldExchange::Field>& fields) : m_stmt(stmt), m_fields(fields)
    {
        SQLHSTMT h = stmt.Get();
        stmt.Check(SQLSetStmtAttr(h, SQL_ATTR_ROW_BIND_TYPE, (SQLPOINTER)SQL_BIND_BY_COLUMN, 0), "row binding");
        stmt.Check(SQLSetStmtAttr(h, SQL_ATTR_ROW_ARRAY_SIZE, (SQLPOINTER)kBlockRows, 0), "row array size");
        stmt.Check(SQLSetStmtAttr(h, SQL_ATTR_ROWS_FETCHED_PTR, &m_fetched, 0), "rows fetched");
        m_keys.resize(kBlockRows);
        m_keyInd.resize(kBlockRows);
        stmt.Check(SQLBindCol(h, 1, SQL_C_SBIGINT, m_keys.data(), 0, m_keyInd.data()), "bind key");
        m_columns.resize(fields.size());
        for (size_t c = 0; c < fields.size(); ++c) {
            Column& col = m_columns[c];
            col.ind.resize(kBlockRows);
            const SQLUSMALLINT n = SQLUSMALLINT(c + 2);
            switch (fields[c].type) {
            case CFieldExchange::Text:
                col.text.resize(kBlockRows * kTextBytes);
                stmt.Check(SQLBindCol(h, n, SQL_C_CHAR, col.text.data(), kTextBytes, col.ind.data()), "bind text");
                break;
            case CFieldExchange::Date:
                col.dates.resize(kBlockRows);
                stmt.Check(SQLBindCol(h, n, SQL_C_TYPE_TIMESTAMP, col.dates.data(), sizeof(SQL_TIMESTAMP_STRUCT),
                                      col.ind.data()),
                           "bind date");
                break;
            default:
                col.numbers.resize(kBlockRows);
                stmt.Check(SQLBindCol(h, n, SQL_C_SBIGINT, col.numbers.data(), 0, col.ind.data()), "bind number");
                break;
            }
        }
    }

    // Reads every row of the executed statement.
    void ReadAll(const std::function<void(Row&&)>& sink)
    {
        for (;;) {
            SQLRETURN rc = SQLFetchScroll(m_stmt.Get(), SQL_FETCH_NEXT, 0);
            if (rc == SQL_NO_DATA)
                return;
            m_stmt.Check(rc, "cannot read the rows");
            for (SQLULEN r = 0; r < m_fetched; ++r)
                sink(MakeRow(r));
        }
    }

private:
    struct Column
    {
        std::vector<char> text;
        std::vector<long long> numbers;
        std::vector<SQL_TIMESTAMP_STRUCT> dates;
        std::vector<SQLLEN> ind;
    };

    Row MakeRow(SQLULEN r) const
    {
        Row row;
        row.key = m_keys[r];
        row.packed.reserve(m_fields.size() * 16);
        for (size_t c = 0; c < m_fields.size(); ++c) {
            const Column& col = m_columns[c];
            const bool isNull = col.ind[r] == SQL_NULL_DATA;
            row.packed.push_back(isNull ? 1 : 0);
            if (isNull)
                continue;
            switch (m_fields[c].type) {
            case CFieldExchange::Text: {
                const char* data = col.text.data() + r * kTextBytes;
                std::string text(data, strnlen(data, kTextBytes));
                if (col.ind[r] >= kTextBytes || col.ind[r] == SQL_NO_TOTAL)
                    TrimToUtf8Boundary(text);
                PackRaw(row.packed, uint32_t(text.size()));
                row.packed += text;
                break;
            }
            case CFieldExchange::Date: {
                const COleDateTime date = DateFromTimestamp(col.dates[r]);
                PackRaw(row.packed, date.m_dt);
                row.packed.push_back(char(date.m_status));
                break;
            }
            default:
                PackRaw(row.packed, col.numbers[r]);
                break;
            }
        }
        return row;
    }

    Statement& m_stmt;
    const std::vector<CFieldExchange::Field>& m_fields;
    SQLULEN m_fetched = 0;
    std::vector<long long> m_keys;
    std::vector<SQLLEN> m_keyInd;
    std::vector<Column> m_columns;
};

// Keeps parameter buffers alive until the statement has run.
class ParameterBinder
{
public:
    explicit ParameterBinder(Statement& stmt) : m_stmt(stmt) {}

    void Bind(const Value& value, CFieldExchange::FieldType type)
    {
        m_values.push_back(value);
        Value& v = m_values.back();
        const SQLUSMALLINT n = SQLUSMALLINT(m_values.size());
        SQLLEN* ind = &m_ind[n - 1];
        if (type == CFieldExchange::Date && v.date.GetStatus() != COleDateTime::valid)
            v.isNull = true;
        *ind = v.isNull ? SQL_NULL_DATA : 0;
        switch (type) {
        case CFieldExchange::Text:
            if (!v.isNull)
                *ind = SQLLEN(v.text.size());
            m_stmt.Check(SQLBindParameter(m_stmt.Get(), n, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                          std::max<SQLULEN>(v.text.size(), 1), 0, (SQLPOINTER)v.text.data(),
                                          SQLLEN(v.text.size()), ind),
                         "bind text parameter");
            break;
        case CFieldExchange::Date: {
            SQL_TIMESTAMP_STRUCT& ts = m_dates[n - 1];
            ts = {};
            int y, mo, d, h, mi, s, ms;
            if (v.date.GetParts(y, mo, d, h, mi, s, ms)) {
                ts.year = SQLSMALLINT(y), ts.month = SQLUSMALLINT(mo), ts.day = SQLUSMALLINT(d);
                ts.hour = SQLUSMALLINT(h), ts.minute = SQLUSMALLINT(mi), ts.second = SQLUSMALLINT(s);
                ts.fraction = SQLUINTEGER(ms) * 1000000u;
            }
            m_stmt.Check(SQLBindParameter(m_stmt.Get(), n, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP,
                                          23, 3, &ts, sizeof ts, ind),
                         "bind date parameter");
            break;
        }
        default:
            m_stmt.Check(SQLBindParameter(m_stmt.Get(), n, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                          &v.number, 0, ind),
                         "bind number parameter");
            break;
        }
    }

private:
    Statement& m_stmt;
    // Deques keep the addresses handed to the driver stable as parameters are added.
    std::deque<Value> m_values;
    std::unordered_map<SQLUSMALLINT, SQL_TIMESTAMP_STRUCT> m_dates;
    std::unordered_map<SQLUSMALLINT, SQLLEN> m_ind;
};

}  // namespace

struct CRecordset::Impl
{
    enum class Mode { none, edit, addNew };

    std::vector<CFieldExchange::Field> fields;
    std::string table;
    std::string columnList;  // "rowid, [a], [b], ..."
    std::string query;       // the SELECT of the open, all columns, in its order
    unsigned long openSerial = 0;
    size_t readInOrder = 0;  // leading rows whose values the query has given
    std::vector<Row> rows;
    long pos = 0;
    bool bof = true, eof = true;
    Mode mode = Mode::none;
    std::vector<Value> before;  // member values when Edit or AddNew began
    bool open = false;
};

CRecordset::CRecordset(CDatabase* pDatabase) : m_pDatabase(pDatabase), m_impl(std::make_unique<Impl>()) {}

CRecordset::~CRecordset() = default;

namespace {

Value ReadMember(const CFieldExchange::Field& f)
{
    Value v;
    v.isNull = false;
    switch (f.type) {
    case CFieldExchange::Text: v.text = ToUtf8(*static_cast<CString*>(f.member)); break;
    case CFieldExchange::Bool: v.number = *static_cast<BOOL*>(f.member) ? 1 : 0; break;
    case CFieldExchange::Byte: v.number = *static_cast<BYTE*>(f.member); break;
    case CFieldExchange::Long: v.number = *static_cast<long*>(f.member); break;
    case CFieldExchange::Date:
        v.date = *static_cast<COleDateTime*>(f.member);
        v.isNull = v.date.GetStatus() != COleDateTime::valid;
        break;
    }
    return v;
}

void WriteMember(const CFieldExchange::Field& f, const Value& v)
{
    switch (f.type) {
    case CFieldExchange::Text:
        *static_cast<CString*>(f.member) = v.isNull ? CString() : FromUtf8(v.text.data(), v.text.size());
        break;
    case CFieldExchange::Bool: *static_cast<BOOL*>(f.member) = (!v.isNull && v.number != 0) ? TRUE : FALSE; break;
    case CFieldExchange::Byte: *static_cast<BYTE*>(f.member) = v.isNull ? 0 : BYTE(v.number); break;
    case CFieldExchange::Long: *static_cast<long*>(f.member) = v.isNull ? 0 : long(v.number); break;
    case CFieldExchange::Date: {
        COleDateTime& date = *static_cast<COleDateTime*>(f.member);
        date = v.isNull ? COleDateTime() : v.date;
        if (v.isNull)
            date.SetStatus(COleDateTime::null);
        break;
    }
    }
}

}  // namespace

BOOL CRecordset::Open(UINT, const CString&, DWORD options)
{
    if (!m_pDatabase || !m_pDatabase->IsOpen())
        throw CDBException("The database is not open");
    Close();
    CFieldExchange fx;
    DoFieldExchange(&fx);
    Impl& d = *m_impl;
    d.fields = fx.m_fields;
    d.table = ToUtf8(GetDefaultSQL());
    d.columnList = "rowid";
    for (const auto& f : d.fields)
        d.columnList += ", " + ToUtf8(f.column);
    d.open = true;
    try {
        if (options & appendOnly)
            CheckTable();
        else
            Requery();
    } catch (...) {
        d.open = false;
        throw;
    }
    return TRUE;
}

// Runs the recordset's query for no rows: the open fails as it would with
// rows when the table or a column is missing.
void CRecordset::CheckTable()
{
    Impl& d = *m_impl;
    Statement stmt(m_pDatabase->Connection());
    stmt.Execute("SELECT " + d.columnList + " FROM " + d.table + " WHERE 0");
    d.rows.clear();
    MoveFirst();
}

BOOL CRecordset::Requery()
{
    Impl& d = *m_impl;
    if (!d.open)
        throw CDBException("The recordset is not open");
    // Only the keys are read here: values come when the cursor reaches their
    // rows, so opening a large table to count or to append costs little.
    std::string clauses = " FROM " + d.table;
    if (!m_strFilter.empty())
        clauses += " WHERE " + ToUtf8(m_strFilter);
    if (!m_strSort.empty())
        clauses += " ORDER BY " + ToUtf8(m_strSort);
    d.query = "SELECT " + d.columnList + clauses;

    CDatabase::Impl* db = m_pDatabase->GetImpl();
    Statement stmt(*db);
    static const std::vector<CFieldExchange::Field> kKeysOnly;
    BlockReader reader(stmt, kKeysOnly);
    stmt.Execute("SELECT rowid" + clauses);
    d.rows.clear();
    reader.ReadAll([&](Row&& row) { d.rows.push_back(std::move(row)); });
    d.openSerial = db->writeSerial;
    d.readInOrder = 0;
    d.mode = Impl::Mode::none;
    MoveFirst();
    return TRUE;
}

void CRecordset::Close()
{
    Impl& d = *m_impl;
    d.open = false;
    d.rows.clear();
    d.mode = Impl::Mode::none;
    d.bof = d.eof = true;
    d.pos = 0;
}

BOOL CRecordset::IsOpen() const
{
    return m_impl->open;
}

namespace {

// Reads again the block of rows from 'first' on whose values may be stale.
void RefreshBlock(CDatabase::Impl* db, CRecordset::Impl& d, size_t first);
// Reads values of rows never read, from 'index' on, with the open's own query.
void ReadInOrder(CDatabase::Impl* db, CRecordset::Impl& d, size_t index);

}  // namespace

// Moves onto row 'index' when it still exists, bringing its values up to date.
static bool LoadRow(CDatabase* database, CRecordset::Impl& d, long index)
{
    CDatabase::Impl* db = database->GetImpl();
    if (!db)
        throw CDBException("The database is not open");
    Row& row = d.rows[size_t(index)];
    if (row.serial == 0)
        ReadInOrder(db, d, size_t(index));
    if (row.serial != db->writeSerial && db->Unchanged(d.table, row.key, row.serial))
        row.serial = db->writeSerial;
    if (row.serial != db->writeSerial)
        RefreshBlock(db, d, size_t(index));
    if (row.deleted)
        return false;
    UnpackIntoMembers(row.packed, d.fields);
    return true;
}

namespace {

void ReadInOrder(CDatabase::Impl* db, CRecordset::Impl& d, size_t index)
{
    // The query gives the rows in the order of the keys only while the table
    // is as it was at the open, and only a walk from the start continues it;
    // anything else is read by key.
    if (index != d.readInOrder || db->TableChangedSince(d.table, d.openSerial))
        return;
    // A first block answers an open that only looks at its first rows; a walk
    // that goes on past it takes all the rest in one pass.
    const std::string limit = index == 0 ? std::to_string(kBlockRows) : std::string("-1");
    Statement stmt(*db);
    BlockReader reader(stmt, d.fields);
    stmt.Execute(d.query + " LIMIT " + limit + " OFFSET " + std::to_string(index));
    bool inStep = true;
    reader.ReadAll([&](Row&& fresh) {
        if (!inStep || d.readInOrder >= d.rows.size() || d.rows[d.readInOrder].key != fresh.key) {
            inStep = false;
            return;
        }
        Row& row = d.rows[d.readInOrder++];
        row.packed = std::move(fresh.packed);
        row.serial = db->writeSerial;
    });
}

void RefreshBlock(CDatabase::Impl* db, CRecordset::Impl& d, size_t first)
{
    std::vector<size_t> indexes;
    for (size_t i = first; i < d.rows.size() && indexes.size() < kBlockRows; ++i) {
        Row& row = d.rows[i];
        if (row.deleted || row.serial == db->writeSerial)
            continue;
        if (db->Unchanged(d.table, row.key, row.serial))
            row.serial = db->writeSerial;
        else
            indexes.push_back(i);
    }
    if (indexes.empty())
        return;

    std::string sql = "SELECT " + d.columnList + " FROM " + d.table + " WHERE rowid IN (";
    for (size_t i = 0; i < indexes.size(); ++i)
        sql += i ? ",?" : "?";
    sql += ")";

    Statement stmt(*db);
    ParameterBinder binder(stmt);
    for (size_t i : indexes) {
        Value key;
        key.isNull = false;
        key.number = d.rows[i].key;
        binder.Bind(key, CFieldExchange::Long);
    }
    BlockReader reader(stmt, d.fields);
    stmt.Execute(sql);
    std::unordered_map<long long, Row> fresh;
    reader.ReadAll([&](Row&& row) { fresh.emplace(row.key, std::move(row)); });
    for (size_t i : indexes) {
        Row& row = d.rows[i];
        auto it = fresh.find(row.key);
        row.serial = db->writeSerial;
        if (it == fresh.end())
            row.deleted = true;  // removed through another recordset
        else
            row.packed = std::move(it->second.packed);
    }
}

}  // namespace

void CRecordset::MoveFirst()
{
    Impl& d = *m_impl;
    d.bof = d.eof = false;
    for (d.pos = 0; d.pos < long(d.rows.size()); ++d.pos)
        if (LoadRow(m_pDatabase, d, d.pos))
            return;
    d.bof = d.eof = true;
}

void CRecordset::MoveNext()
{
    Impl& d = *m_impl;
    if (d.eof)
        throw CDBException("Attempt to move past the end of the recordset");
    d.bof = false;
    for (++d.pos; d.pos < long(d.rows.size()); ++d.pos)
        if (LoadRow(m_pDatabase, d, d.pos))
            return;
    d.eof = true;
}

void CRecordset::MovePrev()
{
    Impl& d = *m_impl;
    if (d.bof)
        throw CDBException("Attempt to move before the start of the recordset");
    d.eof = false;
    for (--d.pos; d.pos >= 0; --d.pos)
        if (LoadRow(m_pDatabase, d, d.pos))
            return;
    d.pos = 0;
    d.bof = true;
}

void CRecordset::MoveLast()
{
    Impl& d = *m_impl;
    d.bof = d.eof = false;
    for (d.pos = long(d.rows.size()) - 1; d.pos >= 0; --d.pos)
        if (LoadRow(m_pDatabase, d, d.pos))
            return;
    d.pos = 0;
    d.bof = d.eof = true;
}

void CRecordset::Move(long rows)
{
    for (; rows > 0; --rows)
        MoveNext();
    for (; rows < 0; ++rows)
        MovePrev();
}

void CRecordset::SetAbsolutePosition(long row)
{
    MoveFirst();
    Move(row - 1);
}

BOOL CRecordset::IsEOF() const
{
    return m_impl->eof;
}

BOOL CRecordset::IsBOF() const
{
    return m_impl->bof;
}

long CRecordset::GetRecordCount() const
{
    const auto& rows = m_impl->rows;
    return long(std::count_if(rows.begin(), rows.end(), [](const Row& r) { return !r.deleted; }));
}

BOOL CRecordset::CanAppend() const
{
    return m_impl->open;
}

BOOL CRecordset::CanUpdate() const
{
    return m_impl->open;
}

void CRecordset::Edit()
{
    Impl& d = *m_impl;
    if (!d.open || d.eof || d.bof || d.rows[size_t(d.pos)].deleted)
        throw CDBException("No current record to edit");
    d.before.clear();
    for (const auto& f : d.fields)
        d.before.push_back(ReadMember(f));
    d.mode = Impl::Mode::edit;
}

void CRecordset::AddNew()
{
    Impl& d = *m_impl;
    if (!d.open)
        throw CDBException("The recordset is not open");
    // A new row starts with empty members; only what the caller then sets is written,
    // so the other columns take the table's defaults.
    Value empty;
    for (const auto& f : d.fields)
        WriteMember(f, empty);
    d.before.clear();
    for (const auto& f : d.fields)
        d.before.push_back(ReadMember(f));
    d.mode = Impl::Mode::addNew;
}

void CRecordset::CancelUpdate()
{
    Impl& d = *m_impl;
    const bool wasAdding = d.mode == Impl::Mode::addNew;
    d.mode = Impl::Mode::none;
    if (wasAdding && !d.eof && !d.bof)
        LoadRow(m_pDatabase, d, d.pos);
}

BOOL CRecordset::Update()
{
    Impl& d = *m_impl;
    if (d.mode == Impl::Mode::none)
        throw CDBException("Update without Edit or AddNew");
    CDatabase::Impl* db = m_pDatabase->GetImpl();
    if (!db)
        throw CDBException("The database is not open");

    std::vector<size_t> changed;
    std::vector<Value> now;
    for (size_t c = 0; c < d.fields.size(); ++c) {
        now.push_back(ReadMember(d.fields[c]));
        if (!(now[c] == d.before[c]))
            changed.push_back(c);
    }
    const Impl::Mode mode = d.mode;
    d.mode = Impl::Mode::none;

    Statement stmt(*db);
    ParameterBinder binder(stmt);
    std::string sql;
    if (mode == Impl::Mode::edit) {
        if (changed.empty())
            return TRUE;
        sql = "UPDATE " + d.table + " SET ";
        for (size_t i = 0; i < changed.size(); ++i) {
            sql += (i ? ", " : "") + ToUtf8(d.fields[changed[i]].column) + " = ?";
            binder.Bind(now[changed[i]], d.fields[changed[i]].type);
        }
        sql += " WHERE rowid = ?";
        Value key;
        key.isNull = false;
        key.number = d.rows[size_t(d.pos)].key;
        binder.Bind(key, CFieldExchange::Long);
    } else if (changed.empty()) {
        sql = "INSERT INTO " + d.table + " DEFAULT VALUES";
    } else {
        std::string names, marks;
        for (size_t i = 0; i < changed.size(); ++i) {
            names += (i ? ", " : "") + ToUtf8(d.fields[changed[i]].column);
            marks += i ? ", ?" : "?";
            binder.Bind(now[changed[i]], d.fields[changed[i]].type);
        }
        sql = "INSERT INTO " + d.table + " (" + names + ") VALUES (" + marks + ")";
    }
    stmt.Execute(sql);

    if (mode == Impl::Mode::edit) {
        db->NoteWrite(d.table, d.rows[size_t(d.pos)].key);
    } else {
        Statement last(*db);
        last.Execute("SELECT last_insert_rowid()");
        Row row;
        if (SQL_SUCCEEDED(SQLFetch(last.Get())))
            last.Check(SQLGetData(last.Get(), 1, SQL_C_SBIGINT, &row.key, 0, nullptr), "read the new key");
        db->NoteWrite(d.table, row.key);
        d.rows.push_back(std::move(row));
        // Back on the row that was current before AddNew.
        if (!d.eof && !d.bof)
            LoadRow(m_pDatabase, d, d.pos);
    }
    return TRUE;
}

void CRecordset::Delete()
{
    Impl& d = *m_impl;
    if (!d.open || d.eof || d.bof || d.rows[size_t(d.pos)].deleted)
        throw CDBException("No current record to delete");
    CDatabase::Impl* db = m_pDatabase->GetImpl();
    Statement stmt(*db);
    ParameterBinder binder(stmt);
    Value key;
    key.isNull = false;
    key.number = d.rows[size_t(d.pos)].key;
    binder.Bind(key, CFieldExchange::Long);
    stmt.Execute("DELETE FROM " + d.table + " WHERE rowid = ?");
    db->NoteWrite(d.table, key.number);
    d.rows[size_t(d.pos)].deleted = true;
}
