// Input parameters of a statement, kept alive until it has run. A statement
// that runs many times keeps its binder and sets new values before each run:
// a parameter is bound again only when its buffer moved.
#pragma once

#include <deque>
#include "CFieldExchange.h"
#include "CFilterValue.h"
#include "FieldValue.h"
#include "OdbcApi.h"

class OdbcStatement;

class ParameterBinder
{
public:
    explicit ParameterBinder(OdbcStatement& stmt) : m_stmt(stmt) {}

    // Binds the next "?" of the statement to a copy of `value`.
    void Bind(const FieldValue& value, CFieldExchange::FieldType type) { Set(m_slots.size(), value, type); }
    // The same with a filter's value, of its own type, or a number (a key, a count).
    void Bind(const CFilterValue& value);
    void BindNumber(long long number);
    // Gives "?" number `index` (from 0) `value` for the next execution; every
    // mark before it must have been given one already.
    void Set(size_t index, const FieldValue& value, CFieldExchange::FieldType type);

private:
    struct Slot
    {
        CFieldExchange::FieldType type = CFieldExchange::Text;
        long long number = 0;
        std::string text;  // what the driver reads of text and dates
        SQLLEN indicator = 0;
        const void* boundAt = nullptr;  // the buffer as it was bound
        size_t boundCapacity = 0;

        const void* Buffer() const;
    };

    void BindSlot(SQLUSMALLINT number, Slot& slot);

    OdbcStatement& m_stmt;
    // A deque keeps the addresses handed to the driver stable as parameters are added.
    std::deque<Slot> m_slots;
};
