// ODBC connection, recordset and field exchange over the narrow ODBC API with
// UTF-8 text, as the program's classes use them.
#pragma once

#include "CDBException.h"
#include "CDatabase.h"
#include "CFieldExchange.h"
#include "CRecordset.h"
