// Whether another desk changed the hotel, for the timers that keep the board
// and the open lists current without reading every room again: one small
// read of what each database keeps for it. A SQLite file counts the commits
// other connections make to it (PRAGMA data_version); a database on a server
// counts the transactions that wrote its tables in the schema's change
// marker, with the connection that wrote last.
#pragma once

#include <optional>
#include <vector>
#include "DataSources.h"

// How often an open list looks for other desks' changes: the board's pace.
constexpr int kChangeWatchMs = 800;

class ChangeWatch
{
public:
    // What the open databases hold now counts as seen.
    explicit ChangeWatch(const DataConnections& db);

    // Whether another connection committed a change to any of the three since
    // the last call that could tell (or the construction); also when what was
    // seen before is not known. This desk's own last operation does not count.
    // False, and nothing taken as seen, when the databases cannot be asked
    // just now (the server away): the next call that can tells what changed
    // meanwhile. Never throws.
    bool HasChangedSince();

private:
    // What one database's marker says.
    struct Mark
    {
        long long count = 0;
        bool ownWrite = false;  // the last writer was this connection
    };
    struct Watched
    {
        const CDatabase* database;
        // On a server whose schema lacks the change marker, its transaction
        // counter stands in, which counts every writing transaction there.
        std::optional<bool> withoutMarker;
    };
    // Throws CDBException.
    std::vector<Mark> Marks();
    Mark MarkOf(Watched& watched);

    // The databases asked: on one connection to a server's database, once.
    std::vector<Watched> m_watched;
    std::vector<Mark> m_seen;  // empty until a call could tell
};
