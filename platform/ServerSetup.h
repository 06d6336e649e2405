// What the layer asks of every connection to a database server (PostgreSQL),
// as SqliteSetup does of every SQLite file: a wait for a lock another
// connection holds ends within seconds, desk operations take their turns,
// and a connection the server dropped is told from a statement that failed.
#pragma once

#include <string>
#include "OdbcDiagnostics.h"

class OdbcConnection;

// How long a statement waits for a row or the desks' lock another connection
// holds before it fails ("canceling statement due to lock timeout").
constexpr int kLockTimeoutMs = 3000;

// Sets the lock timeout on a new connection. Throws CDBException.
void PrepareServer(OdbcConnection& conn);

// Takes the lock a desk operation holds until its transaction ends. Every
// operation then reads what the one before it committed, as on SQLite files
// (where BEGIN IMMEDIATE takes the files' write lock): two desks never both
// act on what neither has written yet. False with the driver's text.
bool TakeDeskLock(OdbcConnection& conn, OdbcDiagnostics* error);

// The database a server connection reaches, the same text for every
// connection to it however the data source names the server: the server's
// system identifier and the database's name. Throws CDBException.
std::string ServerDatabase(OdbcConnection& conn);

// Whether a failure's SQLSTATE (as "State:08S01,...") says that the
// connection to the server is gone (a restart, a network failure).
bool IsLostConnection(const CString& state);
