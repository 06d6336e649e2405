#include "CDatabase.h"

#include "ConnectString.h"
#include "MessageBox.h"
#include "OdbcConnection.h"
#include "OdbcStatement.h"
#include "ServerSetup.h"
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

namespace {

// What tells the database of a connection: a SQLite file's path, a server's
// database, or nothing for a SQLite database in memory.
struct Reached
{
    std::string file;
    std::string server;
};

Reached DatabaseOf(OdbcConnection& conn)
{
    if (conn.IsSqlite())
        return {SchemaFile(conn, "main"), std::string()};
    return {std::string(), ServerDatabase(conn)};
}

// Why `source` cannot join the data source `main` names.
CString NotOneDatabase(const CString& mainConnect)
{
    CString main = ConnectAttribute(mainConnect, "DSN");
    if (main.empty())
        main = mainConnect;
    const CString sentence = UiText("这个数据源与 %s 不在同一个数据库上：\n一次操作不能在两个数据库上一起提交。",
                                    "This data source is not on the database of %s:\nan operation could not "
                                    "commit on both at once.");
    return wxString::Format(sentence, main);
}

}  // namespace

BOOL CDatabase::OpenAttached(const CString& connect, DWORD options, CDatabase& main, const CString& schema)
{
    Close();
    std::shared_ptr<OdbcConnection> own = OdbcConnection::Open(connect, options);
    m_strConnect = connect;
    m_strSchema = "main";
    OdbcConnection* shared = main.m_impl.get();
    const Reached mine = DatabaseOf(*own);
    const Reached theirs = shared ? DatabaseOf(*shared) : Reached();
    if (!mine.file.empty() && !theirs.file.empty()) {
        own.reset();  // checked; the file is not kept open twice
        m_strSchema = CString::FromUTF8(AttachFile(*shared, mine.file, ToUtf8(schema)));
        m_impl = main.m_impl;
    } else if (!mine.server.empty() && mine.server == theirs.server) {
        m_impl = main.m_impl;  // one connection, one transaction, one commit
    } else if (shared && (!mine.server.empty() || !theirs.server.empty())) {
        throw CDBException(NotOneDatabase(main.m_strConnect));
    } else {
        m_impl = std::move(own);  // a database in memory is all or nothing by itself
    }
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
