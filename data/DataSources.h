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

// TRUE when all three open; they are closed again before it returns.
BOOL ProbeDataSources(DataConnections& db);
// Removes the three registrations and, unless all three still open, registers them
// on the database files in the DataSave folder beside the program.
void CreateDataSources(DataConnections& db);
// Opens the three and leaves them open; on a failure shows which one and the driver's text.
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
