#include "BlockReader.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include "OdbcStatement.h"

namespace {

// Room for 255 characters of UTF-8; a small buffer also keeps the driver's
// copies short. A longer value is read whole by its own query.
constexpr SQLLEN kTextBytes = 1024;

COleDateTime DateFromTimestamp(const SQL_TIMESTAMP_STRUCT& ts)
{
    COleDateTime date;
    date.SetDateTimeMs(ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second, int(ts.fraction / 1000000));
    return date;
}

}  // namespace

BlockReader::BlockReader(OdbcStatement& stmt, const std::vector<CFieldExchange::Field>& fields,
                         LongTextReader readLongText)
    : m_stmt(stmt), m_fields(fields), m_readLongText(std::move(readLongText))
{
    SQLHSTMT h = stmt.Get();
    stmt.Check(SQLSetStmtAttr(h, SQL_ATTR_ROW_BIND_TYPE, (SQLPOINTER)SQL_BIND_BY_COLUMN, 0), "row binding");
    stmt.Check(SQLSetStmtAttr(h, SQL_ATTR_ROW_ARRAY_SIZE, (SQLPOINTER)kBlockRows, 0), "row array size");
    stmt.Check(SQLSetStmtAttr(h, SQL_ATTR_ROWS_FETCHED_PTR, &m_fetched, 0), "rows fetched");
    m_keys.resize(kBlockRows);
    m_keyInd.resize(kBlockRows);
    stmt.Check(SQLBindCol(h, 1, SQL_C_SBIGINT, m_keys.data(), 0, m_keyInd.data()), "bind key");
    m_columns.resize(fields.size());
    for (size_t c = 0; c < fields.size(); ++c) {
        Column& col = m_columns[c];
        col.ind.resize(kBlockRows);
        const SQLUSMALLINT n = SQLUSMALLINT(c + 2);
        switch (fields[c].type) {
        case CFieldExchange::Text:
            col.text.resize(kBlockRows * kTextBytes);
            stmt.Check(SQLBindCol(h, n, SQL_C_CHAR, col.text.data(), kTextBytes, col.ind.data()), "bind text");
            break;
        case CFieldExchange::Date:
            col.dates.resize(kBlockRows);
            stmt.Check(SQLBindCol(h, n, SQL_C_TYPE_TIMESTAMP, col.dates.data(), sizeof(SQL_TIMESTAMP_STRUCT),
                                  col.ind.data()),
                       "bind date");
            break;
        default:
            col.numbers.resize(kBlockRows);
            stmt.Check(SQLBindCol(h, n, SQL_C_SBIGINT, col.numbers.data(), 0, col.ind.data()), "bind number");
            break;
        }
    }
}

void BlockReader::ReadAll(const std::function<void(RecordsetRow&&)>& sink)
{
    for (;;) {
        SQLRETURN rc = SQLFetchScroll(m_stmt.Get(), SQL_FETCH_NEXT, 0);
        if (rc == SQL_NO_DATA)
            return;
        m_stmt.Check(rc, "cannot read the rows");
        for (SQLULEN r = 0; r < m_fetched; ++r)
            sink(MakeRow(r));
    }
}

RecordsetRow BlockReader::MakeRow(SQLULEN r) const
{
    RecordsetRow row;
    row.key = m_keys[r];
    row.packed.reserve(m_fields.size() * 16);
    for (size_t c = 0; c < m_fields.size(); ++c) {
        const Column& col = m_columns[c];
        const bool isNull = col.ind[r] == SQL_NULL_DATA;
        row.packed.push_back(isNull ? 1 : 0);
        if (isNull)
            continue;
        switch (m_fields[c].type) {
        case CFieldExchange::Text: {
            const char* data = col.text.data() + r * kTextBytes;
            std::string text = col.ind[r] >= kTextBytes || col.ind[r] == SQL_NO_TOTAL
                                   ? m_readLongText(row.key, m_fields[c])
                                   : std::string(data, strnlen(data, kTextBytes));
            PackRaw(row.packed, uint32_t(text.size()));
            row.packed += text;
            break;
        }
        case CFieldExchange::Date: {
            const COleDateTime date = DateFromTimestamp(col.dates[r]);
            PackRaw(row.packed, date.m_dt);
            row.packed.push_back(char(date.m_status));
            break;
        }
        default:
            PackRaw(row.packed, col.numbers[r]);
            break;
        }
    }
    return row;
}
