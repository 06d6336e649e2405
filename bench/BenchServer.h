// The data layer's timings on a PostgreSQL server, each beside the same
// statements run through psql in the same run (psql's own \timing: the
// server and the wire, without the driver and the layer).
//   bench --backend postgresql [rooms [stays [runs]]]
// The server is the one QUILLAN_TEST_POSTGRESQL names as connect-string keys
// ("Servername=/run/dir;Port=5432;Username=u"); the bench makes a database
// of its own there and drops it at the end.
#pragma once

// argv[1] and argv[2] are "--backend postgresql"; the rest as for bench.
int RunOnServer(int argc, char** argv);
