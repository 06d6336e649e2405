#include "OdbcConnection.h"

#include "CDBException.h"
#include "CDatabase.h"
#include "ConnectString.h"
#include "MessageBox.h"
#include "OdbcDiagnostics.h"
#include "RankSamples.h"
#include "ServerSetup.h"
#include "SqliteSetup.h"
#include "Utf8Text.h"

std::shared_ptr<OdbcConnection> OdbcConnection::Open(const CString& connect, DWORD options)
{
    ConfigureSqliteLibrary();
    auto conn = std::make_shared<OdbcConnection>();
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &conn->m_env)))
        throw CDBException(UiText("无法分配 ODBC 环境。", "Cannot allocate the ODBC environment."));
    CheckOdbc(SQLSetEnvAttr(conn->m_env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0), SQL_HANDLE_ENV,
              conn->m_env, "cannot set the ODBC version");
    conn->m_connect = ToUtf8(ResolveConnectString(connect));
    conn->m_options = options;
    conn->Connect();
    return conn;
}

void OdbcConnection::Connect()
{
    SQLHDBC dbc = SQL_NULL_HDBC;
    CheckOdbc(SQLAllocHandle(SQL_HANDLE_DBC, m_env, &dbc), SQL_HANDLE_ENV, m_env, "cannot allocate a connection");
    if (m_options & CDatabase::useCursorLib)
        SQLSetConnectAttr(dbc, SQL_ATTR_ODBC_CURSORS, (SQLPOINTER)SQL_CUR_USE_DRIVER, 0);
    SQLCHAR out[1024];
    SQLSMALLINT outLength = 0;
    // There is no window to prompt from: a data source that lacks what it needs fails.
    const SQLRETURN rc = SQLDriverConnect(dbc, nullptr, (SQLCHAR*)m_connect.c_str(), SQLSMALLINT(m_connect.size()),
                                          out, sizeof out, &outLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        const OdbcDiagnostics error = ReadDiagnostics(SQL_HANDLE_DBC, dbc, "cannot connect");
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        throw CDBException(error.text, error.state);
    }
    if (m_dbc)
        m_lostHandles.push_back(m_dbc);
    m_dbc = dbc;
    m_dialect = DialectOf(m_dbc);
    if (IsSqlite())
        PrepareSqlite(*this, m_options);
    else
        PrepareServer(*this);
    m_lost = false;
}

void OdbcConnection::ReopenIfLost()
{
    if (!m_lost || m_transactionDepth > 0)
        return;
    m_idleStatements.clear();  // prepared on the connection that was lost
    Connect();
    ++m_cursorsClosed;
    // Rows may have changed while the connection was away.
    NoteWrite(std::string(), 0);
}

namespace {

// The SQLite driver keeps the statement SQLite prepared only for what it takes
// for a query: text that begins with SELECT, PRAGMA, EXPLAIN or WITH. Any other
// statement it prepares again at every execution, which made an INSERT run
// again and again (an import) cost twice what it needs. Led by a common table
// expression that nothing uses, a write is a query to the driver and SQLite
// runs it as it is; the driver then prepares it once and, with parameters,
// runs it at every execution to its end.
const std::string kKeepPrepared = "WITH [unused] AS (SELECT 1) ";

bool IsWrite(const std::string& sql)
{
    for (const char* verb : {"INSERT ", "UPDATE ", "DELETE "})
        if (sql.compare(0, 7, verb) == 0)
            return true;
    return false;
}

}  // namespace

OdbcConnection::OdbcConnection() = default;

std::unique_ptr<RankSamples>& OdbcConnection::RankSamplesOf(const std::string& table)
{
    return m_rankSamples[table];
}

OdbcConnection::~OdbcConnection()
{
    m_idleStatements.clear();  // their handles go before the connection's
    if (m_dbc && m_transactionDepth > 0) {
        m_transactionDepth = 0;
        RollBackNow();
    }
    m_lostHandles.push_back(m_dbc);
    for (SQLHDBC dbc : m_lostHandles) {
        if (!dbc)
            continue;
        SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    }
    if (m_env)
        SQLFreeHandle(SQL_HANDLE_ENV, m_env);
}

