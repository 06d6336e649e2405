#include "RecordsetRows.h"

#include <algorithm>
#include <climits>
#include "OdbcConnection.h"
#include "RankSamples.h"
#include "RecordsetQuery.h"

namespace {

constexpr size_t kBlock = RowBlock::kRows;
// A position this far past the rows walked is read by an OFFSET query.
constexpr size_t kJumpRows = 2 * kBlock;

// Appends the keys an executed statement gives in its first column.
template <class Keys>
void AppendKeys(PooledStatement& stmt, Keys& keys)
{
    for (std::string key; !(key = stmt->FetchFirstOfNext()).empty();)
        keys.push_back(ParseStoredInteger(key));
}

}  // namespace

template <class T>
T* RecordsetRows::ZeroedAllocator<T>::allocate(size_t n)
{
    if (T* p = static_cast<T*>(std::calloc(n, sizeof(T))))
        return p;
    throw std::bad_alloc();
}

void RecordsetRows::Open(bool appendOnly)
{
    m_block.emplace(m_query.Fields(), m_query.KeyField());
    m_appendOnly = appendOnly;
    m_appendedOnly = 0;
}

void RecordsetRows::Close()
{
    Reset();
    m_block.reset();
}

void RecordsetRows::Reset()
{
    m_walkParameters.reset();
    m_walk.reset();
    m_walkDone = false;
    m_walkRead = 0;
    m_keys.clear();
    m_addedKeys.clear();
    m_deleted = 0;
    m_removalsKnown = true;
    m_blockFirst = m_blockEnd = 0;
    m_slots.clear();
    m_lateTexts.clear();
    m_count.reset();
}

void RecordsetRows::Start()
{
    m_openSerial = m_query.Connection().WriteSerial();
    m_removalsSerial = m_openSerial;
    StartWalk();
}

void RecordsetRows::StartEmpty()
{
    Reset();
    m_walkDone = true;
    m_openRows = 0;
}

// Whether positions read by OFFSET queries may have moved since the open:
// rows gone, or, under a filter or an order, rows changed.
bool RecordsetRows::TableChanged() const
{
    return m_query.Connection().TableChangedSince(m_query.Table(), m_openSerial, m_query.InKeyOrder());
}

void RecordsetRows::StartWalk()
{
    m_walk.emplace(m_query.Prepared(m_query.SelectRows()));
    m_walkParameters.emplace(**m_walk);
    m_query.BindFilter(*m_walkParameters);
    (*m_walk)->ExecutePrepared();
    m_walkSerial = m_query.Connection().WriteSerial();
    m_walkCursor = m_query.Connection().CursorsClosed();
}

// A server's rollback closed the walk's cursor: the walk runs again from the
// position it had reached.
void RecordsetRows::ResumeWalk()
{
    m_walkParameters.reset();
    m_walk.emplace(m_query.Prepared(m_query.SelectRowsAt()));
    m_walkParameters.emplace(**m_walk);
    m_query.BindFilter(*m_walkParameters);
    m_walkParameters->BindNumber(LLONG_MAX);
    m_walkParameters->BindNumber(static_cast<long long>(m_walkRead));
    (*m_walk)->ExecutePrepared();
    m_walkSerial = m_query.Connection().WriteSerial();
    m_walkCursor = m_query.Connection().CursorsClosed();
}

void RecordsetRows::TakeBlock(size_t first, SQLULEN rows)
{
    m_blockFirst = first;
    m_blockEnd = first + rows;
    m_slots.clear();
    m_blockSerial = m_query.Connection().WriteSerial();
    m_lateTexts.clear();
}

void RecordsetRows::TruncateKeys(size_t size)
{
    if (size >= m_keys.size())
        return;
    m_deleted -= size_t(std::count(m_keys.begin() + long(size), m_keys.end(), kDeleted));
    m_keys.resize(size);
}

void RecordsetRows::EndWalk()
{
    m_walkParameters.reset();
    m_walk.reset();  // the statement and its read lock go back at once
    m_walkDone = true;
    TruncateKeys(m_walkRead);
    m_openRows = m_walkRead;
    m_keys.insert(m_keys.end(), m_addedKeys.begin(), m_addedKeys.end());
    m_addedKeys.clear();
}

// The rows just fetched into the block, as the positions from `first` on.
SQLULEN RecordsetRows::TakeFetchedRows(size_t first)
{
    const SQLULEN rows = m_block->Rows();
    if (m_keys.size() < first + rows)
        m_keys.resize(first + rows);
    for (SQLULEN r = 0; r < rows; ++r)
        m_keys[first + r] = m_block->Key(r);
    TakeBlock(first, rows);
    return rows;
}

