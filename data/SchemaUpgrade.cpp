#include "SchemaUpgrade.h"

#include "OdbcConnection.h"

namespace {

struct UpgradedSource
{
    CDatabase DataConnections::*connection;
    const wchar_t* name;
};

const UpgradedSource kSources[] = {
    {&DataConnections::m_dbHotel, L"Hotel"},
    {&DataConnections::m_dbRegister, L"Register"},
    {&DataConnections::m_dbCashbook, L"Cashbook"},
};

// The stays by name: finding a stay of the history, and searching it.
const wchar_t kStaysByNameIndex[] = L"CREATE INDEX IF NOT EXISTS {schema}.[ix_register_name] ON [register]([姓名])";

CString InSchema(CString sql, const CString& schema)
{
    sql.Replace("{schema}", schema);
    return sql;
}

// Register and Cashbook are attached to Hotel's connection when all three are SQLite files.
CString SchemaOnConnection(const CDatabase& db)
{
    return db.GetSchemaName();
}

std::vector<CString> StatementsFor(const std::vector<SchemaUpgrade>& upgrades,
                                   CDatabase DataConnections::*connection)
{
    std::vector<CString> statements;
    for (const SchemaUpgrade& upgrade : upgrades)
        if (upgrade.connection == connection)
            statements.emplace_back(upgrade.statement);
    return statements;
}

// After a failed statement: the rollback's own failure must not hide the first one.
void RollbackAfterFailure(CDatabase& db)
{
    try {
        db.Rollback();
    } catch (const CDBException&) {
    }
}

}  // namespace

const std::vector<SchemaUpgrade>& GetSchemaUpgrades()
{
    static const std::vector<SchemaUpgrade> upgrades = {
        // The finds of a room by its number and the board's order.
        {&DataConnections::m_dbHotel, L"CREATE INDEX IF NOT EXISTS {schema}.[ix_house_room] ON [house]([房间号])"},
        // The running stays by room and guest: check-out, change of room, the
        // guest lists of the desk's dialogs. Small: only the guests in the house.
        {&DataConnections::m_dbRegister,
         L"CREATE INDEX IF NOT EXISTS {schema}.[ix_register_open] ON [register]([房间号], [姓名]) "
         L"WHERE [退房日期] IS NULL"},
        {&DataConnections::m_dbRegister, kStaysByNameIndex},
        // The stays by ID number: the search of the guest records.
        {&DataConnections::m_dbRegister, L"CREATE INDEX IF NOT EXISTS {schema}.[ix_register_idnumber] ON [register]([证件号])"},
    };
    return upgrades;
}

void UpgradeDatabase(CDatabase& db, const CString& schema, const std::vector<CString>& statements)
{
    if (statements.empty())
        return;
    // A change that is there already writes nothing: a start that changes
    // nothing neither locks nor journals a file, and starts on a full disk.
    db.BeginTransLockingWrittenFiles();
    try {
        for (const CString& sql : statements)
            db.ExecuteSQL(InSchema(sql, schema));
        db.CommitTrans();
    } catch (const CDBException&) {
        RollbackAfterFailure(db);
        throw;
    }
}

bool IsSqliteFile(const CDatabase& db)
{
    const OdbcConnection* connection = db.GetConnection();
    return connection && connection->IsSqlite();
}

void DeleteMostStays(CDatabase& db, const CString& kept)
{
    if (!IsSqliteFile(db)) {
        db.ExecuteSQL("DELETE FROM [register] WHERE NOT (" + kept + ")");
        return;
    }
    // A DELETE without a WHERE frees the table's pages without reading a row
    // or touching an index; a DELETE of most rows reads every one and takes it
    // out of each index. The rows to keep wait in a table of the connection's
    // own (never dropped: SQLite drops nothing while a read on the connection
    // is under way) and go back with their keys; the key sequence stays.
    const CString stays = SchemaOnConnection(db) + ".[register]";
    db.ExecuteSQL("CREATE TEMP TABLE IF NOT EXISTS [kept_stays] AS SELECT * FROM " + stays + " WHERE 0");
    db.ExecuteSQL("INSERT INTO temp.[kept_stays] SELECT * FROM " + stays + " WHERE " + kept);
    db.ExecuteSQL("DELETE FROM " + stays);
    db.ExecuteSQL("INSERT INTO " + stays + " SELECT * FROM temp.[kept_stays]");
    db.ExecuteSQL("DELETE FROM temp.[kept_stays]");
}

BOOL UpgradeSchema(DataConnections& db, const std::vector<SchemaUpgrade>& upgrades)
{
    for (const UpgradedSource& source : kSources) {
        if (!IsSqliteFile(db.*source.connection))
            continue;
        try {
            UpgradeDatabase(db.*source.connection, SchemaOnConnection(db.*source.connection),
                            StatementsFor(upgrades, source.connection));
        } catch (const CDBException& e) {
            ReportDataSourceFailure(source.name, e);
            return FALSE;
        }
    }
    return TRUE;
}
