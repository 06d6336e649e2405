#include "CRecordset.h"

#include <algorithm>

#include "ParameterBinder.h"
#include "PooledStatement.h"
#include "RecordsetQuery.h"
#include "RecordsetRows.h"
#include "RecordsetWriter.h"
#include "Utf8Text.h"

struct CRecordset::Impl
{
    RecordsetQuery query;
    RecordsetRows rows{query};
    RecordsetWriter writer{query};
    bool open = false;

    // The cursor: a position of the rows, or one past the last at the end.
    long pos = 0;
    bool bof = true, eof = true;

    long storedSlot = -1;    // during WalkStored: the slot of the row visited
    size_t storedField = 0;  // the field Stored found last
};

CRecordset::CRecordset(CDatabase* pDatabase) : m_pDatabase(pDatabase), m_impl(std::make_unique<Impl>()) {}

CRecordset::~CRecordset() = default;

void CRecordset::ThrowUnlessOpen() const
{
    if (!m_impl->open)
        throw CDBException("The recordset is not open");
}

bool CRecordset::OnRow() const
{
    const Impl& d = *m_impl;
    return d.open && !d.eof && !d.bof && d.rows.Exists(size_t(d.pos));
}

BOOL CRecordset::Open(UINT, const CString&, DWORD options)
{
    if (!m_pDatabase || !m_pDatabase->IsOpen())
        throw CDBException("The database is not open");
    Close();
    CFieldExchange fx;
    DoFieldExchange(&fx);
    Impl& d = *m_impl;
    d.query.Open(m_pDatabase->SharedConnection(), ToUtf8(GetDefaultSQL()), fx.m_fields);
    d.rows.Open((options & appendOnly) != 0);
    d.open = true;
    try {
        if (d.rows.AppendOnly()) {
            // No rows are read, but the open fails as it would with rows when
            // the table or a column is missing.
            d.query.Prepared(d.query.SelectNoRows())->ExecutePrepared();
            d.rows.StartEmpty();
            MoveFirst();
        } else {
            Requery();
        }
    } catch (...) {
        Close();
        throw;
    }
    return TRUE;
}

BOOL CRecordset::Requery()
{
    ThrowUnlessOpen();
    Impl& d = *m_impl;
    d.rows.Reset();
    d.query.Requery(m_strFilter, m_strSort, m_filterValues);
    d.writer.Cancel();
    d.rows.Start();
    MoveFirst();
    return TRUE;
}

void CRecordset::Close()
{
    Impl& d = *m_impl;
    d.writer.Close();
    d.rows.Close();
    d.query.Close();
    d.open = false;
    d.bof = d.eof = true;
    d.pos = 0;
}

BOOL CRecordset::IsOpen() const
{
    return m_impl->open;
}

void CRecordset::MoveFirst()
{
    ThrowUnlessOpen();
    Impl& d = *m_impl;
    d.bof = d.eof = false;
    size_t index = 0;
    if (!d.rows.LoadFrom(index))
        d.bof = d.eof = true;
    d.pos = long(index);
}

void CRecordset::MoveNext()
{
    Impl& d = *m_impl;
    if (d.eof)
        throw CDBException("Attempt to move past the end of the recordset");
    d.bof = false;
    size_t index = size_t(d.pos) + 1;
    d.eof = !d.rows.LoadFrom(index);
    d.pos = long(index);
}

void CRecordset::WalkStored(const std::function<bool()>& visit)
{
    ThrowUnlessOpen();
    Impl& d = *m_impl;
    struct Visiting
    {
        long& slot;
        ~Visiting() { slot = -1; }
    } visiting{d.storedSlot};
    bool visited = false;
    size_t index = 0;
    for (; d.rows.Known(index); ++index) {
        d.storedSlot = d.rows.CurrentSlot(index);
        if (d.storedSlot < 0)
            continue;
        visited = true;
        d.pos = long(index);
        d.bof = d.eof = false;
        if (!visit())
            return;
    }
    d.pos = long(index);
    d.eof = true;
    d.bof = !visited;
}