void OdbcConnection::NoteWrite(const std::string& table, long long key, WriteKind kind)
{
    m_writes.push_back({++m_writeSerial, table, key, kind});
    if (m_writes.size() > kWritesKept)
        m_writes.pop_front();
}

// Writes since `serial` that touch the table, or the row `key` of it when one is given.
bool OdbcConnection::ChangedSince(const std::string& table, const long long* key, unsigned long serial,
                                  bool removalsOnly) const
{
    if (serial == 0 || (!m_writes.empty() && m_writes.front().serial > serial + 1))
        return true;  // never read, or read before the writes kept here
    for (auto it = m_writes.rbegin(); it != m_writes.rend() && it->serial > serial; ++it) {
        if (it->table.empty())
            return true;
        if (it->table == table && (!key || it->key == *key) && !(removalsOnly && it->kind == WriteKind::update))
            return true;
    }
    return false;
}

bool OdbcConnection::RemovalsSince(const std::string& table, unsigned long serial, std::vector<long long>& keys) const
{
    if (serial == 0 || (!m_writes.empty() && m_writes.front().serial > serial + 1))
        return false;
    for (auto it = m_writes.rbegin(); it != m_writes.rend() && it->serial > serial; ++it) {
        if (it->table.empty())
            return false;
        if (it->table == table && it->kind == WriteKind::removal)
            keys.push_back(it->key);
    }
    return true;
}

bool OdbcConnection::Run(const char* sql, OdbcDiagnostics* error)
{
    SQLHSTMT h = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &h))) {
        if (error)
            *error = ReadDiagnostics(SQL_HANDLE_DBC, m_dbc, "cannot allocate a statement");
        return false;
    }
    const SQLRETURN rc = SQLExecDirect(h, (SQLCHAR*)sql, SQL_NTS);
    const bool ok = SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA;
    if (!ok) {
        const OdbcDiagnostics diagnostics = ReadDiagnostics(SQL_HANDLE_STMT, h, sql);
        NoteIfLost(diagnostics);
        if (error)
            *error = diagnostics;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, h);
    return ok;
}

std::unique_ptr<OdbcStatement> OdbcConnection::TakeStatement(const std::string& sql)
{
    ReopenIfLost();
    for (auto it = m_idleStatements.begin(); it != m_idleStatements.end(); ++it) {
        if (it->first == sql) {
            std::unique_ptr<OdbcStatement> stmt = std::move(it->second);
            m_idleStatements.erase(it);
            return stmt;
        }
    }
    auto stmt = std::make_unique<OdbcStatement>(*this);
    if (IsSqlite() && IsWrite(sql)) {
        stmt->Prepare(kKeepPrepared + sql);
        // Without parameters the driver would run it only as rows are fetched, and a write has none.
        if (stmt->ParameterCount() > 0)
            return stmt;
    }
    stmt->Prepare(sql);
    return stmt;
}

void OdbcConnection::ReturnStatement(const std::string& sql, std::unique_ptr<OdbcStatement> stmt) noexcept
{
    if (stmt->RowsPending() || stmt->ConnectionHandle() != m_dbc)
        return;  // freed: the driver would not run it again reliably, or its connection was lost
    stmt->Reset();
    try {
        m_idleStatements.emplace_front(sql, std::move(stmt));
    } catch (...) {
        return;  // not kept: freed
    }
    if (m_idleStatements.size() > kIdleStatementsKept)
        m_idleStatements.pop_back();
}

void OdbcConnection::Begin(LockAt lockAt)
{
    if (m_transactionDepth > 0) {
        ++m_transactionDepth;
        return;  // inside a transaction already: it covers this one too
    }
    m_abandoned.reset();
    if (IsSqlite()) {
        // IMMEDIATE takes the write lock of every attached file now: a file
        // locked elsewhere fails here, before anything is written. Deferred,
        // each file is locked by its first write, and one never written is
        // never locked nor journalled.
        OdbcDiagnostics error;
        if (!Run(lockAt == LockAt::begin ? "BEGIN IMMEDIATE" : "BEGIN", &error))
            throw CDBException(error.text, error.state);
    } else {
        BeginOnServer(lockAt);
    }
    m_transactionDepth = 1;
}

