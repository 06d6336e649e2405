// The desk's three data sources in a sandbox, opened as the program opens them
// at start-up, for the tests of the window-free commands; the files are read
// back behind the program's back.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "DataSources.h"
#include "SqliteFiles.h"
#include "TestEnvironment.h"

class DeskData : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!ProbeDataSources(m_db))
            CreateDataSources(m_db);
        ASSERT_TRUE(OpenDataSources(m_db));
    }

    std::string File(const char* name) const { return m_env.DataSaveFolder() + name; }

    // The three files' tables as text: equal dumps, equal tables.
    std::string Dumps() const
    {
        return DumpDatabase(File("Hotel.db")) + DumpDatabase(File("Register.db")) + DumpDatabase(File("Cashbook.db"));
    }

    // The first column of the first row `sql` gives on the file, "" when none.
    std::string QueryOne(const char* file, const std::string& sql) const
    {
        const auto rows = QueryDatabase(File(file), sql);
        return rows.empty() || rows[0].empty() ? std::string() : rows[0][0];
    }

    TestEnvironment m_env;
    DataConnections m_db;
};
