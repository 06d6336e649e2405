// Field exchange: how a recordset names its bound columns and members.
#pragma once

#include <vector>
#include "COleDateTime.h"
#include "WinTypes.h"

// Collects the bound columns of a recordset during DoFieldExchange.
class CFieldExchange
{
public:
    enum FieldType { Text, Bool, Byte, Long, Date };
    struct Field {
        CString column;  // as written in the exchange, e.g. "[房间号]"
        FieldType type;
        void* member;
    };
    void Add(const CString& column, FieldType type, void* member) { m_fields.push_back({column, type, member}); }
    std::vector<Field> m_fields;
};

void RFX_Text(CFieldExchange* pFX, const CString& column, CString& value, int maxLength = 255);
void RFX_Bool(CFieldExchange* pFX, const CString& column, BOOL& value);
void RFX_Byte(CFieldExchange* pFX, const CString& column, BYTE& value);
void RFX_Long(CFieldExchange* pFX, const CString& column, long& value);
void RFX_Date(CFieldExchange* pFX, const CString& column, COleDateTime& value);
