#include "BenchPsql.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <unistd.h>
#include "ConnectString.h"
#include "SqlDialect.h"
#include "TestEnvironment.h"
#include "Utf8Text.h"

Psql::Psql(const TestEnvironment& env)
{
    const CString server = wxString::FromUTF8(std::getenv("QUILLAN_TEST_POSTGRESQL"));
    const std::pair<const char*, const char*> options[] = {{"Servername", "-h"}, {"Port", "-p"}, {"Username", "-U"}};
    for (const auto& [key, option] : options)
        if (!ConnectAttribute(server, key).empty())
            m_arguments += std::string(" ") + option + " '" + ToUtf8(ConnectAttribute(server, key)) + "'";
    m_arguments += " -d '" + ToUtf8(ConnectAttribute(env.ConnectString("Hotel.db"), "Database")) + "'";
}

std::vector<double> Psql::Times(const std::vector<std::vector<std::string>>& rounds) const
{
    // A script of this process's own: several benches may run at once.
    const std::string script = "/tmp/quillan-bench-psql-" + std::to_string(getpid()) + ".sql";
    {
        std::ofstream out(script);
        out << "\\timing on\n";
        for (const auto& round : rounds)
            for (const std::string& statement : round)
                out << statement << ";\n";
    }
    std::vector<double> statementTimes;
    // Its "Time:" lines untranslated, whatever language the program runs in.
    FILE* psql = popen(("LC_ALL=C psql -X -q -v ON_ERROR_STOP=1 -o /dev/null" + m_arguments + " -f " + script).c_str(),
                       "r");
    char line[256];
    for (double ms = 0; psql && std::fgets(line, sizeof line, psql);)
        if (std::sscanf(line, "Time: %lf ms", &ms) == 1)
            statementTimes.push_back(ms);
    const bool failed = !psql || pclose(psql) != 0;
    std::remove(script.c_str());
    if (failed)
        throw std::runtime_error("psql failed");
    std::vector<double> times;
    size_t next = 0;
    for (const auto& round : rounds) {
        double sum = 0;
        for (size_t i = 0; i < round.size() && next < statementTimes.size(); ++i)
            sum += statementTimes[next++];
        times.push_back(sum);
    }
    return times;
}

std::vector<double> Psql::Times(const std::vector<std::string>& round, int rounds) const
{
    return Times(std::vector<std::vector<std::string>>(size_t(rounds), round));
}

std::string ServerStatement(const std::string& sql, const std::vector<std::string>& params)
{
    std::string statement;
    size_t next = 0;
    for (char c : Spelled(SqlDialect::postgresql, sql)) {
        if (c != '?' || next == params.size()) {
            statement += c;
            continue;
        }
        statement += '\'';
        for (char p : params[next++])
            statement += p == '\'' ? std::string("''") : std::string(1, p);
        statement += '\'';
    }
    return statement;
}
