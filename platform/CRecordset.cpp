#include "CRecordset.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include "BlockReader.h"
#include "FieldValue.h"
#include "OdbcConnection.h"
#include "OdbcStatement.h"
#include "ParameterBinder.h"
#include "RecordsetRow.h"
#include "Utf8Text.h"

struct CRecordset::Impl
{
    enum class Mode { none, edit, addNew };

    std::vector<CFieldExchange::Field> fields;
    std::string table;
    std::string columnList;  // "rowid, [a], [b], ..."
    std::string query;       // the SELECT of the open, all columns, in its order
    std::vector<FieldValue> filterValues;  // bound to the "?" of the open's WHERE
    unsigned long openSerial = 0;
    size_t readInOrder = 0;  // leading rows whose values the query has given
    std::vector<RecordsetRow> rows;
    bool keysAscending = true;  // rows in the order of their keys, so a key is found by halving
    long pos = 0;
    bool bof = true, eof = true;
    Mode mode = Mode::none;
    std::vector<FieldValue> before;  // member values when Edit or AddNew began
    bool open = false;
};

CRecordset::CRecordset(CDatabase* pDatabase) : m_pDatabase(pDatabase), m_impl(std::make_unique<Impl>()) {}

CRecordset::~CRecordset() = default;

namespace {

std::vector<FieldValue> FilterValues(const std::vector<CString>& values)
{
    std::vector<FieldValue> bound;
    for (const CString& value : values) {
        FieldValue v;
        v.isNull = false;
        v.text = ToUtf8(value);
        bound.push_back(std::move(v));
    }
    return bound;
}

void BindAll(ParameterBinder& binder, const std::vector<FieldValue>& values)
{
    for (const FieldValue& v : values)
        binder.Bind(v, CFieldExchange::Text);
}

std::string FromClause(const std::string& table, const CString& filter)
{
    return " FROM " + table + (filter.empty() ? std::string() : " WHERE " + ToUtf8(filter));
}

}  // namespace

BOOL CRecordset::Open(UINT, const CString&, DWORD options)
{
    if (!m_pDatabase || !m_pDatabase->IsOpen())
        throw CDBException("The database is not open");
    Close();
    CFieldExchange fx;
    DoFieldExchange(&fx);
    Impl& d = *m_impl;
    d.fields = fx.m_fields;
    d.table = ToUtf8(GetDefaultSQL());
    d.columnList = "rowid";
    for (const auto& f : d.fields)
        d.columnList += ", " + ToUtf8(f.column);
    d.open = true;
    try {
        if (options & appendOnly)
            CheckTable();
        else
            Requery();
    } catch (...) {
        d.open = false;
        throw;
    }
    return TRUE;
}

// Runs the recordset's query for no rows: the open fails as it would with
// rows when the table or a column is missing.
void CRecordset::CheckTable()
{
    Impl& d = *m_impl;
    OdbcStatement stmt(m_pDatabase->Connection());
    stmt.Execute("SELECT " + d.columnList + " FROM " + d.table + " WHERE 0");
    d.rows.clear();
    MoveFirst();
}

BOOL CRecordset::Requery()
{
    Impl& d = *m_impl;
    if (!d.open)
        throw CDBException("The recordset is not open");
    // Only the keys are read here: values come when the cursor reaches their
    // rows, so opening a large table to count or to append costs little.
    d.filterValues = FilterValues(m_filterValues);
    // Without a sort the rows come in the table's own order. A filter may be
    // answered from an index kept in another order: "+rowid" lets SQLite use
    // the index and then sort the few rows it gives, where "rowid" would make
    // it walk the whole table because that walk needs no sorting.
    const std::string order = !m_strSort.empty() ? ToUtf8(m_strSort) : m_strFilter.empty() ? "rowid" : "+rowid";
    const std::string clauses = FromClause(d.table, m_strFilter) + " ORDER BY " + order;
    d.query = "SELECT " + d.columnList + clauses;

    OdbcConnection* db = m_pDatabase->GetConnection();
    OdbcStatement stmt(*db);
    ParameterBinder binder(stmt);
    BindAll(binder, d.filterValues);
    static const std::vector<CFieldExchange::Field> kKeysOnly;
    BlockReader reader(stmt, kKeysOnly);
    stmt.Execute("SELECT rowid" + clauses);
    d.rows.clear();
    reader.ReadAll([&](RecordsetRow&& row) { d.rows.push_back(std::move(row)); });
    d.keysAscending = std::is_sorted(d.rows.begin(), d.rows.end(),
                                     [](const RecordsetRow& a, const RecordsetRow& b) { return a.key < b.key; });
    d.openSerial = db->WriteSerial();
    d.readInOrder = 0;
    d.mode = Impl::Mode::none;
    MoveFirst();
    return TRUE;
}

