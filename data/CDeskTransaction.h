// One transaction over the three databases of the desk.
#pragma once

#include <vector>
#include "DataSources.h"

// What is written between the constructor and Commit reaches the three files
// together or not at all. When the three are SQLite files they share one
// connection, and SQLite commits across the files atomically; a data source
// pointed at another database has a connection of its own, and is then all or
// nothing by itself. A transaction already open on a connection (BeginTrans)
// takes this one in: only the outermost commits.
class CDeskTransaction
{
public:
    // Begins on every open connection of the three; throws CDBException (a
    // file locked elsewhere) with nothing begun.
    explicit CDeskTransaction(DataConnections& db);
    // Rolls back unless Commit was reached.
    ~CDeskTransaction();
    CDeskTransaction(const CDeskTransaction&) = delete;
    CDeskTransaction& operator=(const CDeskTransaction&) = delete;

    // Durable once it returns. Throws CDBException with the driver's text and
    // leaves everything rolled back when the commit fails.
    void Commit();

private:
    void RollbackFrom(size_t first) noexcept;

    // One per physical connection, in the order they were begun.
    std::vector<CDatabase*> m_databases;
    bool m_bOpen = false;
};
