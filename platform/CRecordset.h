// A recordset over one table of a CDatabase. It behaves as a dynaset: its
// rows are fixed when it opens, and a row's values are current whenever the
// cursor moves onto it, also after another recordset on the same connection
// changed it. The class holds the cursor; RecordsetQuery spells its SQL,
// RecordsetRows keeps its rows by position and RecordsetWriter writes them.
#pragma once

#include <functional>
#include <memory>
#include <vector>
#include "CDatabase.h"
#include "CFieldExchange.h"
#include "CFilterValue.h"
#include "StoredValue.h"

class CRecordset
{
public:
    enum OpenType { dynaset = 0, snapshot = 1, forwardOnly = 3, AFX_DB_USE_DEFAULT_TYPE = 0xFFFFFFFF };
    // Open options. An append-only recordset reads no rows: it only adds them.
    enum OpenOptions : DWORD { none = 0, appendOnly = 0x8 };

    explicit CRecordset(CDatabase* pDatabase);
    virtual ~CRecordset();
    CRecordset(const CRecordset&) = delete;
    CRecordset& operator=(const CRecordset&) = delete;

    // Opens on the rows of GetDefaultSQL's table that m_strFilter (with
    // m_filterValues) lets through, ordered by m_strSort, and moves to the
    // first; with appendOnly it reads none and stands at the end. Rows are read
    // a block at a time as the cursor reaches them; rows that other recordsets
    // add later are not among them (Requery reads them).
    virtual BOOL Open(UINT openType = AFX_DB_USE_DEFAULT_TYPE, const CString& sql = CString(), DWORD options = 0);
    void Close();
    BOOL IsOpen() const;

    void MoveFirst();
    void MoveNext();
    void MovePrev();
    void MoveLast();
    // Both cost a block, not a walk, while the table is as it was at the open.
    void Move(long rows);
    void SetAbsolutePosition(long row);  // 1-based, as the class library counts
    // Walks every row from the first to the end as MoveFirst and MoveNext
    // do, but sets no member: `visit` reads the row it is on through Stored,
    // and returns false to stop there. A reader of every row (an export)
    // spares converting values it only writes out again. `visit` must not
    // move the recordset; the members are left as they were.
    void WalkStored(const std::function<bool()>& visit);
    // In `visit`: the value the row holds in the column bound to `member`
    // (one of this recordset's own), valid until `visit` returns.
    StoredField Stored(const void* member);
    BOOL IsEOF() const;
    BOOL IsBOF() const;
    // The rows of the recordset that are still there, its own additions included.
    long GetRecordCount() const;
    // The rows of the table that m_strFilter keeps, counted by the database
    // without reading them: what GetRecordCount gives right after Open. The
    // recordset need not be open.
    long CountRows();
    // Moves to the first row, in this recordset's order, that the condition
    // `narrowing` selects and `accept` then accepts, and returns its 0-based
    // position as a walk from MoveFirst counts it; none: the end and -1.
    // `narrowing` is SQL of the program's own with a "?" for each of `values`,
    // bound as parameters; it only spares reading rows, so it must select
    // every row `accept` takes; an empty one reads every row. `accept` looks
    // at the bound members.
    long FindFirst(const CString& narrowing, const std::vector<CString>& values, const std::function<bool()>& accept);
    BOOL CanAppend() const;
    BOOL CanUpdate() const;

    void Edit();
    void AddNew();
    // Writes what Edit or AddNew changed; values go as bound parameters.
    BOOL Update();
    void CancelUpdate();
    void Delete();
    // Changes the current row in one statement, only where `condition` still
    // holds in the table: `assignments` and `condition` are SQL of the
    // program's own over the row's columns ("[房间人数] = [房间人数] - 1" where
    // "[房间人数] > 0"), with a "?" for each of `values`, in order. True when
    // the row was written; the members are read again either way.
    BOOL UpdateWhere(const CString& assignments, const CString& condition, const std::vector<CFilterValue>& values);
    BOOL Requery();

    // SQL text of the program's own (column names and ASC/DESC), never values:
    // the values of the filter's "?" marks go in m_filterValues, in order. (The
    // driver reads the rows of a filter with values at the open, so such a
    // filter should let few through.)
    CString m_strSort;
    CString m_strFilter;
    std::vector<CFilterValue> m_filterValues;
    UINT m_nFields = 0;
    UINT m_nDefaultType = snapshot;

    virtual CString GetDefaultConnect() = 0;
    virtual CString GetDefaultSQL() = 0;
    virtual void DoFieldExchange(CFieldExchange* pFX) = 0;

    // The connection the recordset reads and writes through.
    CDatabase* m_pDatabase;

private:
    // The parts and the cursor.
    struct Impl;

    // Moves onto the `ordinal`-th row that is still there (0-based), or one
    // past the last; throws beyond that, as a walk of MoveNext would.
    void MoveToOrdinal(long ordinal);
    // Whether the cursor stands on a row that is still there.
    bool OnRow() const;
    void ThrowUnlessOpen() const;

    std::unique_ptr<Impl> m_impl;
};
