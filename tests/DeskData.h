// The desk's three data sources in a sandbox, opened as the program opens them
// at start-up, for the tests of the window-free commands, on the back end the
// test environment gives; the databases are read back behind the program's back.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "DataSources.h"
#include "GuestRecord.h"
#include "SqliteFiles.h"
#include "TestEnvironment.h"

// Skips a test the back end cannot run: PostgreSQL without a server.
#define SKIP_WITHOUT_BACKEND(env)          \
    if (!(env).Unavailable().empty())      \
        GTEST_SKIP() << (env).Unavailable()
// Skips a test of what only SQLite files have (their journal, a file's bytes).
#define SKIP_ON_SERVER(why)                                       \
    if (TestEnvironment::Backend() != TestBackend::sqlite)        \
        GTEST_SKIP() << "SQLite files only: " << why

// A guest to check in to `room`: a running stay of 2 March 2026.
inline GuestRecord RunningGuest(const char* room, const char* name)
{
    GuestRecord g;
    g.m_strRoomNo = room;
    g.m_strName = name;
    g.m_dtBirth = COleDateTime(1980, 1, 1, 0, 0, 0);
    g.m_dtCheckIn = COleDateTime(2026, 3, 2, 10, 0, 0);
    g.m_dtCheckOut.SetStatus(COleDateTime::null);
    g.m_strIdNumber = "110101198001010011";
    return g;
}

class DeskData : public testing::Test
{
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_BACKEND(m_env);
        if (!ProbeDataSources(m_db))
            CreateDataSources(m_db);
        ASSERT_TRUE(OpenDataSources(m_db));
    }

    std::string File(const char* name) const { return m_env.DataSaveFolder() + name; }

    // The three databases' tables as text: equal dumps, equal tables.
    std::string Dumps() const { return m_env.Dump(); }

    // The first column of the first row `sql` gives on the database, "" when none.
    std::string QueryOne(const char* file, const std::string& sql) const
    {
        const auto rows = m_env.Query(file, sql);
        return rows.empty() || rows[0].empty() ? std::string() : rows[0][0];
    }

    TestEnvironment m_env;
    DataConnections m_db;
};
