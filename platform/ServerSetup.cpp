#include "ServerSetup.h"

#include "CDBException.h"
#include "OdbcConnection.h"
#include "OdbcStatement.h"

namespace {

// The key of the desks' lock among the database's advisory locks.
constexpr const char* kDeskLock = "SELECT pg_advisory_xact_lock(2021)";

}  // namespace

void PrepareServer(OdbcConnection& conn)
{
    OdbcDiagnostics error;
    if (!conn.Run(("SET lock_timeout = " + std::to_string(kLockTimeoutMs)).c_str(), &error))
        throw CDBException(error.text, error.state);
}

bool TakeDeskLock(OdbcConnection& conn, OdbcDiagnostics* error)
{
    return conn.Run(kDeskLock, error);
}

std::string ServerDatabase(OdbcConnection& conn)
{
    return QueryText(conn, "SELECT system_identifier || '/' || current_database() FROM pg_control_system()");
}

bool IsLostConnection(const CString& state)
{
    // Class 08 is the connection's own; 57P01 to 57P03 a server going down or not yet up.
    return state.StartsWith("State:08") || state.StartsWith("State:57P0");
}