StoredField CRecordset::Stored(const void* member)
{
    Impl& d = *m_impl;
    if (d.storedSlot < 0)
        throw CDBException("No row visited by WalkStored");
    // Members are mostly asked for in the order they are bound: the search
    // starts after the one found last.
    const std::vector<CFieldExchange::Field>& fields = d.query.Fields();
    size_t f = d.storedField;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (++f >= fields.size())
            f = 0;
        if (fields[f].member == member) {
            d.storedField = f;
            return d.rows.Stored(d.storedSlot, f);
        }
    }
    throw CDBException("The member is bound to no column");
}

void CRecordset::MovePrev()
{
    Impl& d = *m_impl;
    if (d.bof)
        throw CDBException("Attempt to move before the start of the recordset");
    d.eof = false;
    for (long index = d.pos - 1; index >= 0; --index) {
        if (d.rows.Known(size_t(index)) && d.rows.Load(size_t(index))) {
            d.pos = index;
            return;
        }
    }
    d.pos = 0;
    d.bof = true;
}

void CRecordset::MoveLast()
{
    ThrowUnlessOpen();
    Impl& d = *m_impl;
    d.rows.ReadToEnd();
    d.bof = d.eof = false;
    for (long index = long(d.rows.End()) - 1; index >= 0; --index) {
        if (d.rows.Load(size_t(index))) {
            d.pos = index;
            return;
        }
    }
    d.pos = 0;
    d.bof = d.eof = true;
}

void CRecordset::MoveToOrdinal(long ordinal)
{
    Impl& d = *m_impl;
    d.bof = d.eof = false;
    size_t index = 0;
    // A row found gone when it is read counts as it would have in a walk.
    while (d.rows.Advance(index, ordinal, index)) {
        if (d.rows.Load(index)) {
            d.pos = long(index);
            return;
        }
        ordinal = 0;
        ++index;
    }
    // One past the last row is the end, as MoveNext reaches it; further is an error.
    size_t last = 0;
    const bool reachable = ordinal == 0 || (d.rows.Advance(0, ordinal - 1, last) && d.rows.Load(last));
    d.pos = long(index);
    d.eof = true;
    d.bof = GetRecordCount() == 0;
    if (!reachable)
        throw CDBException("Attempt to move past the end of the recordset");
}

void CRecordset::Move(long rows)
{
    Impl& d = *m_impl;
    if (rows == 0)
        return;
    if (rows < 0 || d.eof || d.bof) {
        // Backwards, and from either end, the walk of single moves is short or an error.
        for (; rows > 0; --rows)
            MoveNext();
        for (; rows < 0; ++rows)
            MovePrev();
        return;
    }
    size_t index = size_t(d.pos);
    bool found = d.rows.Advance(index, rows, index);
    while (found && !d.rows.Load(index))  // found gone as it was read: the next one
        found = d.rows.Advance(index, 0, index);
    if (found) {
        d.pos = long(index);
        return;
    }
    // Past the last row: the end when the move was one too many, an error beyond.
    size_t last = size_t(d.pos);
    const bool oneTooMany = rows == 1 || (d.rows.Advance(last, rows - 1, last) && d.rows.Load(last));
    d.pos = long(index);
    d.eof = true;
    if (!oneTooMany)
        throw CDBException("Attempt to move past the end of the recordset");
}

void CRecordset::SetAbsolutePosition(long row)
{
    if (row <= 0) {
        MoveFirst();
        Move(row - 1);
        return;
    }
    MoveToOrdinal(row - 1);
}

BOOL CRecordset::IsEOF() const
{
    return m_impl->eof;
}

BOOL CRecordset::IsBOF() const
{
    return m_impl->bof;
}

