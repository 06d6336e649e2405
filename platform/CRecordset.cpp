#include "CRecordset.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <unordered_map>
#include "FieldValue.h"
#include "OdbcConnection.h"
#include "ParameterBinder.h"
#include "PooledStatement.h"
#include "RankSamples.h"
#include "RowBlock.h"
#include "StoredValue.h"
#include "Utf8Text.h"

// How the rows are kept. The rows of the open are read in the query's order
// by one statement (the walk), a block at a time as the cursor reaches them;
// their keys are kept, their values only for the block at hand. A position
// far past the rows walked is read by an OFFSET query while the table is as
// it was at the open. A block whose rows another recordset on the connection
// wrote since it was read is read again by its keys, so a row's values are
// current whenever the cursor moves onto it. Rows this recordset adds come
// after the rows of the open.
namespace {

constexpr long long kDeleted = LLONG_MIN;      // a row that is no longer there
constexpr long long kUnknown = LLONG_MIN + 1;  // a position not read yet
constexpr size_t kBlock = RowBlock::kRows;
// A position this far past the rows walked is read by an OFFSET query.
constexpr size_t kJumpRows = 2 * kBlock;

FieldValue NumberValue(long long number)
{
    FieldValue v;
    v.isNull = false;
    v.number = number;
    return v;
}

FieldValue FilterFieldValue(const CFilterValue& param)
{
    FieldValue v;
    v.isNull = false;
    v.text = ToUtf8(param.m_strText);
    v.number = param.m_nNumber;
    v.date = param.m_dt;
    return v;
}

}  // namespace

class CRecordset::Impl : public RowBlock::LateValues
{
public:
    enum class Mode { none, edit, addNew };

    // What the open fixed.
    std::vector<CFieldExchange::Field> fields;
    std::string table;
    int keyField = -1;        // the field that is the rowid, or -1: the rowid is selected first
    std::string columns;      // "rowid, [a], [b], ..." or "[ID], [a], ..."
    std::string rowsClauses;  // " FROM t WHERE ... ORDER BY ...", with its parameters below
    std::string whereClauses; // the same without the order
    std::string orderClause;  // " ORDER BY ...": a total order, so that every statement gives the rows alike
    std::vector<CFilterValue> filterValues;
    bool positionsByKeyOnly = false;  // no filter and no order: an update moves no row
    long long maxKey = 0;     // rows added later have larger keys and are not among the open's
    unsigned long openSerial = 0;
    bool open = false;
    bool appendOnly = false;
    std::shared_ptr<OdbcConnection> conn;

    // The rows.
    std::optional<PooledStatement> walk;
    std::optional<ParameterBinder> walkParameters;  // alive while the walk's statement runs
    // When the walk's statement ran: a sorted result holds the values as they
    // were then, so its rows count as read at that moment.
    unsigned long walkSerial = 0;
    bool walkDone = false;
    size_t walkRead = 0;               // positions the walk has given
    size_t openRows = 0;               // once the walk has ended: the rows of the open, before those added
    std::vector<long long> keys;       // by position; past walkRead only what OFFSET queries gave
    std::vector<long long> addedKeys;  // rows added before the walk ended, which come after it
    size_t deleted = 0;                // kDeleted entries in keys
    unsigned long removalsSerial = 0;  // rows removed up to this write are marked in keys
    bool removalsKnown = true;         // false once the log could not tell which rows went
    long appendedOnly = 0;             // rows an appendOnly recordset added

    // The block at hand: positions [blockFirst, blockEnd), at slots of the block.
    std::optional<RowBlock> block;
    size_t blockFirst = 0, blockEnd = 0;
    std::vector<long> slots;  // by position - blockFirst; -1: not in the block; empty: slot = offset
    unsigned long blockSerial = 0;
    std::unordered_map<long long, std::string> lateTexts;  // by key * field count + field

    long storedSlot = -1;      // during WalkStored: the slot of the row visited
    size_t storedField = 0;    // the field Stored found last

    mutable std::optional<long> count;
    mutable unsigned long countSerial = 0;

