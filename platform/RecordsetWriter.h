// The writes of a recordset: Edit and AddNew remember the bound members'
// values, and Update writes only the columns whose members changed since, as
// bound parameters. The INSERT of the row added last stays prepared and bound
// while the rows that follow set the same columns (an import adds a file's
// rows one by one). Every change of a row the table held is noted in the
// connection's log of writes, so that other recordsets read it again.
#pragma once

#include <optional>
#include <vector>
#include "FieldValue.h"
#include "ParameterBinder.h"
#include "PooledStatement.h"

class RecordsetQuery;

class RecordsetWriter
{
public:
    // `query` must outlive the writer.
    explicit RecordsetWriter(const RecordsetQuery& query) : m_query(query) {}

    void Edit();
    // Empties the members first: only what the caller then sets is written,
    // so the other columns take the table's defaults.
    void AddNew();
    bool Pending() const { return m_mode != Mode::none; }
    bool Adding() const { return m_mode == Mode::addNew; }
    void Cancel() { m_mode = Mode::none; }
    // Cancels, and lets the kept INSERT go.
    void Close();

    // What Update has to write, taken once from the members: the changes of
    // the row edited, a new row (also one with no column set), or nothing.
    enum class Write { nothing, row, newRow };
    Write TakeChanges();
    void UpdateRow(long long key);
    // Runs RecordsetQuery::UpdateRowWhere on the row `key` with `values` for
    // its "?" marks; the rows it wrote, 0 or 1.
    long UpdateRowWhere(long long key, const std::string& assignments, const std::string& condition,
                        const std::vector<CFilterValue>& values);
    void InsertRow();
    // The key of the row inserted last.
    long long NewKey() const;
    void DeleteRow(long long key);

private:
    enum class Mode { none, edit, addNew };

    struct Insert
    {
        Insert(PooledStatement prepared, std::vector<size_t> written)
            : columns(std::move(written)), stmt(std::move(prepared)), parameters(*stmt)
        {
        }
        std::vector<size_t> columns;
        PooledStatement stmt;
        ParameterBinder parameters;
    };
    Insert& InsertOf(const std::vector<size_t>& columns);

    const RecordsetQuery& m_query;
    Mode m_mode = Mode::none;
    std::vector<FieldValue> m_before;  // member values when Edit or AddNew began
    std::vector<FieldValue> m_now;     // member values at Update
    std::vector<size_t> m_changed;     // the fields whose value Update writes
    std::optional<Insert> m_insert;
};
