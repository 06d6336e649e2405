#include "CCashBookRows.h"

#include "CashBookOperations.h"
#include "OdbcStatement.h"
#include "RecordsetUse.h"
#include "StoredValue.h"

CCashBookRows::CCashBookRows(CDatabase* pDatabase) : m_set(pDatabase), m_cursor(m_set) {}

bool CCashBookRows::Open()
{
    Close();
    try {
        if (!TryOpen(m_set))
            return false;
        m_count = size_t(m_set.GetRecordCount());
        // The records the recordset lists are those up to the largest key
        // now: the total sums the same ones.
        m_counted.emplace(*m_set.m_pDatabase,
                          ParseStoredInteger(QueryText(m_set.m_pDatabase->Connection(),
                                                       "SELECT coalesce(max([ID]), 0) FROM [cashbook]")));
        return true;
    } catch (const CDBException&) {
        Close();
        return false;
    }
}

void CCashBookRows::Close()
{
    CloseIfOpen(m_set);
    m_cursor.Forget();
    m_count = 0;
    m_counted.reset();
    m_total.reset();
}

const CCashbookset& CCashBookRows::operator[](size_t row) const
{
    if (row >= m_count)
        throw CDBException("No such row of the cash book");
    m_cursor.MoveTo(long(row));
    if (m_set.IsEOF())
        throw CDBException("No such row of the cash book");
    return m_set;
}

double CCashBookRows::Total() const
{
    if (!m_total)
        m_total = m_count == 0 ? 0.0 : m_counted->Sum();
    return *m_total;
}

std::optional<BOOL> CCashBookRows::ToggleStatus(DataConnections& db, size_t row)
{
    const long key = (*this)[row].m_nID;
    const unsigned long before = m_counted->WriteSerial();
    const std::optional<BOOL> status = ToggleCashBookStatus(db, key);
    m_counted->Flipped(before);
    m_cursor.Forget();
    m_total.reset();
    return status;
}