// Reads the walk's next block; false at its end.
bool RecordsetRows::WalkOn()
{
    if (m_walkDone)
        return false;
    if (m_walkCursor != m_query.Connection().CursorsClosed())
        ResumeWalk();
    if (!m_block->Fetch(**m_walk)) {
        EndWalk();
        return false;
    }
    const SQLULEN rows = TakeFetchedRows(m_walkRead);
    m_blockSerial = m_walkSerial;
    MarkRemovedSinceWalk(m_walkRead, rows);
    m_walkRead += rows;
    if (rows < kBlock)
        EndWalk();
    return true;
}

void RecordsetRows::ReadToEnd()
{
    while (WalkOn()) {
    }
}

// The walk's result holds the rows as they were when it ran (a server's, or a
// sorted one): those among positions [first, first + rows) that were removed
// through another recordset since are marked, as MarkRemovals marked the
// rows known then. When the log cannot tell, every row is read as it is passed.
void RecordsetRows::MarkRemovedSinceWalk(size_t first, SQLULEN rows)
{
    std::vector<long long> removed;
    if (m_walkSerial == m_query.Connection().WriteSerial() ||
        !m_query.Connection().RemovalsSince(m_query.Table(), m_walkSerial, removed) || removed.empty())
        return;
    std::sort(removed.begin(), removed.end());
    for (size_t i = first; i < first + rows; ++i) {
        if (std::binary_search(removed.begin(), removed.end(), m_keys[i])) {
            m_keys[i] = kDeleted;
            ++m_deleted;
        }
    }
}

// Whether rows the walk has yet to give may be rows removed since it ran.
bool RecordsetRows::WalkMayGiveRemovedRows() const
{
    std::vector<long long> removed;
    return !m_walkDone && m_walkSerial != m_query.Connection().WriteSerial() &&
           (!m_query.Connection().RemovalsSince(m_query.Table(), m_walkSerial, removed) || !removed.empty());
}

// Reads the block of `index` with an OFFSET query; false past the open's
// rows. In key order the rank samples start it near the block.
bool RecordsetRows::Jump(size_t index)
{
    const size_t first = index - index % kBlock;
    RankSamples::Start start{0, false, static_cast<long long>(first)};
    if (m_query.InKeyOrder())
        start = RankSamples::Of(m_query.Connection(), m_query.Table(), m_query.KeyColumn())
                    .StartOf(static_cast<long long>(first));
    PooledStatement stmt =
        m_query.Prepared(m_query.InKeyOrder() ? m_query.SelectRowsFromKey(start.after) : m_query.SelectRowsAt());
    ParameterBinder binder(*stmt);
    m_query.BindFilter(binder);
    if (m_query.InKeyOrder())
        binder.BindNumber(start.key);
    binder.BindNumber(static_cast<long long>(kBlock));
    binder.BindNumber(start.skip);
    stmt->ExecutePrepared();
    return m_block->Fetch(*stmt) && index < first + TakeFetchedRows(first);
}

// Positions read by OFFSET queries hold only while the table is as it was.
void RecordsetRows::DropJumpsIfChanged()
{
    if (m_walkDone || m_keys.size() <= m_walkRead || !TableChanged())
        return;
    TruncateKeys(m_walkRead);
    if (m_blockEnd > m_walkRead)
        m_blockFirst = m_blockEnd = 0;
}

bool RecordsetRows::Known(size_t index)
{
    DropJumpsIfChanged();
    if (index < m_keys.size() && m_keys[index] != kUnknown)
        return true;
    if (m_walkDone)
        return false;
    if (index >= m_walkRead + kJumpRows && !TableChanged()) {
        if (Jump(index))
            return true;
        if (m_addedKeys.empty())
            return false;  // past the open's rows, and none added here
    }
    while (m_walkRead <= index)
        if (!WalkOn())
            return index < m_keys.size();
    return true;
}

// Reads again, by their keys, the rows of the block around `index`; rows
// that are no longer there are marked so.
void RecordsetRows::ReadBlockAgain(size_t index)
{
    const size_t first = index - index % kBlock;
    const size_t end = std::min(first + kBlock, m_keys.size());
    std::vector<long long> wanted;
    for (size_t i = first; i < end; ++i)
        if (m_keys[i] != kDeleted && m_keys[i] != kUnknown)
            wanted.push_back(m_keys[i]);
    TakeBlock(first, end - first);
    m_slots.assign(end - first, -1);
    if (wanted.empty())
        return;
    // Always as many marks, so that one prepared statement serves every block.
    PooledStatement stmt = m_query.Prepared(m_query.SelectRowsByKeys(kBlock));
    ParameterBinder binder(*stmt);
    for (size_t i = 0; i < kBlock; ++i)
        binder.BindNumber(i < wanted.size() ? wanted[i] : wanted.front());
    stmt->ExecutePrepared();
    std::unordered_map<long long, long> slotOfKey;
    if (m_block->Fetch(*stmt))
        for (SQLULEN r = 0; r < m_block->Rows(); ++r)
            slotOfKey.emplace(m_block->Key(r), long(r));
    for (size_t i = first; i < end; ++i) {
        if (m_keys[i] == kDeleted || m_keys[i] == kUnknown)
            continue;
        const auto it = slotOfKey.find(m_keys[i]);
        if (it != slotOfKey.end()) {
            m_slots[i - first] = it->second;
        } else {
            m_keys[i] = kDeleted;  // removed through another recordset
            ++m_deleted;
        }
    }
}

