#include "CDatabase.h"

#include "MessageBox.h"
#include "OdbcConnection.h"
#include "OdbcStatement.h"
#include "SqliteSetup.h"
#include "Utf8Text.h"

CDatabase::CDatabase() = default;
CDatabase::~CDatabase() = default;

BOOL CDatabase::OpenEx(const CString& connect, DWORD options)
{
    Close();
    m_impl = OdbcConnection::Open(connect, options);
    m_strConnect = connect;
    m_strSchema = "main";
    return TRUE;
}

BOOL CDatabase::OpenAttached(const CString& connect, DWORD options, CDatabase& main, const CString& schema)
{
    Close();
    std::shared_ptr<OdbcConnection> own = OdbcConnection::Open(connect, options);
    const std::string file = own->IsSqlite() ? SchemaFile(*own, "main") : std::string();
    OdbcConnection* shared = main.m_impl.get();
    if (file.empty() || !shared || !shared->IsSqlite() || SchemaFile(*shared, "main").empty()) {
        m_impl = std::move(own);
        m_strSchema = "main";
    } else {
        own.reset();  // checked; the file is not kept open twice
        m_strSchema = CString::FromUTF8(AttachFile(*shared, file, ToUtf8(schema)));
        m_impl = main.m_impl;
    }
    m_strConnect = connect;
    return TRUE;
}

BOOL CDatabase::SharesConnectionWith(const CDatabase& other) const
{
    return m_impl && m_impl == other.m_impl;
}

void CDatabase::Close()
{
    m_impl.reset();
}

BOOL CDatabase::IsOpen() const
{
    return m_impl != nullptr;
}

OdbcConnection& CDatabase::Connection() const
{
    if (!m_impl)
        throw CDBException(UiText("数据库没有打开。", "The database is not open."));
    return *m_impl;
}

std::shared_ptr<OdbcConnection> CDatabase::SharedConnection() const
{
    Connection();
    return m_impl;
}

void CDatabase::ExecuteSQL(const CString& sql)
{
    OdbcConnection& conn = Connection();
    OdbcStatement stmt(conn);
    stmt.Execute(ToUtf8(sql));
    stmt.ReadAllRows();
    conn.NoteWrite(std::string(), 0);
}

BOOL CDatabase::BeginTrans()
{
    Connection().Begin();
    return TRUE;
}

BOOL CDatabase::BeginTransLockingWrittenFiles()
{
    Connection().Begin(OdbcConnection::LockAt::firstWrite);
    return TRUE;
}

BOOL CDatabase::CommitTrans()
{
    Connection().Commit();
    return TRUE;
}

BOOL CDatabase::Rollback()
{
    Connection().Rollback();
    return TRUE;
}