void CRecordset::Close()
{
    Impl& d = *m_impl;
    d.open = false;
    d.rows.clear();
    d.mode = Impl::Mode::none;
    d.bof = d.eof = true;
    d.pos = 0;
}

BOOL CRecordset::IsOpen() const
{
    return m_impl->open;
}

namespace {

// Reads again the block of rows from 'first' on whose values may be stale.
void RefreshBlock(OdbcConnection* db, CRecordset::Impl& d, size_t first);
// Reads values of rows never read, from 'index' on, with the open's own query.
void ReadInOrder(OdbcConnection* db, CRecordset::Impl& d, size_t index);

}  // namespace

// Moves onto row 'index' when it still exists, bringing its values up to date.
static bool LoadRow(CDatabase* database, CRecordset::Impl& d, long index)
{
    OdbcConnection* db = database->GetConnection();
    if (!db)
        throw CDBException("The database is not open");
    RecordsetRow& row = d.rows[size_t(index)];
    if (row.serial == 0)
        ReadInOrder(db, d, size_t(index));
    if (row.serial != db->WriteSerial() && db->Unchanged(d.table, row.key, row.serial))
        row.serial = db->WriteSerial();
    if (row.serial != db->WriteSerial())
        RefreshBlock(db, d, size_t(index));
    if (row.deleted)
        return false;
    UnpackIntoMembers(row.packed, d.fields);
    return true;
}

namespace {

// Reads a text value too long for the block's buffers by its own query.
BlockReader::LongTextReader WholeTextOf(OdbcConnection& db, const std::string& table)
{
    return [&db, table](long long key, const CFieldExchange::Field& field) {
        OdbcStatement stmt(db);
        ParameterBinder binder(stmt);
        FieldValue rowid;
        rowid.isNull = false;
        rowid.number = key;
        binder.Bind(rowid, CFieldExchange::Long);
        stmt.Execute("SELECT " + ToUtf8(field.column) + " FROM " + table + " WHERE rowid = ?");
        return stmt.FetchText();
    };
}

void ReadInOrder(OdbcConnection* db, CRecordset::Impl& d, size_t index)
{
    // The query gives the rows in the order of the keys only while the table
    // is as it was at the open, and only a walk from the start continues it;
    // anything else is read by key.
    if (index != d.readInOrder || db->TableChangedSince(d.table, d.openSerial))
        return;
    // A first block answers an open that only looks at its first rows; a walk
    // that goes on past it takes all the rest in one pass.
    const std::string limit = index == 0 ? std::to_string(kBlockRows) : std::string("-1");
    OdbcStatement stmt(*db);
    ParameterBinder binder(stmt);
    BindAll(binder, d.filterValues);
    BlockReader reader(stmt, d.fields, WholeTextOf(*db, d.table));
    stmt.Execute(d.query + " LIMIT " + limit + " OFFSET " + std::to_string(index));
    bool inStep = true;
    reader.ReadAll([&](RecordsetRow&& fresh) {
        if (!inStep || d.readInOrder >= d.rows.size() || d.rows[d.readInOrder].key != fresh.key) {
            inStep = false;
            return;
        }
        RecordsetRow& row = d.rows[d.readInOrder++];
        row.packed = std::move(fresh.packed);
        row.serial = db->WriteSerial();
    });
}

void RefreshBlock(OdbcConnection* db, CRecordset::Impl& d, size_t first)
{
    std::vector<size_t> indexes;
    for (size_t i = first; i < d.rows.size() && indexes.size() < kBlockRows; ++i) {
        RecordsetRow& row = d.rows[i];
        if (row.deleted || row.serial == db->WriteSerial())
            continue;
        if (db->Unchanged(d.table, row.key, row.serial))
            row.serial = db->WriteSerial();
        else
            indexes.push_back(i);
    }
    if (indexes.empty())
        return;

    std::string sql = "SELECT " + d.columnList + " FROM " + d.table + " WHERE rowid IN (";
    for (size_t i = 0; i < indexes.size(); ++i)
        sql += i ? ",?" : "?";
    sql += ")";

    OdbcStatement stmt(*db);
    ParameterBinder binder(stmt);
    for (size_t i : indexes) {
        FieldValue key;
        key.isNull = false;
        key.number = d.rows[i].key;
        binder.Bind(key, CFieldExchange::Long);
    }
    BlockReader reader(stmt, d.fields, WholeTextOf(*db, d.table));
    stmt.Execute(sql);
    std::unordered_map<long long, RecordsetRow> fresh;
    reader.ReadAll([&](RecordsetRow&& row) { fresh.emplace(row.key, std::move(row)); });
    for (size_t i : indexes) {
        RecordsetRow& row = d.rows[i];
        auto it = fresh.find(row.key);
        row.serial = db->WriteSerial();
        if (it == fresh.end())
            row.deleted = true;  // removed through another recordset
        else
            row.packed = std::move(it->second.packed);
    }
}

}  // namespace

