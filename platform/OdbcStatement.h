// One statement handle, freed on every path. Its SQL reaches the driver as
// the connection's database spells it (see SqlDialect); its failures reach
// the connection, which must know when a transaction was given up or the
// connection lost.
#pragma once

#include <string>
#include "OdbcApi.h"

class OdbcConnection;

class OdbcStatement
{
public:
    explicit OdbcStatement(OdbcConnection& conn);
    ~OdbcStatement();
    OdbcStatement(const OdbcStatement&) = delete;
    OdbcStatement& operator=(const OdbcStatement&) = delete;

    // Throws CDBException with the statement's diagnostics unless rc is a success.
    void Check(SQLRETURN rc, const char* what) const;
    SQLHSTMT Get() const { return m_h; }
    // The connection handle the statement was made on.
    SQLHDBC ConnectionHandle() const { return m_dbc; }

    void Execute(const std::string& sql);
    // SQLFetchScroll of the next rowset; SQL_NO_DATA at the end.
    SQLRETURN FetchNext();
    // The last rowset fetched came short of the rows asked for: the result has ended.
    void NoteEndOfRows() { m_rowsPending = false; }
    // Whether rows of the last execution may be still unread. The SQLite
    // driver fails every other execution of a prepared statement whose
    // previous result was closed before its end, so such a statement is not
    // reused.
    bool RowsPending() const { return m_rowsPending; }
    // Prepares once; ExecutePrepared runs it again with the parameters bound then.
    void Prepare(const std::string& sql);
    void ExecutePrepared();
    // The "?" marks of the prepared statement, as the driver counts them.
    int ParameterCount() const;
    // The rows the last UPDATE, INSERT or DELETE wrote.
    long RowCount() const;
    // Back to a prepared statement with no cursor, bindings or block of rows,
    // ready for its next user.
    void Reset();
    // Steps through the rows an executed statement returns, if any: the SQLite
    // driver runs such a statement (a PRAGMA that sets something) only as its
    // rows are fetched.
    void ReadAllRows();
    // The first column of the next row as text; empty at the end.
    std::string FetchFirstOfNext();
    // The first column of the first row as text; empty when there is no row.
    std::string FetchText();
    // Binds UTF-8 text as input parameter `n`; text and length must outlive the execution.
    void BindText(SQLUSMALLINT n, const std::string& text, SQLLEN& length);

private:
    void NoteExecuted();

    OdbcConnection& m_conn;
    SQLHDBC m_dbc;
    SQLHSTMT m_h = SQL_NULL_HSTMT;
    bool m_rowsPending = false;
};

// The first value the query returns, as text; `parameter` binds its one "?".
std::string QueryText(OdbcConnection& conn, const std::string& sql, const std::string* parameter = nullptr);
