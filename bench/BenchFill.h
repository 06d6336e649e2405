// Fills the program's three databases with a large hotel, straight through
// sqlite3, so that the benchmarks time the program and not the filling. A
// hotel of a given size is built once into a seed cache outside the
// repository and copied from there by every later run.
#pragma once

#include <string>

struct BenchSizes
{
    int rooms = 0;
    int stays = 0;
    int cashRows = 0;
};

// The hotel: `rooms` rooms numbered from 1000, every tenth let by the hour
// with its time up and one guest in; `stays` stays spread over eleven years
// and over the rooms, all checked out but one running stay in each of those
// let rooms (the last ones); `cashRows` cash-book rows spread over the same
// years, every twentieth of them marked failed.
//
// Puts that hotel into `dataSaveFolder` (which holds the empty databases),
// copied from the seed kept in `cacheFolder` and built there first when it is
// missing, and prints on stdout what the seed cost. False when a database
// cannot be written.
bool SeedDatabases(const std::string& dataSaveFolder, const BenchSizes& sizes, const std::string& cacheFolder);

// Where seeds are kept: $QUILLAN_BENCH_CACHE, else ~/.cache/quillan2021-bench.
// Ask before anything moves HOME (the test sandbox does).
std::string SeedCacheFolder();

// Running stays in a hotel of these sizes, and the room of the j-th of them.
int RunningStays(const BenchSizes& sizes);
std::string RunningStayRoom(int j);
// The ID number of stay i (0-based, in table order).
std::string StayIdNumber(int i);

// The same hotel in the test environment's database on a PostgreSQL server,
// made by the server itself (generate_series). Throws std::runtime_error.
class TestEnvironment;
void FillServerDatabase(const TestEnvironment& env, const BenchSizes& sizes);
