// Values of a recordset's rows copied out of its fetch buffers, which the
// next fetch overwrites, and read back in the order they were added: another
// thread can use them while the walk reads on.
#pragma once

#include <string>
#include <vector>
#include "StoredValue.h"

class StoredRows
{
public:
    void Add(const StoredField& value);
    // Ends the row the values added since the last end belong to.
    void EndRow() { ++m_rows; }
    size_t Rows() const { return m_rows; }
    void Clear();

    // The values in the order they were added; the rows must not change meanwhile.
    class Reader
    {
    public:
        explicit Reader(const StoredRows& rows) : m_rows(rows) {}
        StoredField Next();

    private:
        const StoredRows& m_rows;
        size_t m_next = 0;
    };

private:
    struct Value
    {
        size_t offset;  // in m_bytes, which may move as it grows
        size_t length;
        bool isNull;
    };

    std::string m_bytes;
    std::vector<Value> m_values;
    size_t m_rows = 0;
};
