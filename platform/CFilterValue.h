// A value for a "?" of a recordset's m_strFilter: it goes to the database as
// a bound parameter, never into the SQL text.
#pragma once

#include "CFieldExchange.h"
#include "COleDateTime.h"
#include "WinTypes.h"

class CFilterValue
{
public:
    CFilterValue(const CString& text) : m_type(CFieldExchange::Text), m_strText(text) {}
    CFilterValue(const wchar_t* text) : CFilterValue(CString(text)) {}
    CFilterValue(const char* text) : CFilterValue(CString(text)) {}
    CFilterValue(long number) : m_type(CFieldExchange::Long), m_nNumber(number) {}
    CFilterValue(int number) : CFilterValue(long(number)) {}
    // A date that is not valid binds SQL NULL.
    CFilterValue(const COleDateTime& date) : m_type(CFieldExchange::Date), m_dt(date) {}

    CFieldExchange::FieldType m_type;
    CString m_strText;
    long m_nNumber = 0;
    COleDateTime m_dt;
};