void CRecordset::MoveFirst()
{
    Impl& d = *m_impl;
    d.bof = d.eof = false;
    for (d.pos = 0; d.pos < long(d.rows.size()); ++d.pos)
        if (LoadRow(m_pDatabase, d, d.pos))
            return;
    d.bof = d.eof = true;
}

void CRecordset::MoveNext()
{
    Impl& d = *m_impl;
    if (d.eof)
        throw CDBException("Attempt to move past the end of the recordset");
    d.bof = false;
    for (++d.pos; d.pos < long(d.rows.size()); ++d.pos)
        if (LoadRow(m_pDatabase, d, d.pos))
            return;
    d.eof = true;
}

void CRecordset::MovePrev()
{
    Impl& d = *m_impl;
    if (d.bof)
        throw CDBException("Attempt to move before the start of the recordset");
    d.eof = false;
    for (--d.pos; d.pos >= 0; --d.pos)
        if (LoadRow(m_pDatabase, d, d.pos))
            return;
    d.pos = 0;
    d.bof = true;
}

void CRecordset::MoveLast()
{
    Impl& d = *m_impl;
    d.bof = d.eof = false;
    for (d.pos = long(d.rows.size()) - 1; d.pos >= 0; --d.pos)
        if (LoadRow(m_pDatabase, d, d.pos))
            return;
    d.pos = 0;
    d.bof = d.eof = true;
}

void CRecordset::Move(long rows)
{
    for (; rows > 0; --rows)
        MoveNext();
    for (; rows < 0; ++rows)
        MovePrev();
}

void CRecordset::SetAbsolutePosition(long row)
{
    MoveFirst();
    Move(row - 1);
}

BOOL CRecordset::IsEOF() const
{
    return m_impl->eof;
}

BOOL CRecordset::IsBOF() const
{
    return m_impl->bof;
}

long CRecordset::GetRecordCount() const
{
    const auto& rows = m_impl->rows;
    return long(std::count_if(rows.begin(), rows.end(), [](const RecordsetRow& r) { return !r.deleted; }));
}

long CRecordset::CountRows()
{
    if (!m_pDatabase || !m_pDatabase->IsOpen())
        throw CDBException("The database is not open");
    OdbcStatement stmt(m_pDatabase->Connection());
    ParameterBinder binder(stmt);
    BindAll(binder, FilterValues(m_filterValues));
    stmt.Execute("SELECT count(*)" + FromClause(ToUtf8(GetDefaultSQL()), m_strFilter));
    return std::stol("0" + stmt.FetchText());
}

