#include "RowBlock.h"

#include <algorithm>
#include "OdbcStatement.h"
#include "StoredValue.h"

namespace {

// Room for the common values; a column whose values do not fit grows, up to a
// size past which a value is read on its own.
constexpr SQLLEN kTextStart = 256;
constexpr SQLLEN kTextMost = 4096;
constexpr SQLLEN kNumberWidth = 32;
constexpr SQLLEN kDateWidth = 40;

}  // namespace

RowBlock::RowBlock(const std::vector<CFieldExchange::Field>& fields, int keyField)
    : m_fields(fields),
      m_firstField(keyField < 0 ? 1 : 0),
      m_keyColumn(keyField < 0 ? 0 : size_t(keyField)),
      m_columns(fields.size() + m_firstField),
      m_keys(kRows)
{
    for (size_t c = 0; c < m_columns.size(); ++c) {
        Column& col = m_columns[c];
        const bool key = c < m_firstField;
        const CFieldExchange::FieldType type = key ? CFieldExchange::Long : fields[c - m_firstField].type;
        col.width = type == CFieldExchange::Text ? kTextStart : type == CFieldExchange::Date ? kDateWidth : kNumberWidth;
        col.data.resize(size_t(col.width) * kRows);
        col.ind.resize(kRows);
    }
}

// The buffers are bound again before every fetch: several statements fill
// the one block, and a column may have grown since.
void RowBlock::Bind(OdbcStatement& stmt)
{
    SQLHSTMT h = stmt.Get();
    stmt.Check(SQLSetStmtAttr(h, SQL_ATTR_ROW_BIND_TYPE, (SQLPOINTER)SQL_BIND_BY_COLUMN, 0), "row binding");
    stmt.Check(SQLSetStmtAttr(h, SQL_ATTR_ROW_ARRAY_SIZE, (SQLPOINTER)kRows, 0), "row array size");
    stmt.Check(SQLSetStmtAttr(h, SQL_ATTR_ROWS_FETCHED_PTR, &m_rows, 0), "rows fetched");
    for (size_t c = 0; c < m_columns.size(); ++c) {
        Column& col = m_columns[c];
        stmt.Check(SQLBindCol(h, SQLUSMALLINT(c + 1), SQL_C_CHAR, col.data.data(), col.width, col.ind.data()),
                   "bind a column");
    }
}

bool RowBlock::Fetch(OdbcStatement& stmt)
{
    for (Column& col : m_columns) {
        if (col.wanted > col.width) {
            col.width = col.wanted;
            std::vector<char>(size_t(col.width) * kRows).swap(col.data);
        }
    }
    Bind(stmt);
    m_rows = 0;
    if (stmt.FetchNext() == SQL_NO_DATA) {
        m_rows = 0;
        return false;
    }
    if (m_rows < kRows)
        stmt.NoteEndOfRows();
    const Column& key = m_columns[m_keyColumn];
    for (SQLULEN r = 0; r < m_rows; ++r)
        m_keys[r] = ParseStoredInteger(key.At(r), key.ind[r] == SQL_NULL_DATA ? 0 : size_t(key.ind[r]));
    WidenLater();
    return m_rows > 0;
}

void RowBlock::WidenLater()
{
    for (size_t c = m_firstField; c < m_columns.size(); ++c) {
        Column& col = m_columns[c];
        if (m_fields[c - m_firstField].type != CFieldExchange::Text || col.width >= kTextMost)
            continue;
        SQLLEN longest = 0;
        for (SQLULEN r = 0; r < m_rows; ++r)
            if (col.ind[r] != SQL_NULL_DATA)
                longest = col.ind[r] == SQL_NO_TOTAL ? kTextMost : std::max(longest, col.ind[r]);
        if (longest < col.width)
            continue;
        SQLLEN width = col.width;
        while (width <= longest && width < kTextMost)
            width *= 2;
        col.wanted = std::max(col.wanted, width);
    }
}

StoredField RowBlock::OverflowedValue(SQLULEN row, size_t field, LateValues& late) const
{
    const CFieldExchange::FieldType type = m_fields[field].type;
    if (type == CFieldExchange::Text || type == CFieldExchange::Date) {
        const std::string& whole = late.Text(m_keys[row], m_fields[field]);
        return StoredField{whole.data(), whole.size(), false};
    }
    // A number is read from what the buffer holds.
    const Column& col = m_columns[field + m_firstField];
    return StoredField{col.At(row), size_t(col.width - 1), false};
}

void RowBlock::ToMembers(SQLULEN row, LateValues& late) const
{
    for (size_t f = 0; f < m_fields.size(); ++f) {
        const CFieldExchange::Field& field = m_fields[f];
        const StoredField value = Stored(row, f, late);
        switch (field.type) {
        case CFieldExchange::Text: {
            CString& text = *static_cast<CString*>(field.member);
            if (value.isNull)
                text.clear();
            else
                AssignUtf8(text, value.data, value.length);
            break;
        }
        case CFieldExchange::Date: StoredDate(value, *static_cast<COleDateTime*>(field.member)); break;
        default: {
            const long long number = value.isNull ? 0 : ParseStoredInteger(value.data, value.length);
            if (field.type == CFieldExchange::Bool)
                *static_cast<BOOL*>(field.member) = number != 0 ? TRUE : FALSE;
            else if (field.type == CFieldExchange::Byte)
                *static_cast<BYTE*>(field.member) = BYTE(number);
            else
                *static_cast<long*>(field.member) = long(number);
            break;
        }
        }
    }
}
