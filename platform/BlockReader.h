// Column-wise bound buffers for blocks of rows of rowid + the fields, read
// with SQLFetchScroll.
#pragma once

#include <functional>
#include <vector>
#include "CFieldExchange.h"
#include "OdbcApi.h"
#include "RecordsetRow.h"

class OdbcStatement;

constexpr SQLULEN kBlockRows = 128;

class BlockReader
{
public:
    // The whole text of a field of the row with that key, for a value longer
    // than the block's buffers hold.
    using LongTextReader = std::function<std::string(long long key, const CFieldExchange::Field&)>;

    // Binds the columns of `stmt` before it runs; `fields` must outlive the reader.
    BlockReader(OdbcStatement& stmt, const std::vector<CFieldExchange::Field>& fields,
                LongTextReader readLongText = LongTextReader());

    // Reads every row of the executed statement.
    void ReadAll(const std::function<void(RecordsetRow&&)>& sink);

private:
    struct Column
    {
        std::vector<char> text;
        std::vector<long long> numbers;
        std::vector<SQL_TIMESTAMP_STRUCT> dates;
        std::vector<SQLLEN> ind;
    };

    RecordsetRow MakeRow(SQLULEN r) const;

    OdbcStatement& m_stmt;
    const std::vector<CFieldExchange::Field>& m_fields;
    SQLULEN m_fetched = 0;
    std::vector<long long> m_keys;
    std::vector<SQLLEN> m_keyInd;
    std::vector<Column> m_columns;
    LongTextReader m_readLongText;
};
