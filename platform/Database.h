// ODBC connection, recordset and field exchange over the narrow ODBC API with
// UTF-8 text. A recordset behaves as a dynaset: its rows are fixed when it
// opens, and a row's values are current whenever the cursor moves onto it,
// also after another recordset on the same connection changed it.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>
#include "COleDateTime.h"
#include "WinTypes.h"

class CDBException : public std::runtime_error
{
public:
    CDBException(const CString& error, const CString& state = CString());
    // Shows m_strError in a message box.
    void ReportError() const;
    // Exceptions are thrown by value; kept so handlers read as the design does.
    void Delete() {}

    CString m_strError;
    CString m_strStateNativeOrigin;
};

class CDatabase
{
public:
    enum DbOpenOptions { openExclusive = 1, openReadOnly = 2, useCursorLib = 4, noOdbcDialog = 8, forceOdbcDialog = 16 };

    CDatabase();
    ~CDatabase();
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;

    // connect: "DSN=Hotel", "ODBC;DSN=Hotel" or "Driver=SQLite3;Database=/path".
    // Throws CDBException with the driver manager's or driver's text. A SQLite
    // file must be writable unless openReadOnly is given; it runs with the
    // journal mode below and synchronous FULL, and with the busy timeout below
    // unless the connect string or data source sets one.
    BOOL OpenEx(const CString& connect, DWORD options = 0);
    // Opens `connect` on the physical connection of `main` when both are SQLite
    // files: the file is attached to it as `schema`, so that one transaction
    // covers both and commits atomically across the files. Any other data
    // source gets a connection of its own, as OpenEx gives it.
    BOOL OpenAttached(const CString& connect, DWORD options, CDatabase& main, const CString& schema);
    // Whether both run on one physical connection, so share its transactions.
    BOOL SharesConnectionWith(const CDatabase& other) const;
    // The schema its file is on in SQL of the connection: "main" on a
    // connection of its own, the attached name otherwise.
    CString GetSchemaName() const { return m_strSchema; }
    // Releases this object's hold on the connection; it closes with the last one.
    void Close();
    BOOL IsOpen() const;
    CString GetConnect() const { return m_strConnect; }
    // Runs a statement that returns no rows; the SQL text is the program's own.
    void ExecuteSQL(const CString& sql);

    // Writes between BeginTrans and CommitTrans reach the files of the
    // connection together, in one commit; Rollback undoes them. Without
    // BeginTrans each write commits. A transaction begun inside another belongs
    // to it: only the outermost commits, and an inner Rollback undoes the whole.
    // A failed commit throws with the driver's text and leaves everything
    // rolled back; after any rollback, recordsets read their rows again.
    BOOL BeginTrans();
    BOOL CommitTrans();
    BOOL Rollback();

    // The physical connection, shared by the CDatabase objects opened on it.
    struct Impl;
    Impl* GetImpl() const { return m_impl.get(); }
    // Throws when the database is not open.
    Impl& Connection() const;

private:
    std::shared_ptr<Impl> m_impl;
    CString m_strConnect;
    CString m_strSchema;
};

// The SQLite driver's Timeout: how long a statement waits for a lock another
// process holds before it fails with "database is locked". The driver tries
// once more after its wait, so a statement gives up after about twice this.
constexpr int kBusyTimeoutMs = 1000;
// The rollback journal every SQLite file of the program runs with.
constexpr const char* kJournalMode = "TRUNCATE";

class CRecordset;

// Collects the bound columns of a recordset during DoFieldExchange.
class CFieldExchange
{
public:
    enum FieldType { Text, Bool, Byte, Long, Date };
    struct Field {
        CString column;  // as written in the exchange, e.g. "[房间号]"
        FieldType type;
        void* member;
    };
    void Add(const CString& column, FieldType type, void* member) { m_fields.push_back({column, type, member}); }
    std::vector<Field> m_fields;
};

void RFX_Text(CFieldExchange* pFX, const CString& column, CString& value, int maxLength = 255);
void RFX_Bool(CFieldExchange* pFX, const CString& column, BOOL& value);
void RFX_Byte(CFieldExchange* pFX, const CString& column, BYTE& value);
void RFX_Long(CFieldExchange* pFX, const CString& column, long& value);
void RFX_Date(CFieldExchange* pFX, const CString& column, COleDateTime& value);

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

    struct Impl;

    // The connection the recordset reads and writes through.
    CDatabase* m_pDatabase;

private:
    void CheckTable();

    std::unique_ptr<Impl> m_impl;
};
