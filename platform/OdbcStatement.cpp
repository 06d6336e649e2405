#include "OdbcStatement.h"

#include <algorithm>
#include <vector>
#include "CDBException.h"
#include "OdbcConnection.h"
#include "OdbcDiagnostics.h"

OdbcStatement::OdbcStatement(OdbcConnection& conn) : m_conn(conn)
{
    CheckOdbc(SQLAllocHandle(SQL_HANDLE_STMT, conn.Handle(), &m_h), SQL_HANDLE_DBC, conn.Handle(),
              "cannot allocate a statement");
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
    m_conn.NoteFailure(d.text);
    throw CDBException(d.text, d.state);
}

void OdbcStatement::Execute(const std::string& sql)
{
    SQLRETURN rc = SQLExecDirect(m_h, (SQLCHAR*)sql.c_str(), SQLINTEGER(sql.size()));
    if (rc != SQL_NO_DATA)
        Check(rc, "cannot execute the statement");
}

std::string OdbcStatement::FetchText()
{
    const SQLRETURN rc = SQLFetch(m_h);
    if (rc == SQL_NO_DATA)
        return std::string();
    Check(rc, "cannot read the result");
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
