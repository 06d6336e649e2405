// The rows of an open recordset by position, and what is kept of them. The
// rows of the open are read in the query's order by one statement (the walk),
// a block at a time as positions are asked for; their keys are kept, their
// values only for the block at hand. A position far past the rows walked is
// read by an OFFSET query while the table is as it was at the open. A block
// whose rows another recordset on the connection wrote since it was read is
// read again by its keys, so a row's values are current whenever they are
// loaded. Rows the recordset adds come after the rows of the open; rows
// removed, here or through another recordset, keep their position, marked.
#pragma once

#include <climits>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>
#include "ParameterBinder.h"
#include "PooledStatement.h"
#include "RowBlock.h"
#include "StoredValue.h"

class RecordsetQuery;

class RecordsetRows : private RowBlock::LateValues
{
    static constexpr long long kDeleted = LLONG_MIN;      // a row that is no longer there
    static constexpr long long kUnknown = LLONG_MIN + 1;  // a position not read yet

    // A key as it is kept by position. Its bits are stored so that zero
    // stands for a position not read yet: the keys grow over millions of
    // positions when the cursor jumps far, and memory the system hands out
    // zeroed is then neither written nor taken for the positions never read.
    class KeptKey
    {
    public:
        KeptKey() = default;  // left as the memory was: zero, not read yet
        KeptKey(long long key) : m_bits(key ^ kUnknown) {}
        operator long long() const { return m_bits ^ kUnknown; }

    private:
        long long m_bits;
    };
    // Hands out memory zeroed by the system (calloc), and leaves new elements as they are.
    template <class T>
    struct ZeroedAllocator
    {
        using value_type = T;
        ZeroedAllocator() = default;
        template <class U>
        ZeroedAllocator(const ZeroedAllocator<U>&)
        {
        }
        T* allocate(size_t n);
        void deallocate(T* p, size_t) { std::free(p); }
        template <class U>
        void construct(U* p)
        {
            ::new (static_cast<void*>(p)) U;
        }
        template <class U, class... Args>
        void construct(U* p, Args&&... args)
        {
            ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
        }
        bool operator==(const ZeroedAllocator&) const { return true; }
        bool operator!=(const ZeroedAllocator&) const { return false; }
    };
    using Keys = std::vector<KeptKey, ZeroedAllocator<KeptKey>>;

public:
    // `query` must outlive the rows.
    explicit RecordsetRows(const RecordsetQuery& query) : m_query(query) {}

    // Gets ready for the query's columns; an append-only recordset reads no rows.
    void Open(bool appendOnly);
    void Close();
    bool AppendOnly() const { return m_appendOnly; }
    // Forgets every row, then starts the walk of the query's rows, or with
    // none at all.
    void Reset();
    void Start();
    void StartEmpty();

    // Whether position `index` exists; its key is known when it does.
    bool Known(size_t index);
    // Moves the values of an existing position into the bound members; false
    // when its row is no longer there.
    bool Load(size_t index);
    // Loads the first row still there from `index` on and leaves `index` on
    // it; false at the end, with `index` one past the last position.
    bool LoadFrom(size_t& index);
    // The slot of the block that holds the current values of an existing
    // position, read again when they changed; -1 when its row is no longer there.
    long CurrentSlot(size_t index);
    // The value of field `field` (by the exchange's order) at that slot,
    // valid until the block is read again.
    StoredField Stored(long slot, size_t field);
    // Walks to the end of the rows: every position is known after it.
    void ReadToEnd();
    // One past the last position known.
    size_t End() const { return m_keys.size(); }
    // Whether a known position's row is still there as far as this recordset saw.
    bool Exists(size_t index) const;
    long long Key(size_t index) const { return m_keys[index]; }

    // The position of the `ordinal`-th row that is still there, from `from`
    // on. Returns false at the end, with `index` one past the last position.
    bool Advance(size_t from, long ordinal, size_t& index);
    // The position of `index` as a walk counts it: rows found gone are not counted.
    long OrdinalOf(size_t index);
    // The keys of the rows that `narrowing` with `values` may select, in the
    // rows' order, the rows added here last.
    std::vector<long long> Candidates(const std::string& narrowing, const std::vector<CString>& values);
    // Where the row with `key` stands among the rows; false when it is none of them.
    bool IndexOfKey(long long key, size_t& index);

    // The rows that are still there, those added here included.
    long Count();
    // Writes made through this recordset.
    void NoteAdded(long long key);
    void NoteAppended() { ++m_appendedOnly; }
    void MarkDeleted(size_t index);

private:
    const std::string& Text(long long key, const CFieldExchange::Field& field) override;

    bool TableChanged() const;
    void StartWalk();
    void ResumeWalk();
    void TakeBlock(size_t first, SQLULEN rows);
    void TruncateKeys(size_t size);
    void EndWalk();
    SQLULEN TakeFetchedRows(size_t first);
    bool WalkOn();
    void MarkRemovedSinceWalk(size_t first, SQLULEN rows);
    bool WalkMayGiveRemovedRows() const;
    bool Jump(size_t index);
    void DropJumpsIfChanged();
    void ReadBlockAgain(size_t index);
    long SlotOf(size_t index) const;
    bool MarkRemovals();
    bool ReadRemainingKeys();
    // Where `key` stands among the keys known; false when it is none of them.
    bool FindKnown(long long key, size_t& index) const;

    const RecordsetQuery& m_query;
    bool m_appendOnly = false;
    long m_appendedOnly = 0;  // rows an append-only recordset added
    // When the rows were fixed: positions read by OFFSET queries hold while
    // the table has not changed since.
    unsigned long m_openSerial = 0;

    // The walk, and the keys by position.
    std::optional<PooledStatement> m_walk;
    std::optional<ParameterBinder> m_walkParameters;  // alive while the walk's statement runs
    // When the walk's statement ran: a sorted result holds the values as they
    // were then, so its rows count as read at that moment.
    unsigned long m_walkSerial = 0;
    unsigned long m_walkCursor = 0;  // the connection's CursorsClosed then
    bool m_walkDone = false;
    size_t m_walkRead = 0;               // positions the walk has given
    size_t m_openRows = 0;               // once the walk has ended: the rows of the open, before those added
    Keys m_keys;                         // by position; past m_walkRead only what OFFSET queries gave
    std::vector<long long> m_addedKeys;  // rows added before the walk ended, which come after it
    size_t m_deleted = 0;                // removed entries in m_keys
    unsigned long m_removalsSerial = 0;  // rows removed up to this write are marked in m_keys
    bool m_removalsKnown = true;         // false once the log could not tell which rows went

    // The block at hand: positions [m_blockFirst, m_blockEnd), at slots of the block.
    std::optional<RowBlock> m_block;
    size_t m_blockFirst = 0, m_blockEnd = 0;
    std::vector<long> m_slots;  // by position - m_blockFirst; -1: not in the block; empty: slot = offset
    unsigned long m_blockSerial = 0;
    std::unordered_map<long long, std::string> m_lateTexts;  // by key * field count + field

    std::optional<long> m_count;  // the rows of the open, while the walk has not ended
    unsigned long m_countSerial = 0;
};
