// A prepared statement taken from its connection's pool for as long as it is
// used, and given back (reset) afterwards, so that the same SQL is prepared
// once per connection.
#pragma once

#include <memory>
#include <string>
#include "OdbcStatement.h"

class OdbcConnection;

class PooledStatement
{
public:
    // The shared form keeps the connection alive while the statement is out.
    PooledStatement(std::shared_ptr<OdbcConnection> conn, std::string sql);
    PooledStatement(OdbcConnection& conn, std::string sql);
    ~PooledStatement();
    PooledStatement(PooledStatement&& other) noexcept = default;
    PooledStatement& operator=(PooledStatement&& other) noexcept;
    PooledStatement(const PooledStatement&) = delete;
    PooledStatement& operator=(const PooledStatement&) = delete;

    OdbcStatement& operator*() const { return *m_stmt; }
    OdbcStatement* operator->() const { return m_stmt.get(); }
    OdbcConnection& Connection() const { return *m_conn; }

private:
    void GiveBack() noexcept;

    std::shared_ptr<OdbcConnection> m_keepAlive;
    OdbcConnection* m_conn;
    std::string m_sql;
    std::unique_ptr<OdbcStatement> m_stmt;
};
