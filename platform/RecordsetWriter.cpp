#include "RecordsetWriter.h"

#include "OdbcConnection.h"
#include "RecordsetQuery.h"

void RecordsetWriter::Edit()
{
    m_before.clear();
    for (const auto& f : m_query.Fields())
        m_before.push_back(ReadFieldValue(f));
    m_mode = Mode::edit;
}

void RecordsetWriter::AddNew()
{
    const FieldValue empty;
    for (const auto& f : m_query.Fields())
        WriteFieldValue(f, empty);
    Edit();
    m_mode = Mode::addNew;
}

void RecordsetWriter::Close()
{
    Cancel();
    m_insert.reset();
}

RecordsetWriter::Write RecordsetWriter::TakeChanges()
{
    const std::vector<CFieldExchange::Field>& fields = m_query.Fields();
    m_changed.clear();
    m_now.resize(fields.size());
    for (size_t c = 0; c < fields.size(); ++c) {
        m_now[c] = ReadFieldValue(fields[c]);
        if (!(m_now[c] == m_before[c]))
            m_changed.push_back(c);
    }
    const Mode mode = m_mode;
    m_mode = Mode::none;
    if (mode == Mode::addNew)
        return Write::newRow;
    return m_changed.empty() ? Write::nothing : Write::row;
}

void RecordsetWriter::UpdateRow(long long key)
{
    PooledStatement stmt = m_query.Prepared(m_query.UpdateRow(m_changed));
    ParameterBinder binder(*stmt);
    for (size_t c : m_changed)
        binder.Bind(m_now[c], m_query.Fields()[c].type);
    binder.BindNumber(key);
    stmt->ExecutePrepared();
    m_query.Connection().NoteWrite(m_query.Table(), key, OdbcConnection::WriteKind::update);
}

long RecordsetWriter::UpdateRowWhere(long long key, const std::string& assignments, const std::string& condition,
                                     const std::vector<CFilterValue>& values)
{
    // A statement of its own: the count of rows written is what it is run for.
    OdbcStatement stmt(m_query.Connection());
    stmt.Prepare(m_query.UpdateRowWhere(assignments, condition));
    ParameterBinder binder(stmt);
    for (const CFilterValue& value : values)
        binder.Bind(value);
    binder.BindNumber(key);
    stmt.ExecutePrepared();
    // Written or not, the row may hold other values than the recordset read.
    m_query.Connection().NoteWrite(m_query.Table(), key, OdbcConnection::WriteKind::update);
    return stmt.RowCount();
}

RecordsetWriter::Insert& RecordsetWriter::InsertOf(const std::vector<size_t>& columns)
{
    if (m_insert && m_insert->columns == columns)
        return *m_insert;
    m_insert.reset();
    m_insert.emplace(m_query.Prepared(m_query.InsertRow(columns)), columns);
    return *m_insert;
}

// A new row is no row another recordset holds: nothing for them to read again.
void RecordsetWriter::InsertRow()
{
    if (m_changed.empty()) {
        m_query.Prepared(m_query.InsertDefaults())->ExecutePrepared();
        return;
    }
    Insert& insert = InsertOf(m_changed);
    for (size_t i = 0; i < m_changed.size(); ++i)
        insert.parameters.Set(i, m_now[m_changed[i]], m_query.Fields()[m_changed[i]].type);
    insert.stmt->ExecutePrepared();
}

long long RecordsetWriter::NewKey() const
{
    return m_query.Number(m_query.SelectNewKey());
}

void RecordsetWriter::DeleteRow(long long key)
{
    {
        PooledStatement stmt = m_query.Prepared(m_query.DeleteRow());
        ParameterBinder binder(*stmt);
        binder.BindNumber(key);
        stmt->ExecutePrepared();
    }
    m_query.Connection().NoteWrite(m_query.Table(), key);
}
