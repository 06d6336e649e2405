// Every kStep-th key of a table in key order, kept by its connection, so that
// the position of a key among the table's rows, or the row at a position,
// costs a count or a skip of at most kStep rows instead of one from the start.
#pragma once

#include <string>
#include <vector>

class OdbcConnection;

class RankSamples
{
public:
    static constexpr long long kStep = 256;

    // The samples of `table`, whose rows are keyed by its column `key`, on
    // the connection, read again when a row of it has gone since (the keys of
    // the rows added since are all larger).
    static RankSamples& Of(OdbcConnection& conn, const std::string& table, const std::string& key);

    // The number of rows whose key is below `key`.
    long long RankOf(long long key) const;
    // Where the rows from position `rank` on begin: the rows with a key from
    // `key` on (or past it, with `after`), less the first `skip` of them.
    struct Start
    {
        long long key;
        bool after;
        long long skip;
    };
    Start StartOf(long long rank) const;

private:
    RankSamples(OdbcConnection& conn, std::string table, std::string key);
    void Read();
    bool Current() const;
    // The rows whose key is above `from` (from it on, with `fromIncluded`) and below `to`.
    long long Count(long long from, bool fromIncluded, long long to) const;

    OdbcConnection& m_conn;  // which owns the samples
    std::string m_table;
    std::string m_key;
    std::vector<long long> m_samples;  // the keys at positions 0, kStep, 2 kStep, ...
    long long m_maxKey = 0;            // the largest key when read
    long long m_rows = 0;              // the rows then
    unsigned long m_serial = 0;        // the connection's write serial then
};
