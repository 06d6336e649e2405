// One statement handle, freed on every path. Its failures reach the
// connection, which must know when SQLite gave up a transaction.
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

    void Execute(const std::string& sql);
    // The first column of the first row as text; empty when there is no row.
    std::string FetchText();
    // Binds UTF-8 text as input parameter `n`; text and length must outlive the execution.
    void BindText(SQLUSMALLINT n, const std::string& text, SQLLEN& length);

private:
    OdbcConnection& m_conn;
    SQLHSTMT m_h = SQL_NULL_HSTMT;
};

// The first value the query returns, as text; `parameter` binds its one "?".
std::string QueryText(OdbcConnection& conn, const std::string& sql, const std::string* parameter = nullptr);
