#include "CashBookOperations.h"

#include "CCashbookset.h"
#include "CDeskTransaction.h"
#include "RecordsetUse.h"

std::optional<BOOL> ToggleCashBookStatus(DataConnections& db, long id)
{
    CDeskTransaction transaction(db);
    BOOL status = FALSE;
    {
        CCashbookset cashbook(&db.m_dbCashbook);
        cashbook.m_strFilter = "[ID] = ?";
        cashbook.m_filterValues = {id};
        OpenOrThrow(cashbook);
        if (cashbook.IsEOF())
            return std::nullopt;
        cashbook.Edit();
        cashbook.m_bStatus = cashbook.m_bStatus ? FALSE : TRUE;
        cashbook.Update();
        status = cashbook.m_bStatus;
    }
    transaction.Commit();
    return status;
}