long RecordsetRows::SlotOf(size_t index) const
{
    if (index < m_blockFirst || index >= m_blockEnd)
        return -1;
    return m_slots.empty() ? long(index - m_blockFirst) : m_slots[index - m_blockFirst];
}

long RecordsetRows::CurrentSlot(size_t index)
{
    if (m_keys[index] == kDeleted)
        return -1;
    const long slot = SlotOf(index);
    const OdbcConnection& conn = m_query.Connection();
    if (slot >= 0 &&
        (m_blockSerial == conn.WriteSerial() || conn.Unchanged(m_query.Table(), m_keys[index], m_blockSerial)))
        return slot;
    ReadBlockAgain(index);
    return m_keys[index] == kDeleted ? -1 : SlotOf(index);
}

bool RecordsetRows::Load(size_t index)
{
    const long slot = CurrentSlot(index);
    if (slot < 0)
        return false;
    m_block->ToMembers(SQLULEN(slot), *this);
    return true;
}

bool RecordsetRows::LoadFrom(size_t& index)
{
    for (; Known(index); ++index)
        if (Load(index))
            return true;
    return false;
}

StoredField RecordsetRows::Stored(long slot, size_t field)
{
    return m_block->Stored(SQLULEN(slot), field, *this);
}

bool RecordsetRows::Exists(size_t index) const
{
    return index < m_keys.size() && m_keys[index] != kDeleted;
}

// Marks the rows other recordsets removed since the last look; false when
// the log could not tell which, and every row passed must then be read.
bool RecordsetRows::MarkRemovals()
{
    DropJumpsIfChanged();
    if (!m_removalsKnown)
        return false;
    std::vector<long long> removed;
    const OdbcConnection& conn = m_query.Connection();
    if (!conn.RemovalsSince(m_query.Table(), m_removalsSerial, removed)) {
        m_removalsKnown = false;
        return false;
    }
    m_removalsSerial = conn.WriteSerial();
    if (removed.empty())
        return true;
    std::sort(removed.begin(), removed.end());
    for (KeptKey& key : m_keys) {
        if (key != kDeleted && key != kUnknown && std::binary_search(removed.begin(), removed.end(), static_cast<long long>(key))) {
            key = kDeleted;
            ++m_deleted;
        }
    }
    for (long long key : removed)
        m_addedKeys.erase(std::remove(m_addedKeys.begin(), m_addedKeys.end(), key), m_addedKeys.end());
    return true;
}

bool RecordsetRows::Advance(size_t from, long ordinal, size_t& index)
{
    const bool marked = MarkRemovals();
    index = from;
    for (;;) {
        if (marked && m_deleted == 0 && ordinal > 0 && !WalkMayGiveRemovedRows()) {
            index += size_t(ordinal);  // no row to skip: straight there
            ordinal = 0;
        }
        if (!Known(index))
            return false;
        if (m_keys[index] != kDeleted && (marked || Load(index))) {
            if (ordinal == 0)
                return true;
            --ordinal;
        }
        ++index;
    }
}

long RecordsetRows::OrdinalOf(size_t index)
{
    if (MarkRemovals() && m_deleted == 0)
        return long(index);
    long live = 0;
    const bool marked = m_removalsKnown;
    for (size_t i = 0; i < index; ++i)
        if (m_keys[i] != kDeleted && (marked || Load(i)))
            ++live;
    return live;
}

std::vector<long long> RecordsetRows::Candidates(const std::string& narrowing, const std::vector<CString>& values)
{
    PooledStatement stmt = m_query.Prepared(m_query.SelectKeysWhere(narrowing));
    ParameterBinder binder(*stmt);
    m_query.BindFilter(binder);
    for (const CString& value : values)
        binder.Bind(CFilterValue(value));
    stmt->ExecutePrepared();
    std::vector<long long> found;
    AppendKeys(stmt, found);
    // Rows added here stand after the open's; the narrowing only spares reads.
    found.insert(found.end(), m_addedKeys.begin(), m_addedKeys.end());
    if (m_walkDone)
        found.insert(found.end(), m_keys.begin() + long(std::min(m_openRows, m_keys.size())), m_keys.end());
    return found;
}

