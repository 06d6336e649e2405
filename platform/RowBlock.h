// The values of a block of rows, fetched column-wise into buffers the driver
// writes (SQLBindCol, SQLFetchScroll), and written from there straight into
// the members of a recordset. Every column comes as the driver's text: the
// driver holds every value as text anyway, and reading numbers and dates here
// costs less than its own conversions.
#pragma once

#include <string>
#include <vector>
#include "CFieldExchange.h"
#include "OdbcApi.h"
#include "StoredValue.h"

class OdbcStatement;

class RowBlock
{
public:
    static constexpr SQLULEN kRows = 128;

    // What the buffers could not take, read by the row's key: text longer than
    // its column's buffer.
    class LateValues
    {
    public:
        // Kept at least until the next fetch.
        virtual const std::string& Text(long long key, const CFieldExchange::Field& field) = 0;

    protected:
        ~LateValues() = default;
    };

    // keyField: the field that holds the rowid (an INTEGER PRIMARY KEY), or -1
    // when the statements select the rowid first, as a column of its own.
    // `fields` must outlive the block.
    RowBlock(const std::vector<CFieldExchange::Field>& fields, int keyField);

    // Fetches the next rows of an executed statement; false at its end.
    bool Fetch(OdbcStatement& stmt);
    SQLULEN Rows() const { return m_rows; }
    long long Key(SQLULEN row) const { return m_keys[row]; }
    void ToMembers(SQLULEN row, LateValues& late) const;
    // The value of field `field` (by the exchange's order) in a row, valid
    // until the next fetch: what ToMembers converts. Inline: an export asks
    // for every value of every row.
    StoredField Stored(SQLULEN row, size_t field, LateValues& late) const
    {
        const Column& col = m_columns[field + m_firstField];
        if (col.ind[row] == SQL_NULL_DATA)
            return StoredField();
        if (col.Overflowed(row))
            return OverflowedValue(row, field, late);
        return StoredField{col.At(row), size_t(col.ind[row]), false};
    }

private:
    struct Column
    {
        SQLLEN width = 0;
        SQLLEN wanted = 0;  // the width the next fetch gets, when larger
        std::vector<char> data;
        std::vector<SQLLEN> ind;
        const char* At(SQLULEN row) const { return data.data() + row * size_t(width); }
        bool Overflowed(SQLULEN row) const { return ind[row] >= width || ind[row] == SQL_NO_TOTAL; }
    };

    StoredField OverflowedValue(SQLULEN row, size_t field, LateValues& late) const;
    void Bind(OdbcStatement& stmt);
    // Text columns that overflowed in the rows just fetched get wider buffers
    // from the next fetch on; the values of this block are read as they are.
    void WidenLater();

    const std::vector<CFieldExchange::Field>& m_fields;
    size_t m_firstField;  // 1 when the rowid comes first
    size_t m_keyColumn;
    std::vector<Column> m_columns;
    SQLULEN m_rows = 0;
    std::vector<long long> m_keys;
};
