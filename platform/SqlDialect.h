// Which database a connection reaches, as its driver names it, and how the
// program's SQL is spelled for it. The program writes names in brackets,
// [房间号], as SQLite reads them; a database server (PostgreSQL) reads them
// in double quotes. The forms of SQL that differ beyond the quotes are
// spelled in RecordsetQuery and the few statements of data/.
#pragma once

#include <string>
#include "OdbcApi.h"

enum class SqlDialect
{
    sqlite,
    // A database server. PostgreSQL's own functions stand where standard SQL
    // has none (the key of a new row, the lock timeout); on another server
    // those statements fail with the driver's text.
    postgresql,
};

// From SQL_DBMS_NAME: "SQLite" is a SQLite file, anything else a server.
SqlDialect DialectOf(SQLHDBC dbc);

// `sql` with every name in brackets in the dialect's quotes; text within
// quotes (a literal, a quoted name) is left as it is. For SQLite `sql` itself.
std::string Spelled(SqlDialect dialect, const std::string& sql);
