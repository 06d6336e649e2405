#include "RowCursor.h"

#include <cstdlib>

namespace {

// Moving further than this from the row the recordset stands on goes by position.
constexpr long kNearRows = 256;

}  // namespace

void RowCursor::MoveTo(long ordinal)
{
    if (m_ordinal == -1 || std::labs(ordinal - m_ordinal) > kNearRows)
        m_set.SetAbsolutePosition(ordinal + 1);
    else if (ordinal != m_ordinal)
        m_set.Move(ordinal - m_ordinal);
    m_ordinal = ordinal;
}
