// A recordset over one table of a CDatabase. It behaves as a dynaset: its
// rows are fixed when it opens, and a row's values are current whenever the
// cursor moves onto it, also after another recordset on the same connection
// changed it.
#pragma once

#include <memory>
#include "CDatabase.h"
#include "CFieldExchange.h"

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

    // Reads the keys of all rows of GetDefaultSQL's table, filtered by m_strFilter
    // and ordered by m_strSort, and moves to the first row; with appendOnly it
    // reads none and stands at the end.
    virtual BOOL Open(UINT openType = AFX_DB_USE_DEFAULT_TYPE, const CString& sql = CString(), DWORD options = 0);
    void Close();
    BOOL IsOpen() const;

    void MoveFirst();
    void MoveNext();
    void MovePrev();
    void MoveLast();
    void Move(long rows);
    void SetAbsolutePosition(long row);  // 1-based, as the class library counts
    BOOL IsEOF() const;
    BOOL IsBOF() const;
    long GetRecordCount() const;
    BOOL CanAppend() const;
    BOOL CanUpdate() const;

    void Edit();
    void AddNew();
    // Writes what Edit or AddNew changed; values go as bound parameters.
    BOOL Update();
    void CancelUpdate();
    void Delete();
    BOOL Requery();

    // SQL text of the program's own (column names and ASC/DESC), never values.
    CString m_strSort;
    CString m_strFilter;
    UINT m_nFields = 0;
    UINT m_nDefaultType = snapshot;

    virtual CString GetDefaultConnect() = 0;
    virtual CString GetDefaultSQL() = 0;
    virtual void DoFieldExchange(CFieldExchange* pFX) = 0;

    // The rows read and the cursor; shared with the functions that fetch them.
    struct Impl;

    // The connection the recordset reads and writes through.
    CDatabase* m_pDatabase;

private:
    void CheckTable();

    std::unique_ptr<Impl> m_impl;
};
