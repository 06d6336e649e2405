// The cash book as its window lists it: every record of the table, read from a
// recordset of its own as the list draws it (list row i is the i-th record),
// and the total of the records that count, summed when the closing row is
// first shown. Nothing of the book is copied, so a book of any length opens
// as fast as its first rows are read.
#pragma once

#include <optional>

#include "CCashbookset.h"
#include "CashBookSums.h"
#include "DataSources.h"
#include "RowCursor.h"

class CCashBookRows
{
public:
    explicit CCashBookRows(CDatabase* pDatabase);

    // Lists the records of the table as it is now; false when it cannot be opened.
    bool Open();
    // Lists nothing.
    void Close();

    // The records listed, the total row not counted.
    size_t size() const { return m_count; }
    // The record of list row `row`, as the table holds it now. A database
    // error passes on, and so does a row that is no longer there.
    const CCashbookset& operator[](size_t row) const;
    // The total of the listed records that count. A database error passes on.
    double Total() const;
    // Flips the status of the record of list row `row` in one transaction of
    // its own (ToggleCashBookStatus); the row is read again, and the total
    // summed again, when next shown.
    std::optional<BOOL> ToggleStatus(DataConnections& db, size_t row);

private:
    mutable CCashbookset m_set;
    mutable RowCursor m_cursor;  // where m_set stands
    size_t m_count = 0;
    mutable std::optional<CountedTotal> m_counted;  // of the listed records
    mutable std::optional<double> m_total;
};
