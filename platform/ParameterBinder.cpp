#include "ParameterBinder.h"

#include <algorithm>
#include <cstring>
#include "OdbcStatement.h"
#include "StoredValue.h"
#include "Utf8Text.h"

const void* ParameterBinder::Slot::Buffer() const
{
    if (type == CFieldExchange::Text || type == CFieldExchange::Date)
        return text.data();
    return &number;
}

void ParameterBinder::Set(size_t index, const FieldValue& value, CFieldExchange::FieldType type)
{
    if (index == m_slots.size())
        m_slots.emplace_back();
    Slot& slot = m_slots[index];
    const bool retyped = slot.type != type;
    slot.type = type;
    slot.number = value.number;
    if (value.isNull || (type == CFieldExchange::Date && value.date.GetStatus() != COleDateTime::valid)) {
        slot.indicator = SQL_NULL_DATA;
    } else if (type == CFieldExchange::Text) {
        slot.text.assign(value.text);
        // Text that ends at its NUL the driver uses where it is; text with a
        // NUL inside goes by its length, and the driver copies it first.
        slot.indicator = std::memchr(slot.text.data(), 0, slot.text.size()) ? SQLLEN(slot.text.size()) : SQL_NTS;
    } else if (type == CFieldExchange::Date) {
        slot.text.clear();
        AppendStoredTimestamp(value.date, slot.text);
        slot.indicator = SQL_NTS;
    } else {
        slot.indicator = 0;
    }
    if (retyped || !slot.boundAt || slot.Buffer() != slot.boundAt || slot.text.capacity() != slot.boundCapacity)
        BindSlot(SQLUSMALLINT(index + 1), slot);
}

void ParameterBinder::Bind(const CFilterValue& value)
{
    FieldValue v;
    v.isNull = false;
    v.text = ToUtf8(value.m_strText);
    v.number = value.m_nNumber;
    v.date = value.m_dt;
    Bind(v, value.m_type);
}

void ParameterBinder::BindNumber(long long number)
{
    FieldValue v;
    v.isNull = false;
    v.number = number;
    Bind(v, CFieldExchange::Long);
}

void ParameterBinder::BindSlot(SQLUSMALLINT number, Slot& slot)
{
    SQLHSTMT h = m_stmt.Get();
    // Text stays in the slot's buffer while that does not move, so its
    // capacity is the size bound: no longer value needs a binding of its own.
    const SQLULEN size = std::max<SQLULEN>(slot.text.capacity(), 1);
    switch (slot.type) {
    case CFieldExchange::Text:
        m_stmt.Check(SQLBindParameter(h, number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, size, 0,
                                      (SQLPOINTER)slot.text.data(), SQLLEN(size), &slot.indicator),
                     "bind text parameter");
        break;
    case CFieldExchange::Date:
        // The text the driver makes of a bound timestamp, made here: the
        // driver would format it with sprintf at every execution.
        m_stmt.Check(SQLBindParameter(h, number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_TYPE_TIMESTAMP, 23, 3,
                                      (SQLPOINTER)slot.text.data(), SQLLEN(size), &slot.indicator),
                     "bind date parameter");
        break;
    default:
        m_stmt.Check(SQLBindParameter(h, number, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &slot.number, 0,
                                      &slot.indicator),
                     "bind number parameter");
        break;
    }
    slot.boundAt = slot.Buffer();
    slot.boundCapacity = slot.text.capacity();
}
