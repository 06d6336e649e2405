#include "CDeskTransaction.h"

#include "MessageBox.h"

CDeskTransaction::CDeskTransaction(DataConnections& db)
{
    for (CDatabase* database : {&db.m_dbHotel, &db.m_dbRegister, &db.m_dbCashbook}) {
        if (!database->IsOpen())
            continue;
        bool shared = false;
        for (const CDatabase* begun : m_databases)
            shared = shared || begun->SharesConnectionWith(*database);
        if (!shared)
            m_databases.push_back(database);
    }
    for (size_t i = 0; i < m_databases.size(); ++i) {
        try {
            m_databases[i]->BeginTrans();
        } catch (const CDBException&) {
            m_databases.resize(i);
            RollbackFrom(0);
            throw;
        }
    }
    m_bOpen = true;
}

CDeskTransaction::~CDeskTransaction()
{
    if (m_bOpen)
        RollbackFrom(0);
}

void CDeskTransaction::Commit()
{
    if (!m_bOpen)
        throw CDBException(UiText("事务已经结束。", "The transaction has ended."));
    m_bOpen = false;
    for (size_t i = 0; i < m_databases.size(); ++i) {
        try {
            m_databases[i]->CommitTrans();  // rolls its own connection back when it fails
        } catch (const CDBException&) {
            RollbackFrom(i + 1);
            throw;
        }
    }
}

void CDeskTransaction::RollbackFrom(size_t first) noexcept
{
    for (size_t i = first; i < m_databases.size(); ++i) {
        try {
            m_databases[i]->Rollback();
        } catch (const CDBException&) {
            // The connection has dropped the transaction either way; the error
            // that led here is the one the clerk sees.
        }
    }
}
