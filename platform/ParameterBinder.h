// Input parameters of a statement, kept alive until it has run.
#pragma once

#include <deque>
#include <unordered_map>
#include "CFieldExchange.h"
#include "FieldValue.h"
#include "OdbcApi.h"

class OdbcStatement;

class ParameterBinder
{
public:
    explicit ParameterBinder(OdbcStatement& stmt) : m_stmt(stmt) {}

    // Binds the next "?" of the statement to a copy of `value`.
    void Bind(const FieldValue& value, CFieldExchange::FieldType type);

private:
    OdbcStatement& m_stmt;
    // Deques keep the addresses handed to the driver stable as parameters are added.
    std::deque<FieldValue> m_values;
    std::unordered_map<SQLUSMALLINT, SQL_TIMESTAMP_STRUCT> m_dates;
    std::unordered_map<SQLUSMALLINT, SQLLEN> m_ind;
};