long CRecordset::CountRows()
{
    if (!m_pDatabase || !m_pDatabase->IsOpen())
        throw CDBException("The database is not open");
    PooledStatement stmt(m_pDatabase->SharedConnection(),
                         RecordsetQuery::CountOf(ToUtf8(GetDefaultSQL()), m_strFilter));
    ParameterBinder binder(*stmt);
    for (const CFilterValue& value : m_filterValues)
        binder.Bind(value);
    stmt->ExecutePrepared();
    return long(ParseStoredInteger(stmt->FetchText()));
}

long CRecordset::FindFirst(const CString& narrowing, const std::vector<CString>& values,
                           const std::function<bool()>& accept)
{
    ThrowUnlessOpen();
    Impl& d = *m_impl;
    if (narrowing.empty()) {
        long position = 0;
        for (MoveFirst(); !IsEOF(); MoveNext(), ++position)
            if (accept())
                return position;
        return -1;
    }
    // The candidates come in the table's order as it is now; a row changed
    // since the open keeps its place among the rows, so they are taken in
    // the order of their places.
    std::vector<size_t> places;
    for (long long key : d.rows.Candidates(ToUtf8(narrowing), values)) {
        size_t index = 0;
        if (d.rows.IndexOfKey(key, index))
            places.push_back(index);
    }
    std::sort(places.begin(), places.end());
    for (size_t index : places) {
        if (!d.rows.Load(index) || !accept())
            continue;
        const long position = d.rows.OrdinalOf(index);
        d.rows.Load(index);  // counting may have read other rows into the members
        d.pos = long(index);
        d.bof = d.eof = false;
        return position;
    }
    d.pos = long(d.rows.End());
    d.eof = true;
    d.bof = GetRecordCount() == 0;
    return -1;
}

long CRecordset::GetRecordCount() const
{
    return m_impl->open ? m_impl->rows.Count() : 0;
}

BOOL CRecordset::CanAppend() const
{
    return m_impl->open;
}

BOOL CRecordset::CanUpdate() const
{
    return m_impl->open;
}

void CRecordset::Edit()
{
    if (!OnRow())
        throw CDBException("No current record to edit");
    m_impl->writer.Edit();
}

void CRecordset::AddNew()
{
    ThrowUnlessOpen();
    m_impl->writer.AddNew();
}

void CRecordset::CancelUpdate()
{
    Impl& d = *m_impl;
    const bool wasAdding = d.writer.Adding();
    d.writer.Cancel();
    if (wasAdding && OnRow())
        d.rows.Load(size_t(d.pos));
}

BOOL CRecordset::Update()
{
    Impl& d = *m_impl;
    if (!d.writer.Pending())
        throw CDBException("Update without Edit or AddNew");
    if (!d.open || !m_pDatabase->IsOpen())
        throw CDBException("The database is not open");
    switch (d.writer.TakeChanges()) {
    case RecordsetWriter::Write::nothing: return TRUE;
    case RecordsetWriter::Write::row: d.writer.UpdateRow(d.rows.Key(size_t(d.pos))); return TRUE;
    case RecordsetWriter::Write::newRow: d.writer.InsertRow(); break;
    }
    if (d.rows.AppendOnly()) {
        d.rows.NoteAppended();
        return TRUE;
    }
    d.rows.NoteAdded(d.writer.NewKey());
    // Back on the row that was current before AddNew.
    if (OnRow())
        d.rows.Load(size_t(d.pos));
    return TRUE;
}

BOOL CRecordset::UpdateWhere(const CString& assignments, const CString& condition,
                             const std::vector<CFilterValue>& values)
{
    if (!OnRow())
        throw CDBException("No current record to edit");
    Impl& d = *m_impl;
    const bool written =
        d.writer.UpdateRowWhere(d.rows.Key(size_t(d.pos)), ToUtf8(assignments), ToUtf8(condition), values) > 0;
    d.rows.Load(size_t(d.pos));
    return written ? TRUE : FALSE;
}

void CRecordset::Delete()
{
    Impl& d = *m_impl;
    if (!OnRow())
        throw CDBException("No current record to delete");
    d.writer.DeleteRow(d.rows.Key(size_t(d.pos)));
    d.rows.MarkDeleted(size_t(d.pos));
}
