// Fills the program's three databases with a large hotel, straight through
// sqlite3, so that the benchmarks time the program and not the filling.
#pragma once

#include <string>

// `rooms` rooms numbered from 1000, every tenth let by the hour with its time
// up; `stays` stays spread over the rooms, all checked out but the last; one
// cash-book row per check-out. False when a database cannot be written.
bool FillDatabases(const std::string& dataSaveFolder, int rooms, int stays);

// The same hotel in the test environment's database on a PostgreSQL server,
// made by the server itself (generate_series). Throws std::runtime_error.
class TestEnvironment;
void FillServerDatabase(const TestEnvironment& env, int rooms, int stays);
