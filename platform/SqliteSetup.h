// What the layer asks of every SQLite file it opens, and attaching one file
// to the connection of another.
#pragma once

#include <string>
#include "OdbcApi.h"
#include "WinTypes.h"

class OdbcConnection;

// Before the first SQLite connection of the process: each connection is used
// by one thread at a time (the user-interface thread), so SQLite needs no
// mutex of its own per connection nor memory statistics behind a global one;
// together they cost the driver a third of a walk. Configures the SQLite
// library the driver uses; does nothing once SQLite has started.
void ConfigureSqliteLibrary();

// The file behind a schema of a SQLite connection; empty for a database in
// memory or a schema that is not there.
std::string SchemaFile(OdbcConnection& conn, const std::string& schema);

// The main file must read as a database and, unless openReadOnly, be
// writable; it runs with the rollback journal and synchronous FULL, a file
// left in WAL mode converted. Throws CDBException.
void PrepareSqlite(OdbcConnection& conn, DWORD options);

// Attaches `file` to the connection as `schema`, made ready as the main file
// is, and returns the schema it is on. A file already on the connection
// (opened again, or two data sources on one file) is used where it is.
std::string AttachFile(OdbcConnection& conn, const std::string& file, const std::string& schema);
