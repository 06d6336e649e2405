// The three data sources and their connections.
#pragma once

#include "Database.h"
#include "WinTypes.h"

// The connections the application owns for the whole run.
struct DataConnections
{
    CDatabase m_dbHotel;
    CDatabase m_dbRegister;
    CDatabase m_dbCashbook;
};

// Registers (ODBC_ADD_DSN) or removes (ODBC_REMOVE_DSN) one user data source.
BOOL ConfigDataSource(WORD fRequest, CString strDbPath, CString strDsn, CString strDesc);

// The attribute list handed to the installer: NUL-separated pairs ending in two NULs.
std::wstring BuildDataSourceAttributes(const CString& strDsn, const CString& strDbPath, const CString& strDesc);

// The data sources are the site's. TRUE when none of the three needs the
// program's own registration: each is there, and none is the program's own
// user data source on a file of a DataSave/ folder that is gone. Opens
// nothing: the connections stay closed.
BOOL ProbeDataSources(DataConnections& db);
// Registers, as user data sources on the database files in the DataSave
// folder beside the program, those of the three that need it (see above). A
// data source that is there stays as it is, also when it does not open.
void CreateDataSources(DataConnections& db);
// Opens the three and leaves them open; on a failure shows which one and the
// driver's text. Hotel's connection is the main one: Register and Cashbook
// join it when they are on the same database (see CDatabase::OpenAttached),
// and are refused when they are on another database and one is a server's.
BOOL OpenDataSources(DataConnections& db);
// Shows "打开<name>数据库失败！", then the driver's text of e.
void ReportDataSourceFailure(const CString& name, const CDBException& e);
// Closes whichever of the three is open.
void CloseDataSources(DataConnections& db);

// Folder of the database files: the program folder followed by "DataSave/".
CString GetDataSaveFolder();

// Where the hotel's data lies once the three are open: the folder of the file
// the Hotel data source opened, wherever the data sources point. Empty when
// that data source is no file (a database server).
CString GetHotelDataFolder(const DataConnections& db);
