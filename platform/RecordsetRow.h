// One row of a recordset as it keeps it: its key, when it was read, and its
// values packed.
#pragma once

#include <string>
#include <vector>
#include "CFieldExchange.h"

struct RecordsetRow
{
    long long key = 0;
    unsigned long serial = 0;  // writeSerial of the connection when read; 0 = not read
    bool deleted = false;
    // The row's values packed into one allocation (see RecordsetRow.cpp), so that a
    // large table costs one small block per row.
    std::string packed;
};

// Appends a raw value to a packed row.
template <typename T>
void PackRaw(std::string& out, const T& value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// Writes the packed values of a row into the members of the exchange.
void UnpackIntoMembers(const std::string& packed, const std::vector<CFieldExchange::Field>& fields);
