#include "ChangeWatch.h"

#include <algorithm>
#include "OdbcConnection.h"
#include "StoredValue.h"
#include "Utf8Text.h"

ChangeWatch::ChangeWatch(DataConnections& db)
{
    for (const CDatabase* database : {&db.m_dbHotel, &db.m_dbRegister, &db.m_dbCashbook}) {
        if (!database->IsOpen())
            continue;
        OdbcConnection& conn = database->Connection();
        // Each SQLite file counts its own commits, also when attached to one connection.
        bool asked = false;
        for (const CDatabase* watched : m_watched)
            asked = asked || (!conn.IsSqlite() && watched->SharesConnectionWith(*database));
        if (asked)
            continue;
        m_watched.push_back(database);
        m_withoutMarker.push_back(!conn.IsSqlite() &&
                                  QueryText(conn, "SELECT to_regclass('\"change_marker\"') IS NULL") == "1");
    }
    m_seen = Marks();
}

ChangeWatch::Mark ChangeWatch::MarkOf(const CDatabase& db)
{
    OdbcConnection& conn = db.Connection();
    const size_t i = size_t(std::find(m_watched.begin(), m_watched.end(), &db) - m_watched.begin());
    if (conn.IsSqlite())
        return {ParseStoredInteger(QueryText(conn, "PRAGMA " + ToUtf8(db.GetSchemaName()) + ".data_version")), false};
    if (m_withoutMarker[i])
        return {ParseStoredInteger(QueryText(conn, "SELECT txid_snapshot_xmax(txid_current_snapshot())")), false};
    const std::string mark =
        QueryText(conn, "SELECT [serial] || ':' || ([writer] = pg_backend_pid())::int FROM [change_marker]");
    return {ParseStoredInteger(mark), mark.size() > 1 && mark.back() == '1'};
}

std::vector<ChangeWatch::Mark> ChangeWatch::Marks()
{
    std::vector<Mark> marks;
    for (const CDatabase* database : m_watched)
        marks.push_back(MarkOf(*database));
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
    bool changed = false;
    for (size_t i = 0; i < now.size(); ++i) {
        // One writing transaction more, and the last one this connection's:
        // the desk's own operation, which the desk shows already.
        const bool own = now[i].count == m_seen[i].count + 1 && now[i].ownWrite;
        changed = changed || (now[i].count != m_seen[i].count && !own);
    }
    m_seen = now;
    return changed;
}
