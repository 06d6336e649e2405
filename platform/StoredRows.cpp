#include "StoredRows.h"

void StoredRows::Add(const StoredField& value)
{
    m_values.push_back({m_bytes.size(), value.length, value.isNull});
    if (!value.isNull)
        m_bytes.append(value.data, value.length);
}

void StoredRows::Clear()
{
    m_bytes.clear();
    m_values.clear();
    m_rows = 0;
}

StoredField StoredRows::Reader::Next()
{
    const Value& value = m_rows.m_values.at(m_next++);
    if (value.isNull)
        return StoredField();
    return StoredField{m_rows.m_bytes.data() + value.offset, value.length, false};
}
