#include "RankSamples.h"

#include <algorithm>
#include <climits>
#include "OdbcConnection.h"
#include "ParameterBinder.h"
#include "PooledStatement.h"
#include "StoredValue.h"

RankSamples::RankSamples(OdbcConnection& conn, std::string table, std::string key)
    : m_conn(conn), m_table(std::move(table)), m_key(std::move(key))
{
}

RankSamples& RankSamples::Of(OdbcConnection& conn, const std::string& table, const std::string& key)
{
    std::unique_ptr<RankSamples>& slot = conn.RankSamplesOf(table);
    if (!slot)
        slot.reset(new RankSamples(conn, table, key));
    if (!slot->Current())
        slot->Read();
    return *slot;
}

bool RankSamples::Current() const
{
    std::vector<long long> removed;
    return m_serial != 0 && m_conn.RemovalsSince(m_table, m_serial, removed) && removed.empty();
}

// The keys alone, in order, through a statement without parameters, which the
// driver reads as it is fetched.
void RankSamples::Read()
{
    m_samples.clear();
    m_rows = 0;
    m_maxKey = LLONG_MIN;
    m_serial = m_conn.WriteSerial();
    PooledStatement stmt(m_conn,
                         "SELECT " + m_key + " FROM " + m_table + " ORDER BY " + m_key);
    constexpr SQLULEN kRows = 1024;
    std::vector<long long> keys(kRows);
    std::vector<SQLLEN> ind(kRows);
    SQLULEN fetched = 0;
    SQLHSTMT h = stmt->Get();
    stmt->Check(SQLSetStmtAttr(h, SQL_ATTR_ROW_BIND_TYPE, (SQLPOINTER)SQL_BIND_BY_COLUMN, 0), "row binding");
    stmt->Check(SQLSetStmtAttr(h, SQL_ATTR_ROW_ARRAY_SIZE, (SQLPOINTER)kRows, 0), "row array size");
    stmt->Check(SQLSetStmtAttr(h, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0), "rows fetched");
    stmt->Check(SQLBindCol(h, 1, SQL_C_SBIGINT, keys.data(), 0, ind.data()), "bind the key");
    stmt->ExecutePrepared();
    while (stmt->FetchNext() != SQL_NO_DATA) {
        for (SQLULEN r = 0; r < fetched; ++r, ++m_rows)
            if (m_rows % kStep == 0)
                m_samples.push_back(keys[r]);
        if (fetched > 0)
            m_maxKey = keys[fetched - 1];
        if (fetched < kRows)
            stmt->NoteEndOfRows();
    }
}

long long RankSamples::Count(long long from, bool fromIncluded, long long to) const
{
    PooledStatement stmt(m_conn, "SELECT count(*) FROM " + m_table + " WHERE " + m_key +
                                     (fromIncluded ? " >= ?" : " > ?") + " AND " + m_key + " < ?");
    ParameterBinder binder(*stmt);
    binder.BindNumber(from);
    binder.BindNumber(to);
    stmt->ExecutePrepared();
    return ParseStoredInteger(stmt->FetchText());
}

long long RankSamples::RankOf(long long key) const
{
    if (key > m_maxKey)
        return m_rows + Count(m_maxKey, false, key);
    const auto next = std::upper_bound(m_samples.begin(), m_samples.end(), key);
    if (next == m_samples.begin())
        return 0;
    const long long i = (next - m_samples.begin()) - 1;
    return i * kStep + Count(m_samples[size_t(i)], true, key);
}

RankSamples::Start RankSamples::StartOf(long long rank) const
{
    if (rank >= m_rows || m_samples.empty())
        return {m_maxKey, true, rank - m_rows};
    const long long i = rank / kStep;
    return {m_samples[size_t(i)], false, rank - i * kStep};
}
