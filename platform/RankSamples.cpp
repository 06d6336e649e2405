#include "RankSamples.h"

#include <algorithm>
#include <climits>
#include "OdbcConnection.h"
#include "ParameterBinder.h"
#include "PooledStatement.h"
#include "StoredValue.h"

namespace {

// The most samples one statement reads: a batch skips 65,536 rows at most.
constexpr size_t kMostPerBatch = 256;

// One statement walks from the sample at hand kStep rows at a time, inside
// SQLite, and gives the keys it stops at: a bounded result, however large the
// table. Its marks: the sample to start from, forward the largest key, and
// how many samples to read.
std::string NextSamples(const std::string& table, const std::string& key, bool forward)
{
    const std::string step = forward ? "SELECT " + key + " FROM " + table + " WHERE " + key + " > s.k AND " + key +
                                           " <= ? ORDER BY " + key
                                     : "SELECT " + key + " FROM " + table + " WHERE " + key + " < s.k ORDER BY " +
                                           key + " DESC";
    return "WITH RECURSIVE s(k, n) AS (SELECT CAST(? AS BIGINT), 0 UNION ALL SELECT (" + step + " LIMIT 1 OFFSET " +
           std::to_string(RankSamples::kStep - 1) +
           "), n + 1 FROM s WHERE n < CAST(? AS BIGINT) AND k IS NOT NULL) SELECT k FROM s WHERE n > 0 AND k IS NOT NULL";
}

// Reads up to `wanted` samples after `from` into `samples`; false when fewer came.
bool ReadSamples(OdbcConnection& conn, bool forward, const std::string& table, const std::string& key,
                 long long from, size_t wanted, long long maxKey, std::vector<long long>& samples)
{
    PooledStatement stmt(conn, NextSamples(table, key, forward));
    ParameterBinder binder(*stmt);
    binder.BindNumber(from);
    if (forward)
        binder.BindNumber(maxKey);
    binder.BindNumber(static_cast<long long>(wanted));
    stmt->ExecutePrepared();
    size_t read = 0;
    for (std::string text; !(text = stmt->FetchFirstOfNext()).empty(); ++read)
        samples.push_back(ParseStoredInteger(text));
    return read == wanted;
}

// Batches grow as they are asked for again: a look near an end reads little.
size_t BatchAfter(size_t samples)
{
    return std::min(std::max<size_t>(samples, 8), kMostPerBatch);
}

}  // namespace

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
        slot->Restart();
    return *slot;
}

bool RankSamples::Current() const
{
    std::vector<long long> removed;
    return m_serial != 0 && m_conn.RemovalsSince(m_table, m_serial, removed) && removed.empty();
}

void RankSamples::Restart()
{
    m_serial = m_conn.WriteSerial();
    PooledStatement stmt(m_conn, "SELECT max(" + m_key + ") FROM " + m_table);
    stmt->ExecutePrepared();
    const std::string max = stmt->FetchText();
    m_maxKey = max.empty() ? LLONG_MIN : ParseStoredInteger(max);
    m_rows = -1;
    m_head.clear();
    m_tail.clear();
    m_headDone = m_tailDone = m_maxKey == LLONG_MIN;
}

long long RankSamples::Number(const std::string& sql, const std::vector<long long>& values) const
{
    PooledStatement stmt(m_conn, sql);
    ParameterBinder binder(*stmt);
    for (long long value : values)
        binder.BindNumber(value);
    stmt->ExecutePrepared();
    return ParseStoredInteger(stmt->FetchText());
}

long long RankSamples::Rows()
{
    // SQLite counts a whole table without reading its rows; the few added
    // since the start are taken off.
    if (m_rows < 0)
        m_rows = m_maxKey == LLONG_MIN ? 0
                                       : Number("SELECT count(*) FROM " + m_table, {}) -
                                             Number("SELECT count(*) FROM " + m_table + " WHERE " + m_key + " > ?",
                                                    {m_maxKey});
    return m_rows;
}

void RankSamples::NoteRows(long long maxKey, long long rows)
{
    if (m_rows < 0 && maxKey == m_maxKey)
        m_rows = rows;
}

long long RankSamples::Count(long long from, bool fromIncluded, long long to) const
{
    return Number("SELECT count(*) FROM " + m_table + " WHERE " + m_key + (fromIncluded ? " >= ?" : " > ?") +
                      " AND " + m_key + " < ?",
                  {from, to});
}

bool RankSamples::ReadHead()
{
    if (m_headDone)
        return false;
    if (m_head.empty()) {
        m_head.push_back(Number("SELECT min(" + m_key + ") FROM " + m_table, {}));
        return true;
    }
    m_headDone = !ReadSamples(m_conn, true, m_table, m_key, m_head.back(), BatchAfter(m_head.size()), m_maxKey,
                              m_head);
    return true;
}

bool RankSamples::ReadTail()
{
    if (m_tailDone)
        return false;
    if (m_tail.empty()) {
        m_tail.push_back(m_maxKey);
        return true;
    }
    m_tailDone = !ReadSamples(m_conn, false, m_table, m_key, m_tail.back(), BatchAfter(m_tail.size()), m_maxKey,
                              m_tail);
    return true;
}

long long RankSamples::RankOf(long long key)
{
    if (key > m_maxKey)
        return Rows() + Count(m_maxKey, false, key);
    // Samples are read from both ends towards the key, until one side reaches it.
    for (;;) {
        if (!m_head.empty() && (key <= m_head.back() || m_headDone)) {
            const auto next = std::upper_bound(m_head.begin(), m_head.end(), key);
            if (next == m_head.begin())
                return 0;
            const size_t i = size_t(next - m_head.begin()) - 1;
            return static_cast<long long>(i) * kStep + Count(m_head[i], true, key);
        }
        if (!m_tail.empty() && key >= m_tail.back()) {
            const size_t j = size_t(std::find_if(m_tail.begin(), m_tail.end(), [key](long long k) { return k <= key; }) -
                                    m_tail.begin());
            return TailRank(j) + Count(m_tail[j], true, key);
        }
        const bool head = ReadHead();
        if (!ReadTail() && !head)
            return Count(LLONG_MIN, true, key);  // the table changed behind the samples
    }
}

RankSamples::Start RankSamples::StartOf(long long rank)
{
    const long long rows = Rows();
    if (rank >= rows)
        return {m_maxKey, true, rank - rows};
    // From the nearer end.
    const size_t j = size_t((rows - 1 - rank + kStep - 1) / kStep);
    if (rows - rank <= rank && TailRank(j) >= 0) {
        while (m_tail.size() <= j && ReadTail()) {
        }
        if (j < m_tail.size())
            return {m_tail[j], false, rank - TailRank(j)};
    } else {
        const size_t i = size_t(rank / kStep);
        while (m_head.size() <= i && ReadHead()) {
        }
        if (i < m_head.size())
            return {m_head[i], false, rank - static_cast<long long>(i) * kStep};
    }
    // The table holds fewer rows than counted: another program removed some.
    return {LLONG_MIN, false, rank};
}
