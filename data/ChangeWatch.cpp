#include "ChangeWatch.h"

#include "OdbcConnection.h"
#include "StoredValue.h"
#include "Utf8Text.h"

ChangeWatch::ChangeWatch(const DataConnections& db)
{
    for (const CDatabase* database : {&db.m_dbHotel, &db.m_dbRegister, &db.m_dbCashbook}) {
        if (!database->IsOpen())
            continue;
        // Each SQLite file counts its own commits, also when attached to one connection.
        bool asked = false;
        for (const Watched& watched : m_watched)
            asked = asked || (!database->GetConnection()->IsSqlite() && watched.database->SharesConnectionWith(*database));
        if (!asked)
            m_watched.push_back({database, std::nullopt});
    }
    try {
        m_seen = Marks();
    } catch (const CDBException&) {
        // Not known: the first call that can read the marks tells.
    }
}

ChangeWatch::Mark ChangeWatch::MarkOf(Watched& watched)
{
    OdbcConnection& conn = watched.database->Connection();
    if (conn.IsSqlite()) {
        const std::string schema = ToUtf8(watched.database->GetSchemaName());
        return {ParseStoredInteger(QueryText(conn, "PRAGMA " + schema + ".data_version")), false};
    }
    if (!watched.withoutMarker)
        watched.withoutMarker = QueryText(conn, "SELECT to_regclass('\"change_marker\"') IS NULL") == "1";
    if (*watched.withoutMarker)
        return {ParseStoredInteger(QueryText(conn, "SELECT txid_snapshot_xmax(txid_current_snapshot())")), false};
    const std::string mark =
        QueryText(conn, "SELECT [serial] || ':' || ([writer] = pg_backend_pid())::int FROM [change_marker]");
    return {ParseStoredInteger(mark), mark.size() > 1 && mark.back() == '1'};
}

std::vector<ChangeWatch::Mark> ChangeWatch::Marks()
{
    std::vector<Mark> marks;
    for (Watched& watched : m_watched)
        marks.push_back(MarkOf(watched));
    return marks;
}

bool ChangeWatch::HasChangedSince()
{
    std::vector<Mark> now;
    try {
        now = Marks();
    } catch (const CDBException&) {
        return false;  // a lost connection is opened again by the next statement
    }
    bool changed = m_seen.size() != now.size();
    for (size_t i = 0; !changed && i < now.size(); ++i) {
        // One writing transaction more, and the last one this connection's:
        // the desk's own operation, which the desk shows already.
        const bool own = now[i].count == m_seen[i].count + 1 && now[i].ownWrite;
        changed = now[i].count != m_seen[i].count && !own;
    }
    m_seen = now;
    return changed;
}
