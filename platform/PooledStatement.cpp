#include "PooledStatement.h"

#include <utility>
#include "OdbcConnection.h"

PooledStatement::PooledStatement(std::shared_ptr<OdbcConnection> conn, std::string sql)
    : m_keepAlive(std::move(conn)), m_conn(m_keepAlive.get()), m_sql(std::move(sql)),
      m_stmt(m_conn->TakeStatement(m_sql))
{
}

PooledStatement::PooledStatement(OdbcConnection& conn, std::string sql)
    : m_conn(&conn), m_sql(std::move(sql)), m_stmt(m_conn->TakeStatement(m_sql))
{
}

PooledStatement::~PooledStatement()
{
    GiveBack();
}

PooledStatement& PooledStatement::operator=(PooledStatement&& other) noexcept
{
    if (this != &other) {
        GiveBack();
        m_keepAlive = std::move(other.m_keepAlive);
        m_conn = other.m_conn;
        m_sql = std::move(other.m_sql);
        m_stmt = std::move(other.m_stmt);
    }
    return *this;
}

void PooledStatement::GiveBack() noexcept
{
    if (m_stmt)
        m_conn->ReturnStatement(m_sql, std::move(m_stmt));
}
