// A connection to a data source, over the narrow ODBC API with UTF-8 text.
#pragma once

#include <memory>
#include "CDBException.h"
#include "WinTypes.h"

class OdbcConnection;

class CDatabase
{
public:
    enum DbOpenOptions { openExclusive = 1, openReadOnly = 2, useCursorLib = 4, noOdbcDialog = 8, forceOdbcDialog = 16 };

    CDatabase();
    ~CDatabase();
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;

    // connect: "DSN=Hotel", "ODBC;DSN=Hotel" or "Driver=SQLite3;Database=/path".
    // Throws CDBException with the driver manager's or driver's text. A SQLite
    // file must be writable unless openReadOnly is given; it runs with the
    // journal mode below and synchronous FULL, and with the busy timeout below
    // unless the connect string or data source sets one.
    BOOL OpenEx(const CString& connect, DWORD options = 0);
    // Opens `connect` on the physical connection of `main`, so that one
    // transaction covers both and commits once: a SQLite file is attached to
    // main's as `schema`; a database on a server is shared when it is main's
    // database. Throws CDBException when the two are different databases of
    // which one is on a server (a transaction could not commit on both at
    // once). A SQLite database in memory gets a connection of its own.
    BOOL OpenAttached(const CString& connect, DWORD options, CDatabase& main, const CString& schema);
    // Whether both run on one physical connection, so share its transactions.
    BOOL SharesConnectionWith(const CDatabase& other) const;
    // The schema its SQLite file is on in SQL of the connection: "main" on a
    // connection of its own, the attached name otherwise.
    CString GetSchemaName() const { return m_strSchema; }
    // Releases this object's hold on the connection; it closes with the last one.
    void Close();
    BOOL IsOpen() const;
    CString GetConnect() const { return m_strConnect; }
    // Runs a statement of the program's own SQL; rows it returns are read and
    // dropped, so that a statement that works as it is stepped runs whole.
    void ExecuteSQL(const CString& sql);

    // Writes between BeginTrans and CommitTrans reach the files of the
    // connection together, in one commit; Rollback undoes them. Without
    // BeginTrans each write commits. A transaction begun inside another belongs
    // to it: only the outermost commits, and an inner Rollback undoes the whole.
    // A failed commit throws with the driver's text and leaves everything
    // rolled back; after any rollback, recordsets read their rows again.
    BOOL BeginTrans();
    BOOL CommitTrans();
    BOOL Rollback();
    // BeginTrans for a transaction that may write nothing: a SQLite file is
    // locked (and journalled) only when it is written, so one that another
    // program holds fails only when the transaction writes it. BeginTrans
    // locks every file of the connection at once, so that a desk operation
    // fails before it has written anything.
    BOOL BeginTransLockingWrittenFiles();

    // The physical connection, shared by the CDatabase objects opened on it;
    // null when not open.
    OdbcConnection* GetConnection() const { return m_impl.get(); }
    // Throws when the database is not open; the shared form keeps the
    // connection alive for a recordset whose statements are still running.
    OdbcConnection& Connection() const;
    std::shared_ptr<OdbcConnection> SharedConnection() const;

private:
    std::shared_ptr<OdbcConnection> m_impl;
    CString m_strConnect;
    CString m_strSchema;
};

// The SQLite driver's Timeout: how long a statement waits for a lock another
// process holds before it fails with "database is locked". The driver tries
// once more after its wait, so a statement gives up after about twice this.
constexpr int kBusyTimeoutMs = 1000;
// The rollback journal every SQLite file of the program runs with.
constexpr const char* kJournalMode = "TRUNCATE";
