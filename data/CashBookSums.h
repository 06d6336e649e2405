// The sums the cash book shows: the total of the rows that count, and the
// twelve month sums of a year for the revenue chart. A SQLite file sums them
// itself in one statement, without handing a row over, wherever its reading of
// a row gives what the program's own reading gives (see the .cpp); the few
// rows where that is not certain are read and added by the program, as a walk
// of the whole table does on any other database.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Database.h"

// The total of the rows that count among the cash book's rows whose key is at
// most `lastKey`, each adding its amount as CountedAmount reads it, asked for
// again and again while statuses change: the rows whose amount the program
// must read itself are found at the first sum, and later sums only add, as
// long as nothing but the statuses told to Flipped has been written since,
// by this program or another.
class CountedTotal
{
public:
    CountedTotal(CDatabase& db, long long lastKey);

    // A database error throws its CDBException.
    double Sum();
    // Call right after flipping a status of a listed row, with the
    // connection's write serial from right before.
    void Flipped(unsigned long serialBefore);
    unsigned long WriteSerial() const;

private:
    bool ProgramsRowsCurrent() const;
    std::string DataVersion() const;

    CDatabase& m_db;
    long long m_lastKey;
    // The keys of the rows whose amount or status the program reads, as found
    // at m_serial and m_dataVersion.
    std::optional<std::vector<long long>> m_programsRows;
    unsigned long m_serial = 0;
    std::string m_dataVersion;
};

// The month sums of `year` (element m - 1 for month m) of the rows that count,
// as AddToMonthSums adds them.
std::vector<double> SumMonths(CDatabase& db, int year);
