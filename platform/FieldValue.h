// One column's value between the database and a member of a recordset.
#pragma once

#include <string>
#include "CFieldExchange.h"

struct FieldValue
{
    bool isNull = true;
    std::string text;
    long long number = 0;
    COleDateTime date;

    bool operator==(const FieldValue& o) const
    {
        return isNull == o.isNull && text == o.text && number == o.number && date == o.date;
    }
};

// The value the member of a bound field holds; a date that is not valid is null.
FieldValue ReadFieldValue(const CFieldExchange::Field& f);
// Sets the member of a bound field; null gives empty text, zero, a null date.
void WriteFieldValue(const CFieldExchange::Field& f, const FieldValue& v);