    long pos = 0;
    bool bof = true, eof = true;
    Mode mode = Mode::none;
    std::vector<FieldValue> before;  // member values when Edit or AddNew began
    std::vector<FieldValue> now;     // member values at Update
    std::vector<size_t> changed;     // the fields whose value Update writes

    // The INSERT of the row added last, kept bound while the rows that follow
    // set the same columns: an import adds a file's rows one by one.
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
    std::optional<Insert> insert;

    Insert& InsertOf(const std::vector<size_t>& columns)
    {
        if (insert && insert->columns == columns)
            return *insert;
        insert.reset();
        std::string names, marks;
        for (size_t i = 0; i < columns.size(); ++i) {
            names += (i ? ", " : "") + ToUtf8(fields[columns[i]].column);
            marks += i ? ", ?" : "?";
        }
        insert.emplace(Prepared("INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")"), columns);
        return *insert;
    }

    PooledStatement Prepared(const std::string& sql) { return PooledStatement(conn, sql); }

    // The filter's values, for the statements over the open's rows.
    void BindRowsParameters(ParameterBinder& binder) const
    {
        for (const CFilterValue& value : filterValues)
            binder.Bind(FilterFieldValue(value), value.m_type);
    }

    // Whether positions read by OFFSET queries may have moved since the open:
    // rows gone, or, under a filter or an order, rows changed.
    bool TableChanged() const { return conn->TableChangedSince(table, openSerial, positionsByKeyOnly); }

    void ResetRows()
    {
        walkParameters.reset();
        walk.reset();
        walkDone = false;
        walkRead = 0;
        keys.clear();
        addedKeys.clear();
        deleted = 0;
        removalsKnown = true;
        blockFirst = blockEnd = 0;
        slots.clear();
        lateTexts.clear();
        count.reset();
    }

    void StartWalk()
    {
        walk.emplace(Prepared("SELECT " + columns + rowsClauses));
        walkParameters.emplace(**walk);
        BindRowsParameters(*walkParameters);
        (*walk)->ExecutePrepared();
        walkSerial = conn->WriteSerial();
    }

    void TakeBlock(size_t first, SQLULEN rows)
    {
        blockFirst = first;
        blockEnd = first + rows;
        slots.clear();
        blockSerial = conn->WriteSerial();
        lateTexts.clear();
    }

    void TruncateKeys(size_t size)
    {
        if (size >= keys.size())
            return;
        deleted -= size_t(std::count(keys.begin() + long(size), keys.end(), kDeleted));
        keys.resize(size);
    }

    void EndWalk()
    {
        walkParameters.reset();
        walk.reset();  // the statement and its read lock go back at once
        walkDone = true;
        TruncateKeys(walkRead);
        openRows = walkRead;
        keys.insert(keys.end(), addedKeys.begin(), addedKeys.end());
        addedKeys.clear();
    }

    // The rows just fetched into the block, as the positions from `first` on.
    SQLULEN TakeFetchedRows(size_t first)
    {
        const SQLULEN rows = block->Rows();
        if (keys.size() < first + rows)
            keys.resize(first + rows, kUnknown);
        for (SQLULEN r = 0; r < rows; ++r)
            keys[first + r] = block->Key(r);
        TakeBlock(first, rows);
        return rows;
    }

    // Reads the walk's next block; false at its end.
    bool WalkOn()
    {
        if (walkDone)
            return false;
        if (!block->Fetch(**walk)) {
            EndWalk();
            return false;
        }
        const SQLULEN rows = TakeFetchedRows(walkRead);
        blockSerial = walkSerial;
        walkRead += rows;
        if (rows < kBlock)
            EndWalk();
        return true;
    }

    // Reads the block of `index` with an OFFSET query; false past the open's
    // rows. In key order the rank samples start it near the block.
    bool Jump(size_t index)
    {
        const size_t first = index - index % kBlock;
        std::string sql = "SELECT " + columns + rowsClauses + " LIMIT ? OFFSET ?";
        RankSamples::Start start{0, false, static_cast<long long>(first)};
        if (positionsByKeyOnly) {
            start = RankSamples::Of(*conn, table).StartOf(static_cast<long long>(first));
            sql = "SELECT " + columns + whereClauses + (start.after ? " AND rowid > ?" : " AND rowid >= ?") +
                  orderClause + " LIMIT ? OFFSET ?";
        }
        PooledStatement stmt = Prepared(sql);
        ParameterBinder binder(*stmt);
        BindRowsParameters(binder);
        if (positionsByKeyOnly)
            binder.Bind(NumberValue(start.key), CFieldExchange::Long);
        binder.Bind(NumberValue(static_cast<long long>(kBlock)), CFieldExchange::Long);
        binder.Bind(NumberValue(start.skip), CFieldExchange::Long);
        stmt->ExecutePrepared();
        return block->Fetch(*stmt) && index < first + TakeFetchedRows(first);
    }

    // Positions read by OFFSET queries hold only while the table is as it was.
    void DropJumpsIfChanged()
    {
        if (walkDone || keys.size() <= walkRead || !TableChanged())
            return;
        TruncateKeys(walkRead);
        if (blockEnd > walkRead)
            blockFirst = blockEnd = 0;
    }

    // Whether position `index` exists; its key is known when it does.
    bool Known(size_t index)
    {
        DropJumpsIfChanged();
        if (index < keys.size() && keys[index] != kUnknown)
            return true;
        if (walkDone)
            return false;
        if (index >= walkRead + kJumpRows && !TableChanged()) {
            if (Jump(index))
                return true;
            if (addedKeys.empty())
                return false;  // past the open's rows, and none added here
        }
        while (walkRead <= index)
            if (!WalkOn())
                return index < keys.size();
        return true;
    }

    // Reads again, by their keys, the rows of the block around `index`; rows
    // that are no longer there are marked so.
    void ReadBlockAgain(size_t index)
    {
        const size_t first = index - index % kBlock;
        const size_t end = std::min(first + kBlock, keys.size());
        std::vector<long long> wanted;
        for (size_t i = first; i < end; ++i)
            if (keys[i] != kDeleted && keys[i] != kUnknown)
                wanted.push_back(keys[i]);
        TakeBlock(first, end - first);
        slots.assign(end - first, -1);
        if (wanted.empty())
            return;
        // Always as many marks, so that one prepared statement serves every block.
        std::string sql = "SELECT " + columns + " FROM " + table + " WHERE rowid IN (?";
        for (size_t i = 1; i < kBlock; ++i)
            sql += ",?";
        sql += ")";
        PooledStatement stmt = Prepared(sql);
        ParameterBinder binder(*stmt);
        for (size_t i = 0; i < kBlock; ++i)
            binder.Bind(NumberValue(i < wanted.size() ? wanted[i] : wanted.front()), CFieldExchange::Long);
        stmt->ExecutePrepared();
        std::unordered_map<long long, long> slotOfKey;
        if (block->Fetch(*stmt))
            for (SQLULEN r = 0; r < block->Rows(); ++r)
                slotOfKey.emplace(block->Key(r), long(r));
        for (size_t i = first; i < end; ++i) {
            if (keys[i] == kDeleted || keys[i] == kUnknown)
                continue;
            const auto it = slotOfKey.find(keys[i]);
            if (it != slotOfKey.end()) {
                slots[i - first] = it->second;
            } else {
                keys[i] = kDeleted;  // removed through another recordset
                ++deleted;
            }
        }
    }

    long SlotOf(size_t index) const
    {
        if (index < blockFirst || index >= blockEnd)
            return -1;
        return slots.empty() ? long(index - blockFirst) : slots[index - blockFirst];
    }

    // The slot of the block that holds the current values of an existing
    // position, read again when they changed; -1 when its row is no longer there.
    long CurrentSlot(size_t index)
    {
        if (keys[index] == kDeleted)
            return -1;
        const long slot = SlotOf(index);
        if (slot >= 0 && (blockSerial == conn->WriteSerial() || conn->Unchanged(table, keys[index], blockSerial)))
            return slot;
        ReadBlockAgain(index);
        return keys[index] == kDeleted ? -1 : SlotOf(index);
    }

    // Moves the values of an existing position into the members; false when
    // its row is no longer there.
    bool Load(size_t index)
    {
        const long slot = CurrentSlot(index);
        if (slot < 0)
            return false;
        block->ToMembers(SQLULEN(slot), *this);
        return true;
    }

    // Marks the rows other recordsets removed since the last look; false when
    // the log could not tell which, and every row passed must then be read.
    bool MarkRemovals()
    {
        DropJumpsIfChanged();
        if (!removalsKnown)
            return false;
        std::vector<long long> removed;
        if (!conn->RemovalsSince(table, removalsSerial, removed)) {
            removalsKnown = false;
            return false;
        }
        removalsSerial = conn->WriteSerial();
        if (removed.empty())
            return true;
        std::sort(removed.begin(), removed.end());
        for (long long& key : keys) {
            if (key != kDeleted && key != kUnknown && std::binary_search(removed.begin(), removed.end(), key)) {
                key = kDeleted;
                ++deleted;
            }
        }
        for (long long key : removed)
            addedKeys.erase(std::remove(addedKeys.begin(), addedKeys.end(), key), addedKeys.end());
        return true;
    }

    // The position of the `ordinal`-th row that is still there, from `from`
    // on. Returns false at the end, with `index` one past the last position.
    bool Advance(size_t from, long ordinal, size_t& index)
    {
        const bool marked = MarkRemovals();
        index = from;
        for (;;) {
            if (marked && deleted == 0 && ordinal > 0) {
                index += size_t(ordinal);  // no row to skip: straight there
                ordinal = 0;
            }
            if (!Known(index))
                return false;
            if (keys[index] != kDeleted && (marked || Load(index))) {
                if (ordinal == 0)
                    return true;
                --ordinal;
            }
            ++index;
        }
    }

    // The position of `index` as a walk counts it: rows found gone are not counted.
    long OrdinalOf(size_t index)
    {
        if (MarkRemovals() && deleted == 0)
            return long(index);
        long live = 0;
        const bool marked = removalsKnown;
        for (size_t i = 0; i < index; ++i)
            if (keys[i] != kDeleted && (marked || Load(i)))
                ++live;
        return live;
    }

    // The keys of the rows the query and `narrowing` select, in the rows' order.
    std::vector<long long> CandidateKeys(const std::string& narrowing, const std::vector<CString>& values)
    {
        PooledStatement stmt = Prepared("SELECT rowid" + whereClauses + " AND (" + narrowing + ")" + orderClause);
        ParameterBinder binder(*stmt);
        BindRowsParameters(binder);
        for (const CString& value : values)
            binder.Bind(FilterFieldValue(value), CFieldExchange::Text);
        stmt->ExecutePrepared();
        std::vector<long long> found;
        for (std::string key; !(key = stmt->FetchFirstOfNext()).empty();)
            found.push_back(ParseStoredInteger(key.data(), key.size()));
        return found;
    }

    // The keys of every row past the walk, read alone, so that a row's
    // position is known without reading the rows before it. Needs the rows
    // gone from the walked ones marked; false when they are not.
    bool ReadRemainingKeys()
    {
        if (walkDone)
            return true;
        if (!MarkRemovals())
            return false;
        const size_t live = walkRead - size_t(std::count(keys.begin(), keys.begin() + long(walkRead), kDeleted));
        PooledStatement stmt = Prepared("SELECT rowid" + rowsClauses + " LIMIT -1 OFFSET " + std::to_string(live));
        ParameterBinder binder(*stmt);
        BindRowsParameters(binder);
        stmt->ExecutePrepared();
        if (blockEnd > walkRead)
            blockFirst = blockEnd = 0;  // positions past the walk are read anew
        TruncateKeys(walkRead);
        for (std::string key; !(key = stmt->FetchFirstOfNext()).empty();)
            keys.push_back(ParseStoredInteger(key.data(), key.size()));
        walkRead = keys.size();
        EndWalk();
        return true;
    }

    // Where the row with `key` stands among the rows; false when it is none of them.
    bool IndexOfKey(long long key, size_t& index)
    {
        DropJumpsIfChanged();
        auto known = std::find(keys.begin(), keys.end(), key);
        if (known != keys.end()) {
            index = size_t(known - keys.begin());
            return true;
        }
        if (walkDone || key > maxKey)
            return false;
        // In key order, with no row gone since the open, a row's position is
        // the number of rows before it.
        if (positionsByKeyOnly && !TableChanged()) {
            index = size_t(RankSamples::Of(*conn, table).RankOf(key));
            if (index >= keys.size())
                keys.resize(index + 1, kUnknown);
            if (keys[index] == kUnknown)
                keys[index] = key;
            if (keys[index] == key)
                return true;
        }
        if (!ReadRemainingKeys()) {
            while (WalkOn()) {
            }
        }
        known = std::find(keys.begin(), keys.end(), key);
        index = size_t(known - keys.begin());
        return known != keys.end();
    }

    const std::string& Text(long long key, const CFieldExchange::Field& field) override
    {
        const long long slot = key * static_cast<long long>(fields.size()) + (&field - fields.data());
        const auto it = lateTexts.find(slot);
        if (it != lateTexts.end())
            return it->second;
        PooledStatement stmt = Prepared("SELECT " + ToUtf8(field.column) + " FROM " + table + " WHERE rowid = ?");
        ParameterBinder binder(*stmt);
        binder.Bind(NumberValue(key), CFieldExchange::Long);
        stmt->ExecutePrepared();
        return lateTexts.emplace(slot, stmt->FetchText()).first->second;
    }
};

CRecordset::CRecordset(CDatabase* pDatabase) : m_pDatabase(pDatabase), m_impl(std::make_unique<Impl>()) {}

CRecordset::~CRecordset() = default;

namespace {

// The field an INTEGER PRIMARY KEY column is bound to: the rowid itself, so
// that it need not be selected twice. -1 when there is none.
int RowidField(const std::shared_ptr<OdbcConnection>& conn, const std::string& table, const std::vector<CFieldExchange::Field>& fields)
{
    const std::string name = table.size() > 2 && table.front() == '[' ? table.substr(1, table.size() - 2) : table;
    PooledStatement stmt(conn,
                         "SELECT name FROM pragma_table_info(?) WHERE pk > 0 AND upper(type) = 'INTEGER' "
                         "AND (SELECT count(*) FROM pragma_table_info(?) WHERE pk > 0) = 1");
    SQLLEN l1 = 0, l2 = 0;
    stmt->BindText(1, name, l1);
    stmt->BindText(2, name, l2);
    stmt->ExecutePrepared();
    const CString column = CString::FromUTF8(stmt->FetchText().c_str());
    if (column.empty())
        return -1;
    for (size_t i = 0; i < fields.size(); ++i) {
        CString bound = fields[i].column;
        if (bound.StartsWith("[") && bound.EndsWith("]"))
            bound = bound.Mid(1, bound.length() - 2);
        if (fields[i].type == CFieldExchange::Long && bound.CmpNoCase(column) == 0)
            return int(i);
    }
    return -1;
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
    d.conn = m_pDatabase->SharedConnection();
    d.fields = fx.m_fields;
    d.table = ToUtf8(GetDefaultSQL());
    d.appendOnly = (options & appendOnly) != 0;
    d.appendedOnly = 0;
    d.keyField = RowidField(d.conn, d.table, d.fields);
    d.columns = d.keyField < 0 ? "rowid" : std::string();
    for (const auto& f : d.fields)
        d.columns += (d.columns.empty() ? "" : ", ") + ToUtf8(f.column);
    d.block.emplace(d.fields, d.keyField);
    d.open = true;
    try {
        if (d.appendOnly) {
            // No rows are read, but the open fails as it would with rows when
            // the table or a column is missing.
            PooledStatement(d.conn, "SELECT " + d.columns + " FROM " + d.table + " WHERE 0")->ExecutePrepared();
            d.ResetRows();
            d.walkDone = true;
            d.openRows = 0;
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
    Impl& d = *m_impl;
    if (!d.open)
        throw CDBException("The recordset is not open");
    d.ResetRows();
    d.filterValues = m_filterValues;
    {
        PooledStatement stmt = d.Prepared("SELECT max(rowid) FROM " + d.table);
        stmt->ExecutePrepared();
        const std::string max = stmt->FetchText();
        d.maxKey = max.empty() ? LLONG_MIN : ParseStoredInteger(max.data(), max.size());
    }
    // The key bound is a number of the layer's own, written into the SQL: the
    // SQLite driver reads the whole result of a statement with parameters at
    // once, and only a statement without them is read as it is fetched.
    // Under a filter the bound is "+rowid": a plain rowid range would be the
    // plan SQLite takes, walking the whole table past the index that answers
    // the filter (the running stays: 200 ms instead of 3 at 1,000,000 stays).
    d.whereClauses = " FROM " + d.table + " WHERE ";
    if (!m_strFilter.empty())
        d.whereClauses += "(" + ToUtf8(m_strFilter) + ") AND +";
    d.whereClauses += "rowid <= " + std::to_string(d.maxKey);
    // Rows of equal sort values come by key. Without a sort they come in the
    // table's own order; a filter may be answered from an index kept in another
    // order, and "+rowid" lets SQLite use it and then sort the few rows it
    // gives, where "rowid" would make it walk the whole table instead.
    d.orderClause = " ORDER BY " + (!m_strSort.empty() ? ToUtf8(m_strSort) + ", rowid"
                                    : m_strFilter.empty() ? std::string("rowid") : std::string("+rowid"));
    d.rowsClauses = d.whereClauses + d.orderClause;
    d.positionsByKeyOnly = m_strFilter.empty() && m_strSort.empty();
    d.openSerial = d.conn->WriteSerial();
    d.removalsSerial = d.openSerial;
    d.mode = Impl::Mode::none;
    d.StartWalk();
    MoveFirst();
    return TRUE;
}

void CRecordset::Close()
{
    Impl& d = *m_impl;
    d.ResetRows();
    d.insert.reset();
    d.block.reset();
    d.conn.reset();
    d.open = false;
    d.mode = Impl::Mode::none;
    d.bof = d.eof = true;
    d.pos = 0;
}

BOOL CRecordset::IsOpen() const
{
    return m_impl->open;
}

void CRecordset::MoveFirst()
{
    Impl& d = *m_impl;
    if (!d.open)
        throw CDBException("The recordset is not open");
    d.bof = d.eof = false;
    size_t index = 0;
    for (; d.Known(index); ++index) {
        if (d.Load(index)) {
            d.pos = long(index);
            return;
        }
    }
    d.pos = long(index);
    d.bof = d.eof = true;
}

void CRecordset::MoveNext()
{
    Impl& d = *m_impl;
    if (d.eof)
        throw CDBException("Attempt to move past the end of the recordset");
    d.bof = false;
    size_t index = size_t(d.pos) + 1;
    for (; d.Known(index); ++index) {
        if (d.Load(index)) {
            d.pos = long(index);
            return;
        }
    }
    d.pos = long(index);
    d.eof = true;
}

void CRecordset::WalkStored(const std::function<bool()>& visit)
{
    Impl& d = *m_impl;
    if (!d.open)
        throw CDBException("The recordset is not open");
    struct Visiting
    {
        long& slot;
        ~Visiting() { slot = -1; }
    } visiting{d.storedSlot};
    bool visited = false;
    size_t index = 0;
    for (; d.Known(index); ++index) {
        d.storedSlot = d.CurrentSlot(index);
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
    const size_t count = d.fields.size();
    size_t f = d.storedField;
    for (size_t i = 0; i < count; ++i) {
        if (++f >= count)
            f = 0;
        if (d.fields[f].member == member) {
            d.storedField = f;
            return d.block->Stored(SQLULEN(d.storedSlot), f, d);
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
        if (d.Known(size_t(index)) && d.Load(size_t(index))) {
            d.pos = index;
            return;
        }
    }
    d.pos = 0;
    d.bof = true;
}

void CRecordset::MoveLast()
{
    Impl& d = *m_impl;
    if (!d.open)
        throw CDBException("The recordset is not open");
    while (d.WalkOn()) {
    }
    d.bof = d.eof = false;
    for (long index = long(d.keys.size()) - 1; index >= 0; --index) {
        if (d.Load(size_t(index))) {
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
    while (d.Advance(index, ordinal, index)) {
        if (d.Load(index)) {
            d.pos = long(index);
            return;
        }
        ordinal = 0;
        ++index;
    }
    // One past the last row is the end, as MoveNext reaches it; further is an error.
    size_t last = 0;
    const bool reachable = ordinal == 0 || (d.Advance(0, ordinal - 1, last) && d.Load(last));
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
    bool found = d.Advance(index, rows, index);
    while (found && !d.Load(index))  // found gone as it was read: the next one
        found = d.Advance(index, 0, index);
    if (found) {
        d.pos = long(index);
        return;
    }
    // Past the last row: the end when the move was one too many, an error beyond.
    size_t last = size_t(d.pos);
    const bool oneTooMany = rows == 1 || (d.Advance(last, rows - 1, last) && d.Load(last));
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
                         "SELECT count(*) FROM " + ToUtf8(GetDefaultSQL()) +
                             (m_strFilter.empty() ? std::string() : " WHERE " + ToUtf8(m_strFilter)));
    ParameterBinder binder(*stmt);
    for (const CFilterValue& value : m_filterValues)
        binder.Bind(FilterFieldValue(value), value.m_type);
    stmt->ExecutePrepared();
    const std::string n = stmt->FetchText();
    return long(ParseStoredInteger(n.data(), n.size()));
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
    std::vector<long long> candidates = d.CandidateKeys(ToUtf8(narrowing), values);
    // Rows added here stand after the open's; the narrowing only spares reads.
    candidates.insert(candidates.end(), d.addedKeys.begin(), d.addedKeys.end());
    if (d.walkDone)
        candidates.insert(candidates.end(), d.keys.begin() + long(std::min(d.openRows, d.keys.size())), d.keys.end());
    for (long long key : candidates) {
        size_t index = 0;
        if (!d.IndexOfKey(key, index) || !d.Load(index) || !accept())
            continue;
        const long position = d.OrdinalOf(index);
        d.Load(index);  // counting may have read other rows into the members
        d.pos = long(index);
        d.bof = d.eof = false;
        return position;
    }
    d.pos = long(d.keys.size());
    d.eof = true;
    d.bof = GetRecordCount() == 0;
    return -1;
}

long CRecordset::GetRecordCount() const
{
    Impl& d = *m_impl;
    if (!d.open)
        return 0;
    if (d.appendOnly)
        return d.appendedOnly;
    if (d.walkDone)
        return long(d.keys.size() - d.deleted);
    // The rows of the open as the table holds them now, and the rows added here.
    if (!d.count || d.countSerial != d.conn->WriteSerial()) {
        auto countOf = [&d](const std::string& sql, bool filtered) {
            PooledStatement stmt = d.Prepared(sql);
            ParameterBinder binder(*stmt);
            if (filtered)
                d.BindRowsParameters(binder);
            stmt->ExecutePrepared();
            const std::string n = stmt->FetchText();
            return long(ParseStoredInteger(n.data(), n.size()));
        };
        // Unfiltered, SQLite counts a whole table without reading its rows:
        // all of them, less the few added since the open.
        const std::string from = " FROM " + d.table;
        d.count = d.filterValues.empty() && m_strFilter.empty()
                      ? countOf("SELECT count(*)" + from, false) -
                            countOf("SELECT count(*)" + from + " WHERE rowid > " + std::to_string(d.maxKey), false)
                      : countOf("SELECT count(*)" + d.whereClauses, true);
        d.countSerial = d.conn->WriteSerial();
    }
    return *d.count + long(d.addedKeys.size());
}

BOOL CRecordset::CanAppend() const
{
    return m_impl->open;
}

BOOL CRecordset::CanUpdate() const
{
    return m_impl->open;
}

namespace {

bool OnRow(const CRecordset::Impl& d)
{
    return d.open && !d.eof && !d.bof && size_t(d.pos) < d.keys.size() && d.keys[size_t(d.pos)] != kDeleted;
}

}  // namespace

void CRecordset::Edit()
{
    Impl& d = *m_impl;
    if (!OnRow(d))
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
    if (wasAdding && OnRow(d))
        d.Load(size_t(d.pos));
}

BOOL CRecordset::Update()
{
    Impl& d = *m_impl;
    if (d.mode == Impl::Mode::none)
        throw CDBException("Update without Edit or AddNew");
    if (!d.open || !m_pDatabase->IsOpen())
        throw CDBException("The database is not open");

    std::vector<size_t>& changed = d.changed;
    std::vector<FieldValue>& now = d.now;
    changed.clear();
    now.resize(d.fields.size());
    for (size_t c = 0; c < d.fields.size(); ++c) {
        now[c] = ReadFieldValue(d.fields[c]);
        if (!(now[c] == d.before[c]))
            changed.push_back(c);
    }
    const Impl::Mode mode = d.mode;
    d.mode = Impl::Mode::none;

    if (mode == Impl::Mode::edit) {
        if (changed.empty())
            return TRUE;
        std::string sql = "UPDATE " + d.table + " SET ";
        for (size_t i = 0; i < changed.size(); ++i)
            sql += (i ? ", " : "") + ToUtf8(d.fields[changed[i]].column) + " = ?";
        sql += " WHERE rowid = ?";
        PooledStatement stmt = d.Prepared(sql);
        ParameterBinder binder(*stmt);
        for (size_t c : changed)
            binder.Bind(now[c], d.fields[c].type);
        binder.Bind(NumberValue(d.keys[size_t(d.pos)]), CFieldExchange::Long);
        stmt->ExecutePrepared();
    } else if (changed.empty()) {
        d.Prepared("INSERT INTO " + d.table + " DEFAULT VALUES")->ExecutePrepared();
    } else {
        Impl::Insert& insert = d.InsertOf(changed);
        for (size_t i = 0; i < changed.size(); ++i)
            insert.parameters.Set(i, now[changed[i]], d.fields[changed[i]].type);
        insert.stmt->ExecutePrepared();
    }

    if (mode == Impl::Mode::edit) {
        d.conn->NoteWrite(d.table, d.keys[size_t(d.pos)], OdbcConnection::WriteKind::update);
        return TRUE;
    }
    // A new row is no row another recordset holds: nothing for them to read again.
    if (d.appendOnly) {
        ++d.appendedOnly;
        return TRUE;
    }
    PooledStatement last = d.Prepared("SELECT last_insert_rowid()");
    last->ExecutePrepared();
    const std::string key = last->FetchText();
    (d.walkDone ? d.keys : d.addedKeys).push_back(ParseStoredInteger(key.data(), key.size()));
    // Back on the row that was current before AddNew.
    if (OnRow(d))
        d.Load(size_t(d.pos));
    return TRUE;
}

void CRecordset::Delete()
{
    Impl& d = *m_impl;
    if (!OnRow(d))
        throw CDBException("No current record to delete");
    const long long key = d.keys[size_t(d.pos)];
    {
        PooledStatement stmt = d.Prepared("DELETE FROM " + d.table + " WHERE rowid = ?");
        ParameterBinder binder(*stmt);
        binder.Bind(NumberValue(key), CFieldExchange::Long);
        stmt->ExecutePrepared();
    }
    d.conn->NoteWrite(d.table, key);
    d.keys[size_t(d.pos)] = kDeleted;
    ++d.deleted;
}
