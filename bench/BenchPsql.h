// psql on the benchmark's database on a PostgreSQL server: the time psql
// itself reports (\timing) for statements, that is the server and the wire
// without the driver and the layer, as the anchor of a figure measured on
// that server.
#pragma once

#include <string>
#include <vector>

class TestEnvironment;

class Psql
{
public:
    // The database of the environment, on the server QUILLAN_TEST_POSTGRESQL names.
    explicit Psql(const TestEnvironment& env);

    // Runs the statements of each round in turn, in one session, and gives
    // the time of each round: the sum of psql's times of its statements.
    // Throws std::runtime_error when psql fails.
    std::vector<double> Times(const std::vector<std::vector<std::string>>& rounds) const;
    // The same statements in every round.
    std::vector<double> Times(const std::vector<std::string>& round, int rounds) const;

private:
    std::string m_arguments;
};

// `sql` as written for the program's SQLite files, names in brackets, spelled
// for the server, with each "?" replaced by the next of `params` as a quoted
// literal (the anchors' parameters are plain text of the program's own).
std::string ServerStatement(const std::string& sql, const std::vector<std::string>& params = {});
