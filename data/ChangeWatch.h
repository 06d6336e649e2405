// Whether another desk changed the hotel, for the timers that keep the board
// and the open lists current without reading every room again: one small
// read of what each database keeps for it. A SQLite file counts the commits
// other connections make to it (PRAGMA data_version); a database on a server
// counts the transactions that wrote its tables in the schema's change
// marker, with the connection that wrote last.
#pragma once

#include <vector>
#include "DataSources.h"

class ChangeWatch
{
public:
    // What the open databases hold now counts as seen. Throws CDBException.
    explicit ChangeWatch(DataConnections& db);

    // Whether another connection committed a change to any of the three since
    // the last call that could tell (or the construction). This desk's own
    // last operation does not count. False, and nothing taken as seen, when
    // the databases cannot be asked just now (the server away): the next call
    // that can compares with what was seen last.
    bool HasChangedSince();

private:
    // What one database's marker says.
    struct Mark
    {
        long long count = 0;
        bool ownWrite = false;  // the last writer was this connection
    };
    std::vector<Mark> Marks();
    Mark MarkOf(const CDatabase& db);

    // The databases asked: on one connection to a server's database, once.
    std::vector<const CDatabase*> m_watched;
    // A server database whose schema lacks the change marker: its transaction
    // counter stands in, which counts every writing transaction on the server.
    std::vector<bool> m_withoutMarker;
    std::vector<Mark> m_seen;
};
