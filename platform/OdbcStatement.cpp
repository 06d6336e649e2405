#include "OdbcStatement.h"

#include <algorithm>
#include <vector>
#include "CDBException.h"
#include "OdbcConnection.h"
#include "OdbcDiagnostics.h"

namespace {

OdbcConnection& Reopened(OdbcConnection& conn)
{
    conn.ReopenIfLost();
    return conn;
}

}  // namespace

OdbcStatement::OdbcStatement(OdbcConnection& conn) : m_conn(Reopened(conn)), m_dbc(conn.Handle())
{
    CheckOdbc(SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &m_h), SQL_HANDLE_DBC, m_dbc, "cannot allocate a statement");
}

OdbcStatement::~OdbcStatement()
{
    SQLFreeHandle(SQL_HANDLE_STMT, m_h);
}

void OdbcStatement::Check(SQLRETURN rc, const char* what) const
{
    if (SQL_SUCCEEDED(rc))
        return;
    OdbcDiagnostics d = ReadDiagnostics(SQL_HANDLE_STMT, m_h, what);
    m_conn.NoteFailure(d);
    throw CDBException(d.text, d.state);
}

void OdbcStatement::Execute(const std::string& sql)
{
    const std::string text = m_conn.Spell(sql);
    SQLRETURN rc = SQLExecDirect(m_h, (SQLCHAR*)text.c_str(), SQLINTEGER(text.size()));
    if (rc != SQL_NO_DATA)
        Check(rc, "cannot execute the statement");
    NoteExecuted();
}

void OdbcStatement::NoteExecuted()
{
    SQLSMALLINT columns = 0;
    m_rowsPending = SQL_SUCCEEDED(SQLNumResultCols(m_h, &columns)) && columns > 0;
}

SQLRETURN OdbcStatement::FetchNext()
{
    const SQLRETURN rc = SQLFetchScroll(m_h, SQL_FETCH_NEXT, 0);
    if (rc == SQL_NO_DATA)
        m_rowsPending = false;
    else
        Check(rc, "cannot read the rows");
    return rc;
}

void OdbcStatement::Prepare(const std::string& sql)
{
    const std::string text = m_conn.Spell(sql);
    Check(SQLPrepare(m_h, (SQLCHAR*)text.c_str(), SQLINTEGER(text.size())), "cannot prepare the statement");
}

void OdbcStatement::ExecutePrepared()
{
    const SQLRETURN rc = SQLExecute(m_h);
    if (rc != SQL_NO_DATA)
        Check(rc, "cannot execute the statement");
    NoteExecuted();
}

int OdbcStatement::ParameterCount() const
{
    SQLSMALLINT count = 0;
    Check(SQLNumParams(m_h, &count), "count the parameters");
    return count;
}

long OdbcStatement::RowCount() const
{
    SQLLEN rows = 0;
    Check(SQLRowCount(m_h, &rows), "count the rows written");
    return long(rows);
}

void OdbcStatement::Reset()
{
    SQLFreeStmt(m_h, SQL_CLOSE);
    SQLFreeStmt(m_h, SQL_UNBIND);
    SQLFreeStmt(m_h, SQL_RESET_PARAMS);
    SQLSetStmtAttr(m_h, SQL_ATTR_ROW_ARRAY_SIZE, (SQLPOINTER)1, 0);
    SQLSetStmtAttr(m_h, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
}

void OdbcStatement::ReadAllRows()
{
    while (m_rowsPending)
        FetchNext();
}

std::string OdbcStatement::FetchText()
{
    std::string text = FetchFirstOfNext();
    // On to the end, so that the statement can run again (see RowsPending).
    ReadAllRows();
    return text;
}

std::string OdbcStatement::FetchFirstOfNext()
{
    if (FetchNext() == SQL_NO_DATA)
        return std::string();
    // A long value comes in pieces, each ended by a NUL of the driver's.
    std::string text;
    std::vector<char> buffer(64 * 1024);
    SQLLEN length = 0;
    SQLRETURN got;
    while (SQL_SUCCEEDED(got = SQLGetData(m_h, 1, SQL_C_CHAR, buffer.data(), SQLLEN(buffer.size()), &length))) {
        if (length == SQL_NULL_DATA)
            break;
        text += buffer.data();
        if (got == SQL_SUCCESS)
            break;
    }
    return text;
}

void OdbcStatement::BindText(SQLUSMALLINT n, const std::string& text, SQLLEN& length)
{
    length = SQLLEN(text.size());
    Check(SQLBindParameter(m_h, n, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, std::max<SQLULEN>(text.size(), 1), 0,
                           (SQLPOINTER)text.data(), length, &length),
          "bind text parameter");
}

std::string QueryText(OdbcConnection& conn, const std::string& sql, const std::string* parameter)
{
    OdbcStatement stmt(conn);
    SQLLEN length = 0;
    if (parameter)
        stmt.BindText(1, *parameter, length);
    stmt.Execute(sql);
    return stmt.FetchText();
}
