#include "ParameterBinder.h"

#include <algorithm>
#include "OdbcStatement.h"

void ParameterBinder::Bind(const FieldValue& value, CFieldExchange::FieldType type)
{
    m_values.push_back(value);
    FieldValue& v = m_values.back();
    const SQLUSMALLINT n = SQLUSMALLINT(m_values.size());
    SQLLEN* ind = &m_ind[n - 1];
    if (type == CFieldExchange::Date && v.date.GetStatus() != COleDateTime::valid)
        v.isNull = true;
    *ind = v.isNull ? SQL_NULL_DATA : 0;
    switch (type) {
    case CFieldExchange::Text:
        if (!v.isNull)
            *ind = SQLLEN(v.text.size());
        m_stmt.Check(SQLBindParameter(m_stmt.Get(), n, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                      std::max<SQLULEN>(v.text.size(), 1), 0, (SQLPOINTER)v.text.data(),
                                      SQLLEN(v.text.size()), ind),
                     "bind text parameter");
        break;
    case CFieldExchange::Date: {
        SQL_TIMESTAMP_STRUCT& ts = m_dates[n - 1];
        ts = {};
        int y, mo, d, h, mi, s, ms;
        if (v.date.GetParts(y, mo, d, h, mi, s, ms)) {
            ts.year = SQLSMALLINT(y), ts.month = SQLUSMALLINT(mo), ts.day = SQLUSMALLINT(d);
            ts.hour = SQLUSMALLINT(h), ts.minute = SQLUSMALLINT(mi), ts.second = SQLUSMALLINT(s);
            ts.fraction = SQLUINTEGER(ms) * 1000000u;
        }
        m_stmt.Check(SQLBindParameter(m_stmt.Get(), n, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP,
                                      23, 3, &ts, sizeof ts, ind),
                     "bind date parameter");
        break;
    }
    default:
        m_stmt.Check(SQLBindParameter(m_stmt.Get(), n, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                      &v.number, 0, ind),
                     "bind number parameter");
        break;
    }
}
