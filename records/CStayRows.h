// The stays the guest-records window lists, read from a recordset of its own
// as the list shows them: list row i is the i-th stay of the recordset that is
// still in the table. Nothing of the history is copied, so a history of a
// million stays opens as fast as its keys can be read.
#pragma once

#include <vector>
#include "CRegisterset.h"
#include "RowCursor.h"

class CStayRows
{
public:
    explicit CStayRows(CDatabase* pDatabase);

    // Lists every stay, in the table's order. False when the table cannot be opened.
    bool ShowAll();
    // Lists the stays whose name (key 0) or ID number (key 1) is exactly
    // `text`, in the table's order. False when the table cannot be opened.
    bool ShowMatches(int key, const CString& text);
    // Lists nothing.
    void clear();

    size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    // The stay of list row `row` as the table holds it. A database error passes on.
    GuestRecord operator[](size_t row) const;
    // The stay of list row `row` has left the table: the rows after it move up.
    void erase(size_t row);
    // The stays may have been written elsewhere: each row is read afresh when next shown.
    void Reread() const { m_cursor.Forget(); }

private:
    // The row of the recordset, among those still there, that list row `row` shows.
    long OrdinalOf(size_t row) const;
    bool Open();

    mutable CRegisterset m_set;
    bool m_bMatchesOnly = false;
    std::vector<long> m_matches;  // the recordset's rows that match, while searching
    size_t m_count = 0;
    mutable RowCursor m_cursor;  // where m_set stands
};