void OdbcConnection::BeginOnServer(LockAt lockAt)
{
    ReopenIfLost();
    for (bool reopened = false;; reopened = true) {
        SetAutocommit(false);
        OdbcDiagnostics error;
        if (lockAt == LockAt::firstWrite || TakeDeskLock(*this, &error))
            return;
        EndOdbcTransaction(SQL_ROLLBACK, nullptr);
        // Nothing is written yet: a connection the server dropped since the
        // last statement (a restart) is opened again, once, for this transaction.
        if (reopened || !m_lost)
            throw CDBException(error.text, error.state);
        ReopenIfLost();
    }
}

void OdbcConnection::SetAutocommit(bool on)
{
    const SQLPOINTER value = (SQLPOINTER)(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF);
    if (!SQL_SUCCEEDED(SQLSetConnectAttr(m_dbc, SQL_ATTR_AUTOCOMMIT, value, 0)))
        ThrowDiagnostics(SQL_HANDLE_DBC, m_dbc, on ? "cannot end the transaction" : "cannot begin a transaction");
}

void OdbcConnection::Commit()
{
    if (m_transactionDepth == 0)
        return;  // nothing is pending
    if (--m_transactionDepth > 0)
        return;  // the outermost transaction commits
    OdbcDiagnostics error;
    if (m_abandoned) {
        error = *m_abandoned;
    } else if (IsSqlite() ? Run("COMMIT", &error) : EndOdbcTransaction(SQL_COMMIT, &error)) {
        return;
    }
    // A commit that failed may leave the transaction open (a lock held
    // elsewhere): it is undone, so that nothing stays half-written.
    RollBackNow();
    throw CDBException(error.text, error.state);
}

void OdbcConnection::Rollback()
{
    if (m_transactionDepth == 0)
        return;
    if (--m_transactionDepth > 0) {
        // An inner rollback undoes the whole transaction; the outer one goes
        // on in a fresh transaction that can only end rolled back.
        RollBackNow();
        if (IsSqlite())
            Run("BEGIN");
        m_abandoned = OdbcDiagnostics{UiText("事务已经撤销。", "The transaction was rolled back."), CString()};
        return;
    }
    const OdbcDiagnostics error = RollBackNow();
    if (!error.text.empty())
        throw CDBException(error.text, error.state);
}

OdbcDiagnostics OdbcConnection::RollBackNow()
{
    OdbcDiagnostics error;
    if (IsSqlite()) {
        Run("ROLLBACK", &error);
    } else {
        EndOdbcTransaction(SQL_ROLLBACK, &error);
        ++m_cursorsClosed;  // the driver drops its cursors with the transaction
    }
    m_abandoned.reset();
    // Any row may hold its old values again.
    NoteWrite(std::string(), 0);
    return error;
}

bool OdbcConnection::EndOdbcTransaction(SQLSMALLINT completion, OdbcDiagnostics* error)
{
    const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, m_dbc, completion);
    if (!SQL_SUCCEEDED(rc)) {
        const OdbcDiagnostics diagnostics = ReadDiagnostics(SQL_HANDLE_DBC, m_dbc, "cannot end the transaction");
        NoteIfLost(diagnostics);
        if (error)
            *error = diagnostics;
    }
    if (m_transactionDepth == 0)
        SQLSetConnectAttr(m_dbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_ON, 0);
    return SQL_SUCCEEDED(rc);
}

void OdbcConnection::NoteIfLost(const OdbcDiagnostics& error)
{
    if (!IsSqlite() && IsLostConnection(error.state))
        m_lost = true;
}

void OdbcConnection::NoteFailure(const OdbcDiagnostics& error)
{
    NoteIfLost(error);
    if (m_transactionDepth == 0 || m_abandoned)
        return;
    if (!IsSqlite()) {
        // A server gives the whole transaction up at a failed statement, and
        // what the transaction wrote after it could commit on its own.
        m_abandoned = error;
        NoteWrite(std::string(), 0);
        return;
    }
    // SQLite undoes a failed statement alone, but after some failures (a full
    // disk, an I/O error) it gives up the whole transaction, and the writes
    // that follow would then commit one by one. A BEGIN succeeds only in that
    // case, and opens the transaction those writes then go into.
    if (Run("BEGIN")) {
        m_abandoned = error;
        NoteWrite(std::string(), 0);
    }
}
