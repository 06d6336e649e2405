// Every kStep-th key of a table in key order, kept by its connection, so that
// the position of a key among the table's rows, or the row at a position,
// costs a count or a skip of at most kStep rows instead of one from the start.
// The samples are read as they are needed, a bounded batch at a time, from
// the first row on and from the last row back: a position near either end
// costs a few statements, whatever the size of the table.
#pragma once

#include <string>
#include <vector>

class OdbcConnection;

class RankSamples
{
public:
    static constexpr long long kStep = 256;

    // The samples of `table`, whose rows are keyed by its column `key`, on
    // the connection, started again when a row of it has gone since (the keys
    // of the rows added since are all larger).
    static RankSamples& Of(OdbcConnection& conn, const std::string& table, const std::string& key);

    // The number of rows whose key is below `key`.
    long long RankOf(long long key);
    // Where the rows from position `rank` on begin: the rows with a key from
    // `key` on (or past it, with `after`), less the first `skip` of them.
    struct Start
    {
        long long key;
        bool after;
        long long skip;
    };
    Start StartOf(long long rank);
    // The caller counted `rows` rows up to the key `maxKey` just now: when
    // that is where the samples end, the samples need not count them again.
    void NoteRows(long long maxKey, long long rows);

private:
    RankSamples(OdbcConnection& conn, std::string table, std::string key);
    void Restart();
    bool Current() const;
    // The rows up to the largest key when the samples were started.
    long long Rows();
    // Read another batch of samples onto either end; false when that end has
    // met the table's other end.
    bool ReadHead();
    bool ReadTail();
    // The rank of the j-th sample from the end.
    long long TailRank(size_t j) { return Rows() - 1 - static_cast<long long>(j) * kStep; }
    // The rows whose key is above `from` (from it on, with `fromIncluded`) and below `to`.
    long long Count(long long from, bool fromIncluded, long long to) const;
    long long Number(const std::string& sql, const std::vector<long long>& values) const;

    OdbcConnection& m_conn;  // which owns the samples
    std::string m_table;
    std::string m_key;
    long long m_maxKey = 0;       // the largest key when started
    long long m_rows = -1;        // the rows up to it, once counted
    unsigned long m_serial = 0;   // the connection's write serial then
    std::vector<long long> m_head;  // the keys at positions 0, kStep, 2 kStep, ...
    std::vector<long long> m_tail;  // the keys at positions rows - 1, rows - 1 - kStep, ...
    bool m_headDone = false, m_tailDone = false;
};
