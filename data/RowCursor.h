// Where a recordset stands among its rows, for a list that reads its rows as
// it draws them: a list is drawn and scrolled row by row, so a row near the
// one the recordset stands on is reached by a step, a far one by position.
#pragma once

#include "Database.h"

class RowCursor
{
public:
    explicit RowCursor(CRecordset& set) : m_set(set) {}

    // Moves the recordset onto its `ordinal`-th row (from 0) that is still
    // there. A database error passes on.
    void MoveTo(long ordinal);
    // The recordset was moved by others, or its rows may have changed: the
    // next move goes by position.
    void Forget() { m_ordinal = -1; }

private:
    CRecordset& m_set;
    long m_ordinal = -1;  // where the recordset stands, -1 when not known
};