// The keys of every row past the walk, read alone, so that a row's
// position is known without reading the rows before it. Needs the rows
// gone from the walked ones marked; false when they are not.
bool RecordsetRows::ReadRemainingKeys()
{
    if (m_walkDone)
        return true;
    if (!MarkRemovals())
        return false;
    const size_t live = m_walkRead - size_t(std::count(m_keys.begin(), m_keys.begin() + long(m_walkRead), kDeleted));
    PooledStatement stmt = m_query.Prepared(m_query.SelectKeysFrom(live));
    ParameterBinder binder(*stmt);
    m_query.BindFilter(binder);
    stmt->ExecutePrepared();
    if (m_blockEnd > m_walkRead)
        m_blockFirst = m_blockEnd = 0;  // positions past the walk are read anew
    TruncateKeys(m_walkRead);
    AppendKeys(stmt, m_keys);
    m_walkRead = m_keys.size();
    EndWalk();
    return true;
}

bool RecordsetRows::IndexOfKey(long long key, size_t& index)
{
    DropJumpsIfChanged();
    // While the rows are as the open fixed them and some are still unread, a
    // row's position is the number of rows before it, which the database
    // counts: in key order from the rank samples, else by one statement over
    // the filter and the sort. Rows added here stand after all of those.
    if (!m_walkDone && key <= m_query.MaxKey() && !TableChanged()) {
        const long long before =
            m_query.InKeyOrder()
                ? RankSamples::Of(m_query.Connection(), m_query.Table(), m_query.KeyColumn()).RankOf(key)
                : m_query.RowsBefore(key);
        if (before >= 0) {
            index = size_t(before);
            if (index >= m_keys.size())
                m_keys.resize(index + 1);
            if (m_keys[index] == kUnknown)
                m_keys[index] = key;
            if (m_keys[index] == key)
                return true;
        }
    }
    if (FindKnown(key, index))
        return true;
    // Past the rows of the open stand only the rows added here.
    if (m_walkDone ||
        (key > m_query.MaxKey() && std::find(m_addedKeys.begin(), m_addedKeys.end(), key) == m_addedKeys.end()))
        return false;
    // The keys past the walk read alone follow the rows of the open only in
    // key order, or while nothing was written: a row changed since may have
    // moved in the sort or left the filter, and only the walk itself places
    // the rows as it does.
    if (!(m_query.InKeyOrder() || !TableChanged()) || !ReadRemainingKeys())
        ReadToEnd();
    return FindKnown(key, index);
}

bool RecordsetRows::FindKnown(long long key, size_t& index) const
{
    const auto known = std::find(m_keys.begin(), m_keys.end(), key);
    index = size_t(known - m_keys.begin());
    return known != m_keys.end();
}

long RecordsetRows::Count()
{
    if (m_appendOnly)
        return m_appendedOnly;
    if (m_walkDone)
        return long(m_keys.size() - m_deleted);
    // The rows of the open as the table holds them now, and the rows added here.
    const OdbcConnection& conn = m_query.Connection();
    if (!m_count || m_countSerial != conn.WriteSerial()) {
        // Unfiltered, SQLite counts a whole table without reading its rows:
        // all of them, less the few added since the open.
        m_count = long(m_query.Filtered() ? m_query.Number(m_query.CountRows(), true)
                                          : m_query.Number(m_query.CountTable()) -
                                                m_query.Number(m_query.CountAddedSinceOpen()));
        m_countSerial = conn.WriteSerial();
        // The same rows are what a jump in key order counts from the end.
        if (m_query.InKeyOrder())
            RankSamples::Of(m_query.Connection(), m_query.Table(), m_query.KeyColumn())
                .NoteRows(m_query.MaxKey(), *m_count);
    }
    return *m_count + long(m_addedKeys.size());
}

void RecordsetRows::NoteAdded(long long key)
{
    if (m_walkDone)
        m_keys.push_back(key);
    else
        m_addedKeys.push_back(key);
}

void RecordsetRows::MarkDeleted(size_t index)
{
    m_keys[index] = kDeleted;
    ++m_deleted;
}

const std::string& RecordsetRows::Text(long long key, const CFieldExchange::Field& field)
{
    const std::vector<CFieldExchange::Field>& fields = m_query.Fields();
    const long long slot = key * static_cast<long long>(fields.size()) + (&field - fields.data());
    const auto it = m_lateTexts.find(slot);
    if (it != m_lateTexts.end())
        return it->second;
    PooledStatement stmt = m_query.Prepared(m_query.SelectColumnOfRow(field));
    ParameterBinder binder(*stmt);
    binder.BindNumber(key);
    stmt->ExecutePrepared();
    return m_lateTexts.emplace(slot, stmt->FetchText()).first->second;
}
