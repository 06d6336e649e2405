#include "CFieldExchange.h"

void RFX_Text(CFieldExchange* pFX, const CString& column, CString& value, int)
{
    pFX->Add(column, CFieldExchange::Text, &value);
}
void RFX_Bool(CFieldExchange* pFX, const CString& column, BOOL& value)
{
    pFX->Add(column, CFieldExchange::Bool, &value);
}
void RFX_Byte(CFieldExchange* pFX, const CString& column, BYTE& value)
{
    pFX->Add(column, CFieldExchange::Byte, &value);
}
void RFX_Long(CFieldExchange* pFX, const CString& column, long& value)
{
    pFX->Add(column, CFieldExchange::Long, &value);
}
void RFX_Date(CFieldExchange* pFX, const CString& column, COleDateTime& value)
{
    pFX->Add(column, CFieldExchange::Date, &value);
}
