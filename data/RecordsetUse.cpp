#include "RecordsetUse.h"

bool TryOpen(CRecordset& set, DWORD options)
{
    try {
        return set.IsOpen() || set.Open(CRecordset::dynaset, CString(), options);
    } catch (const CDBException& e) {
        // A lock another program holds, or a full disk, is no table that
        // cannot be opened: it passes on as a database error, which the desk
        // reports and outlives.
        if (e.IsPassingFailure())
            throw;
        return false;
    }
}

void OpenOrThrow(CRecordset& set, DWORD options)
{
    if (!TryOpen(set, options))
        throw CDBException(OpenFailedMessage());
}

void CloseIfOpen(CRecordset& set)
{
    if (set.IsOpen())
        set.Close();
}

CString OpenFailedMessage()
{
    return wxString::FromUTF8("打开数据库失败！");
}
