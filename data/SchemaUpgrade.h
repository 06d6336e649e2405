// Brings database files made by an earlier version up to what this one
// expects. The build never rewrites a database that exists, so whatever a
// newer schema adds to existing files (an index, a column) is applied here,
// at every start-up, right after the data sources open.
#pragma once

#include <vector>
#include "DataSources.h"

// One change to existing files of one database. The statement must do nothing
// when its change is already there (CREATE INDEX IF NOT EXISTS and the like),
// as it runs at every start. Table names stay unqualified; "{schema}" stands
// for the schema the database's file has on its connection, needed where SQL
// names the schema of a new object:
//   {&DataConnections::m_dbRegister,
//    L"CREATE INDEX IF NOT EXISTS {schema}.[ix_name] ON [register]([column])"}
struct SchemaUpgrade
{
    CDatabase DataConnections::*connection;
    const wchar_t* statement;
};

// This version's changes, oldest first.
const std::vector<SchemaUpgrade>& GetSchemaUpgrades();

// Runs the statements on one database in one transaction, "{schema}" replaced
// by schema. On a failure nothing of them stays and the driver's CDBException
// passes on.
void UpgradeDatabase(CDatabase& db, const CString& schema, const std::vector<CString>& statements);

// Whether the database is a SQLite file, whose SQL the upgrades are written in.
bool IsSqliteFile(const CDatabase& db);

// Deletes every row of [register] but those the condition `kept` selects
// (clearing the history, which keeps the running stays), within the caller's
// transaction. On a SQLite file the table is emptied whole and the kept rows
// put back, their keys unchanged: that costs a fraction of deleting rows one
// by one from the table and its indexes.
void DeleteMostStays(CDatabase& db, const CString& kept);

// Applies the changes to each of the three open databases that is a SQLite
// file, each in a transaction of its own; a data source a site pointed at
// another database keeps its own schema. On a failure it shows which data source failed and
// the driver's text, as a data source that cannot be opened does, and returns
// FALSE: start-up then ends.
BOOL UpgradeSchema(DataConnections& db, const std::vector<SchemaUpgrade>& upgrades = GetSchemaUpgrades());
