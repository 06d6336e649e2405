#include "FieldValue.h"

#include "Utf8Text.h"

FieldValue ReadFieldValue(const CFieldExchange::Field& f)
{
    FieldValue v;
    v.isNull = false;
    switch (f.type) {
    case CFieldExchange::Text: v.text = ToUtf8(*static_cast<CString*>(f.member)); break;
    case CFieldExchange::Bool: v.number = *static_cast<BOOL*>(f.member) ? 1 : 0; break;
    case CFieldExchange::Byte: v.number = *static_cast<BYTE*>(f.member); break;
    case CFieldExchange::Long: v.number = *static_cast<long*>(f.member); break;
    case CFieldExchange::Date:
        v.date = *static_cast<COleDateTime*>(f.member);
        v.isNull = v.date.GetStatus() != COleDateTime::valid;
        break;
    }
    return v;
}

void WriteFieldValue(const CFieldExchange::Field& f, const FieldValue& v)
{
    switch (f.type) {
    case CFieldExchange::Text:
        *static_cast<CString*>(f.member) = v.isNull ? CString() : FromUtf8(v.text.data(), v.text.size());
        break;
    case CFieldExchange::Bool: *static_cast<BOOL*>(f.member) = (!v.isNull && v.number != 0) ? TRUE : FALSE; break;
    case CFieldExchange::Byte: *static_cast<BYTE*>(f.member) = v.isNull ? 0 : BYTE(v.number); break;
    case CFieldExchange::Long: *static_cast<long*>(f.member) = v.isNull ? 0 : long(v.number); break;
    case CFieldExchange::Date: {
        COleDateTime& date = *static_cast<COleDateTime*>(f.member);
        date = v.isNull ? COleDateTime() : v.date;
        if (v.isNull)
            date.SetStatus(COleDateTime::null);
        break;
    }
    }
}
