// One physical ODBC connection, shared by the CDatabase objects opened on it:
// its handles, the log of the writes made through it and its transaction.
#pragma once

#include <deque>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#include "OdbcApi.h"
#include "OdbcDiagnostics.h"
#include "OdbcStatement.h"
#include "SqlDialect.h"
#include "WinTypes.h"

class RankSamples;

class OdbcConnection
{
public:
    // Connects with a connect string as CDatabase::OpenEx takes it; a SQLite
    // file is made ready as SqliteSetup describes. Throws CDBException.
    static std::shared_ptr<OdbcConnection> Open(const CString& connect, DWORD options);

    OdbcConnection();
    ~OdbcConnection();
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    SQLHDBC Handle() const { return m_dbc; }
    // The SQLite driver: transactions are SQLite's own BEGIN, COMMIT and
    // ROLLBACK, so that the layer and not the driver knows whether one is open
    // (the driver does not notice when SQLite gives a transaction up).
    bool IsSqlite() const { return m_dialect == SqlDialect::sqlite; }
    SqlDialect Dialect() const { return m_dialect; }
    // SQL of the program's own as this database reads it (see Spelled).
    std::string Spell(const std::string& sql) const { return Spelled(m_dialect, sql); }

    // A server can drop the connection (a restart). A failed statement that
    // says so marks it lost; the next statement or transaction outside a
    // transaction opens it again, once, and throws the driver's text when
    // that fails. Inside a transaction it stays lost until the transaction
    // ends, so that nothing written after the loss can commit alone.
    bool IsLost() const { return m_lost; }
    void ReopenIfLost();

    // Transactions nest: only the outermost commits, and an inner rollback
    // undoes the whole. A failed commit rolls back and throws CDBException.
    // The files of a SQLite connection are write-locked when the transaction
    // begins, or each by its first write; on a server the transaction takes
    // the desks' lock when it begins (see TakeDeskLock), or none.
    enum class LockAt { begin, firstWrite };
    void Begin(LockAt lockAt = LockAt::begin);
    void Commit();
    void Rollback();

    // Called with the diagnostics of every failed statement on this connection.
    void NoteFailure(const OdbcDiagnostics& error);
    // Marks the connection lost when the failure says the server dropped it.
    void NoteIfLost(const OdbcDiagnostics& error);

    // Runs SQL of the layer's own; false with the driver's diagnostics instead of a throw.
    bool Run(const char* sql, OdbcDiagnostics* error = nullptr);

    // A statement prepared with `sql`, from the idle ones when there is one
    // (see PooledStatement); ReturnStatement resets it and keeps it for the next.
    std::unique_ptr<OdbcStatement> TakeStatement(const std::string& sql);
    void ReturnStatement(const std::string& sql, std::unique_ptr<OdbcStatement> stmt) noexcept;

    // Where the rank samples of a table are kept (see RankSamples).
    std::unique_ptr<RankSamples>& RankSamplesOf(const std::string& table);
    // Where the key column of a table is kept once read (see RecordsetQuery).
    std::optional<CString>& PrimaryKeyOf(const std::string& table) { return m_primaryKeys[table]; }

    // Counts the times the driver's open cursors were closed under their
    // statements (a rollback on a server, a connection opened again): a
    // statement whose rows were being read since must run again.
    unsigned long CursorsClosed() const { return m_cursorsClosed; }

    // Counts the writes made on this connection, so that recordsets know when
    // the rows they read may have changed.
    unsigned long WriteSerial() const { return m_writeSerial; }
    // A write of row `key` of `table`; an empty table stands for any row of any
    // table (SQL run through ExecuteSQL, a rollback). Rows added are not noted:
    // no recordset holds them.
    enum class WriteKind { update, removal };
    void NoteWrite(const std::string& table, long long key, WriteKind kind = WriteKind::removal);
    // Whether a row read at `serial` still holds what the table holds.
    bool Unchanged(const std::string& table, long long key, unsigned long serial) const
    {
        return !ChangedSince(table, &key, serial);
    }
    // Whether any row of the table may have been written since `serial`; with
    // removalsOnly, whether one may have gone (an update moves no row of a
    // query without filter and order).
    bool TableChangedSince(const std::string& table, unsigned long serial, bool removalsOnly = false) const
    {
        return ChangedSince(table, nullptr, serial, removalsOnly);
    }

    // The keys of the table's rows removed since `serial`; false when the log
    // cannot tell them (SQL of the program's own, a rollback, too many writes).
    bool RemovalsSince(const std::string& table, unsigned long serial, std::vector<long long>& keys) const;

private:
    // Allocates the handle and connects with m_connect; sets the database up.
    void Connect();
    void BeginOnServer(LockAt lockAt);
    void SetAutocommit(bool on);
    bool ChangedSince(const std::string& table, const long long* key, unsigned long serial,
                      bool removalsOnly = false) const;
    // Undoes the open transaction; the driver's diagnostics when that failed.
    OdbcDiagnostics RollBackNow();
    // Ends the driver's transaction; outside the outermost one it goes back to a commit per write.
    bool EndOdbcTransaction(SQLSMALLINT completion, OdbcDiagnostics* error);

    SQLHENV m_env = SQL_NULL_HENV;
    SQLHDBC m_dbc = SQL_NULL_HDBC;
    // Handles of connections that were lost: statements made on them may
    // still be held, so they go only with this object.
    std::vector<SQLHDBC> m_lostHandles;
    std::string m_connect;  // as the driver manager takes it
    DWORD m_options = 0;
    SqlDialect m_dialect = SqlDialect::sqlite;
    bool m_lost = false;
    unsigned long m_cursorsClosed = 0;
    int m_transactionDepth = 0;
    // Set when SQLite gave up the open transaction after a failed statement:
    // the writes before it are gone, so the transaction can only end rolled
    // back, and this is what its commit reports.
    std::optional<OdbcDiagnostics> m_abandoned;

    unsigned long m_writeSerial = 1;
    // The latest writes, so that a recordset brings up to date only the rows
    // that were written since it read them.
    struct Write
    {
        unsigned long serial;
        std::string table;
        long long key;
        WriteKind kind;
    };
    static constexpr size_t kWritesKept = 256;
    std::deque<Write> m_writes;

    // Idle prepared statements, the most recently used first.
    static constexpr size_t kIdleStatementsKept = 64;
    std::list<std::pair<std::string, std::unique_ptr<OdbcStatement>>> m_idleStatements;
    std::map<std::string, std::unique_ptr<RankSamples>> m_rankSamples;
    std::map<std::string, std::optional<CString>> m_primaryKeys;
};