namespace {

// The keys of the rows of the open's table that its filter and `narrowing` select.
std::vector<long long> SelectedKeys(OdbcConnection& db, const CRecordset::Impl& d, const CString& filter,
                                    const CString& narrowing, const std::vector<CString>& values)
{
    const CString where = filter.empty() ? narrowing : "(" + filter + ") AND (" + narrowing + ")";
    OdbcStatement stmt(db);
    ParameterBinder binder(stmt);
    BindAll(binder, d.filterValues);
    BindAll(binder, FilterValues(values));
    static const std::vector<CFieldExchange::Field> kKeysOnly;
    BlockReader reader(stmt, kKeysOnly);
    stmt.Execute("SELECT rowid" + FromClause(d.table, where));
    std::vector<long long> keys;
    reader.ReadAll([&](RecordsetRow&& row) { keys.push_back(row.key); });
    return keys;
}

// Where those keys stand in the open's rows, in the rows' order.
std::vector<size_t> IndexesOfKeys(const CRecordset::Impl& d, std::vector<long long> keys)
{
    std::vector<size_t> indexes;
    if (d.keysAscending) {
        for (long long key : keys) {
            auto it = std::lower_bound(d.rows.begin(), d.rows.end(), key,
                                       [](const RecordsetRow& row, long long k) { return row.key < k; });
            if (it != d.rows.end() && it->key == key)
                indexes.push_back(size_t(it - d.rows.begin()));
        }
        std::sort(indexes.begin(), indexes.end());
    } else {
        const std::unordered_set<long long> wanted(keys.begin(), keys.end());
        for (size_t i = 0; i < d.rows.size(); ++i)
            if (wanted.count(d.rows[i].key))
                indexes.push_back(i);
    }
    return indexes;
}

}  // namespace

// Whether row `index` is still in the table, as a walk onto it would find.
static bool IsLive(CDatabase* database, CRecordset::Impl& d, size_t index)
{
    const RecordsetRow& row = d.rows[index];
    if (row.deleted)
        return false;
    if (database->Connection().Unchanged(d.table, row.key, row.serial ? row.serial : d.openSerial))
        return true;
    return LoadRow(database, d, long(index));
}

long CRecordset::FindFirst(const CString& narrowing, const std::vector<CString>& values,
                           const std::function<bool()>& accept)
{
    Impl& d = *m_impl;
    if (!d.open)
        throw CDBException("The recordset is not open");
    if (narrowing.empty()) {
        long position = 0;
        for (MoveFirst(); !IsEOF(); MoveNext(), ++position)
            if (accept())
                return position;
        return -1;
    }
    OdbcConnection& db = m_pDatabase->Connection();
    const std::vector<size_t> candidates = IndexesOfKeys(d, SelectedKeys(db, d, m_strFilter, narrowing, values));
    // While nothing of the table was written since the open, every row is
    // still there and a row's position is its index.
    const bool untouched = !db.TableChangedSince(d.table, d.openSerial);
    size_t counted = 0;  // rows before `counted` are in `live`
    long live = 0;
    for (size_t index : candidates) {
        if (!LoadRow(m_pDatabase, d, long(index)) || !accept())
            continue;
        if (untouched) {
            live = long(index);
        } else {
            for (; counted < index; ++counted)
                live += IsLive(m_pDatabase, d, counted) ? 1 : 0;
            LoadRow(m_pDatabase, d, long(index));  // the count may have moved the members
        }
        d.pos = long(index);
        d.bof = d.eof = false;
        return live;
    }
    d.pos = long(d.rows.size());
    d.eof = true;
    d.bof = GetRecordCount() == 0;
    return -1;
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
    Impl& d = *m_impl;
    if (!d.open || d.eof || d.bof || d.rows[size_t(d.pos)].deleted)
        throw CDBException("No current record to edit");
    d.before.clear();
    for (const auto& f : d.fields)
        d.before.push_back(ReadFieldValue(f));
    d.mode = Impl::Mode::edit;
}

