#include "SqliteSetup.h"

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <sqlite3.h>
#include <unistd.h>
#include "CDBException.h"
#include "CDatabase.h"
#include "MessageBox.h"
#include "OdbcConnection.h"
#include "OdbcStatement.h"

namespace {

// SQLite opens a file lazily: reading the catalogue makes a file that is no
// database fail here, at the open, with the driver's text.
void VerifyReadable(OdbcConnection& conn, const std::string& schema)
{
    // The driver's catalogue functions hide this error, so ask SQLite's own catalogue.
    QueryText(conn, "SELECT count(*) FROM " + schema + ".sqlite_master");
}

// SQLite quietly opens a file it may not write read-only. The connection is
// read-write, so such a file fails here, at the open, before anything is written.
void VerifyWritable(const std::string& file)
{
    const size_t slash = file.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : file.substr(0, slash + 1);
    for (const std::string& path : {file, folder}) {
        if (access(path.c_str(), W_OK) != 0) {
            const int error = errno;
            const CString sentence = UiText("数据库不能写入：%s", "The database cannot be written: %s");
            throw CDBException(WithSystemText(wxString::Format(sentence, wxString::FromUTF8(path)),
                                              wxString::FromUTF8(std::strerror(error))));
        }
    }
}

// Every SQLite file runs with a rollback journal, where SQLite commits a
// transaction over attached files atomically (in WAL mode it does not), and
// TRUNCATE with synchronous FULL makes a returned commit survive a power cut
// (a deleted journal could come back after one). A file left in WAL mode is
// converted here.
void PrepareSchema(OdbcConnection& conn, const std::string& schema)
{
    OdbcStatement(conn).Execute("PRAGMA " + schema + ".synchronous = FULL");
    const std::string mode = QueryText(conn, "PRAGMA " + schema + ".journal_mode = " + kJournalMode);
    if (CString::FromUTF8(mode).CmpNoCase(kJournalMode) != 0) {
        const CString sentence = UiText("数据库不能离开 %s 日志模式：可能有另一个程序正在使用它。",
                                        "The database cannot leave %s journal mode; another program may have it open.");
        throw CDBException(wxString::Format(sentence, wxString::FromUTF8(mode)));
    }
}

}  // namespace

void ConfigureSqliteLibrary()
{
    static const bool configured = [] {
        // The library the driver is linked with, loaded and kept before the driver is.
        void* library = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_GLOBAL);
        if (!library)
            return false;
        auto config = reinterpret_cast<decltype(&sqlite3_config)>(dlsym(library, "sqlite3_config"));
        if (!config)
            return false;
        config(SQLITE_CONFIG_MULTITHREAD);
        config(SQLITE_CONFIG_MEMSTATUS, 0);
        return true;
    }();
    (void)configured;
}

std::string SchemaFile(OdbcConnection& conn, const std::string& schema)
{
    return QueryText(conn, "SELECT file FROM pragma_database_list WHERE name = ?", &schema);
}

void PrepareSqlite(OdbcConnection& conn, DWORD options)
{
    VerifyReadable(conn, "main");
    const std::string file = SchemaFile(conn, "main");
    if (file.empty() || (options & CDatabase::openReadOnly))
        return;
    VerifyWritable(file);
    PrepareSchema(conn, "main");
}

std::string AttachFile(OdbcConnection& conn, const std::string& file, const std::string& schema)
{
    const std::string present = QueryText(conn, "SELECT name FROM pragma_database_list WHERE file = ?", &file);
    if (!present.empty())
        return present;
    if (!SchemaFile(conn, schema).empty())
        OdbcStatement(conn).Execute("DETACH DATABASE " + schema);  // the name held another file before
    {
        OdbcStatement attach(conn);
        SQLLEN length = 0;
        attach.BindText(1, file, length);
        attach.Execute("ATTACH DATABASE ? AS " + schema);
    }
    try {
        VerifyReadable(conn, schema);
        PrepareSchema(conn, schema);
    } catch (const CDBException&) {
        conn.Run(("DETACH DATABASE " + schema).c_str());
        throw;
    }
    return schema;
}
