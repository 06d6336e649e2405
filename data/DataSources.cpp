#include "DataSources.h"

#include "CCashbookset.h"
#include "CHouseset.h"
#include "CRegisterset.h"
#include "MessageBox.h"
#include "OdbcInstaller.h"
#include "OdbcConnection.h"
#include "ProgramFolder.h"
#include "SqliteSetup.h"
#include <wx/filefn.h>

namespace {

struct SourceInfo
{
    const wchar_t* name;
    const wchar_t* file;
    const wchar_t* desc;
    const wchar_t* connect;
    // Opens the recordset of the data source's table for no rows.
    void (*checkTable)(CDatabase* db);
};

template <class Set>
void CheckTable(CDatabase* db)
{
    Set set(db);
    set.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly);
}

// Registration order: Hotel, Register, Cashbook.
const SourceInfo kHotel = {L"Hotel", L"Hotel.db", L"Hotel record!!", L"DSN=Hotel", CheckTable<CHouseset>};
const SourceInfo kRegister = {L"Register", L"Register.db", L"Register record!!", L"DSN=Register",
                              CheckTable<CRegisterset>};
const SourceInfo kCashbook = {L"Cashbook", L"Cashbook.db", L"Cashbook record!!", L"DSN=Cashbook",
                              CheckTable<CCashbookset>};

CString FolderOf(const CString& path)
{
    int slash = path.Find(wxT('/'), true);
    return slash == wxNOT_FOUND ? CString() : path.Left(static_cast<size_t>(slash) + 1);
}

// Opens data source `i` (in registration order) on its connection. Hotel's is
// the main one: the other two join it (SQLite files attached, or the one
// connection to a server's database), so that one transaction covers all three. A file that opens must also
// hold its table with the columns the program reads: an empty file is an
// empty database, and fails here rather than at the first command.
void OpenSource(DataConnections& db, int i)
{
    CDatabase* connections[] = {&db.m_dbHotel, &db.m_dbRegister, &db.m_dbCashbook};
    const SourceInfo* infos[] = {&kHotel, &kRegister, &kCashbook};
    if (i == 0)
        connections[i]->OpenEx(infos[i]->connect, CDatabase::useCursorLib);
    else
        connections[i]->OpenAttached(infos[i]->connect, CDatabase::useCursorLib, db.m_dbHotel, infos[i]->name);
    try {
        infos[i]->checkTable(connections[i]);
    } catch (const CDBException&) {
        connections[i]->Close();
        throw;
    }
}

// The data sources are the site's: the program registers its own on its
// DataSave/ only where there is none of the name, or where the one there is
// its own registration (a user data source with its description) on a file
// of a DataSave/ folder that is gone (the program moved). A data source that
// is there and does not open (locked, read-only, damaged, the server away, a
// driver missing) is reported, never replaced: the hotel's data is not
// split over two places, and a machine's data source is never hidden.
bool NeedsRegistering(const SourceInfo& info)
{
    CString connect;
    if (LookUpDataSource(info.name, connect) != DataSourceLookup::found)
        return true;
    CString description, database;
    return ReadUserDataSource(info.name, description, database) && description == info.desc &&
           database.EndsWith(CString(L"/DataSave/") + info.file) && !wxFileExists(database);
}

}  // namespace

CString GetDataSaveFolder()
{
    return GetProgramFolder() + wxT("DataSave/");
}

CString GetHotelDataFolder(const DataConnections& db)
{
    OdbcConnection* connection = db.m_dbHotel.GetConnection();
    if (!connection || !connection->IsSqlite())
        return CString();
    return FolderOf(CString::FromUTF8(SchemaFile(*connection, "main")));
}

std::wstring BuildDataSourceAttributes(const CString& strDsn, const CString& strDbPath, const CString& strDesc)
{
    // Built to its full length, so a deep program folder still registers the whole path.
    std::wstring attrs;
    attrs += L"DSN=";
    attrs += strDsn.ToStdWstring();
    attrs += L'\0';
    attrs += L" DBQ=";
    attrs += strDbPath.ToStdWstring();
    attrs += L'\0';
    attrs += L" DESCRIPTION=";
    attrs += strDesc.ToStdWstring();
    attrs += L'\0';
    attrs += L" DEFAULTDIR=";
    attrs += FolderOf(strDbPath).ToStdWstring();
    attrs += L'\0';
    attrs += L'\0';
    return attrs;
}

BOOL ConfigDataSource(WORD fRequest, CString strDbPath, CString strDsn, CString strDesc)
{
    std::wstring attrs = BuildDataSourceAttributes(strDsn, strDbPath, strDesc);
    return SQLConfigDataSourceW(nullptr, fRequest, L"Microsoft Access Driver (*.mdb)", attrs.c_str()) ? TRUE
                                                                                                      : FALSE;
}

void ReportDataSourceFailure(const CString& name, const CDBException& e)
{
    AfxMessageBox(CString(L"打开") + name + L"数据库失败！", MB_OK);
    AfxMessageBox(e.m_strError, MB_OK | MB_ICONERROR);
}

void CloseDataSources(DataConnections& db)
{
    for (CDatabase* connection : {&db.m_dbHotel, &db.m_dbRegister, &db.m_dbCashbook})
        if (connection->IsOpen())
            connection->Close();
}

BOOL ProbeDataSources(DataConnections&)
{
    for (const SourceInfo* info : {&kHotel, &kRegister, &kCashbook})
        if (NeedsRegistering(*info))
            return FALSE;
    return TRUE;
}

void CreateDataSources(DataConnections&)
{
    const CString folder = GetDataSaveFolder();
    for (const SourceInfo* info : {&kHotel, &kRegister, &kCashbook})
        if (NeedsRegistering(*info))
            ConfigDataSource(ODBC_ADD_DSN, folder + info->file, info->name, info->desc);
}

BOOL OpenDataSources(DataConnections& db)
{
    const SourceInfo* infos[] = {&kHotel, &kRegister, &kCashbook};
    for (int i = 0; i < 3; ++i) {
        try {
            OpenSource(db, i);
        } catch (const CDBException& e) {
            ReportDataSourceFailure(infos[i]->name, e);
            return FALSE;
        }
    }
    return TRUE;
}