void CRecordset::AddNew()
{
    Impl& d = *m_impl;
    if (!d.open)
        throw CDBException("The recordset is not open");
    // A new row starts with empty members; only what the caller then sets is written,
    // so the other columns take the table's defaults.
    FieldValue empty;
    for (const auto& f : d.fields)
        WriteFieldValue(f, empty);
    d.before.clear();
    for (const auto& f : d.fields)
        d.before.push_back(ReadFieldValue(f));
    d.mode = Impl::Mode::addNew;
}

void CRecordset::CancelUpdate()
{
    Impl& d = *m_impl;
    const bool wasAdding = d.mode == Impl::Mode::addNew;
    d.mode = Impl::Mode::none;
    if (wasAdding && !d.eof && !d.bof)
        LoadRow(m_pDatabase, d, d.pos);
}

BOOL CRecordset::Update()
{
    Impl& d = *m_impl;
    if (d.mode == Impl::Mode::none)
        throw CDBException("Update without Edit or AddNew");
    OdbcConnection* db = m_pDatabase->GetConnection();
    if (!db)
        throw CDBException("The database is not open");

    std::vector<size_t> changed;
    std::vector<FieldValue> now;
    for (size_t c = 0; c < d.fields.size(); ++c) {
        now.push_back(ReadFieldValue(d.fields[c]));
        if (!(now[c] == d.before[c]))
            changed.push_back(c);
    }
    const Impl::Mode mode = d.mode;
    d.mode = Impl::Mode::none;

    OdbcStatement stmt(*db);
    ParameterBinder binder(stmt);
    std::string sql;
    if (mode == Impl::Mode::edit) {
        if (changed.empty())
            return TRUE;
        sql = "UPDATE " + d.table + " SET ";
        for (size_t i = 0; i < changed.size(); ++i) {
            sql += (i ? ", " : "") + ToUtf8(d.fields[changed[i]].column) + " = ?";
            binder.Bind(now[changed[i]], d.fields[changed[i]].type);
        }
        sql += " WHERE rowid = ?";
        FieldValue key;
        key.isNull = false;
        key.number = d.rows[size_t(d.pos)].key;
        binder.Bind(key, CFieldExchange::Long);
    } else if (changed.empty()) {
        sql = "INSERT INTO " + d.table + " DEFAULT VALUES";
    } else {
        std::string names, marks;
        for (size_t i = 0; i < changed.size(); ++i) {
            names += (i ? ", " : "") + ToUtf8(d.fields[changed[i]].column);
            marks += i ? ", ?" : "?";
            binder.Bind(now[changed[i]], d.fields[changed[i]].type);
        }
        sql = "INSERT INTO " + d.table + " (" + names + ") VALUES (" + marks + ")";
    }
    stmt.Execute(sql);

    if (mode == Impl::Mode::edit) {
        db->NoteWrite(d.table, d.rows[size_t(d.pos)].key);
    } else {
        OdbcStatement last(*db);
        last.Execute("SELECT last_insert_rowid()");
        RecordsetRow row;
        if (SQL_SUCCEEDED(SQLFetch(last.Get())))
            last.Check(SQLGetData(last.Get(), 1, SQL_C_SBIGINT, &row.key, 0, nullptr), "read the new key");
        db->NoteWrite(d.table, row.key);
        d.keysAscending = d.keysAscending && (d.rows.empty() || d.rows.back().key < row.key);
        d.rows.push_back(std::move(row));
        // Back on the row that was current before AddNew.
        if (!d.eof && !d.bof)
            LoadRow(m_pDatabase, d, d.pos);
    }
    return TRUE;
}

void CRecordset::Delete()
{
    Impl& d = *m_impl;
    if (!d.open || d.eof || d.bof || d.rows[size_t(d.pos)].deleted)
        throw CDBException("No current record to delete");
    OdbcConnection* db = m_pDatabase->GetConnection();
    OdbcStatement stmt(*db);
    ParameterBinder binder(stmt);
    FieldValue key;
    key.isNull = false;
    key.number = d.rows[size_t(d.pos)].key;
    binder.Bind(key, CFieldExchange::Long);
    stmt.Execute("DELETE FROM " + d.table + " WHERE rowid = ?");
    db->NoteWrite(d.table, key.number);
    d.rows[size_t(d.pos)].deleted = true;
}
