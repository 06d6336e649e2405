// A sandbox for tests: HOME, ODBCINI and the current directory in a fresh
// temporary folder, the program folder pointed at it with copies of the
// empty database files, and message boxes recorded instead of shown.
//
// The back end is the SQLite files unless QUILLAN_TEST_BACKEND is
// "postgresql": then the data sources "Hotel", "Register" and "Cashbook" are
// registered, as a site registers them, on a database of this process made
// anew from the PostgreSQL schema, on the server QUILLAN_TEST_POSTGRESQL
// gives as connect-string keys ("Servername=/run/dir;Port=5432;Username=u").
// QUILLAN_TEST_POSTGRESQL_CTL, when set, is the command that runs pg_ctl on
// that server ("stop", "start" or "restart" follows it).
#pragma once

#include <string>
#include <vector>
#include "MessageBox.h"
#include "WinTypes.h"

enum class TestBackend { sqlite, postgresql };

class TestEnvironment
{
public:
    TestEnvironment();
    ~TestEnvironment();

    static TestBackend Backend();
    // Why a test cannot run on the back end (PostgreSQL and no server given);
    // empty when it can.
    const std::string& Unavailable() const { return m_unavailable; }

    const std::string& Folder() const { return m_folder; }           // temporary root, also the cwd
    std::string ProgramFolder() const { return m_folder + "/prog/"; }  // holds DataSave/
    std::string DataSaveFolder() const { return ProgramFolder() + "DataSave/"; }

    // A connect string that opens the database of `file` ("Hotel.db",
    // "Register.db", "Cashbook.db") without a data source: the file in
    // DataSave/, or the one database on the server.
    CString ConnectString(const std::string& file) const;

    // The databases behind the program's back, each through a connection of
    // its own: the rows of `sql` on the database of `file`, every column as
    // text (NULL as "<null>"), and statements that return no rows. The SQL
    // names columns in brackets, as the program does. Throw std::runtime_error.
    std::vector<std::vector<std::string>> Query(const std::string& file, const std::string& sql) const;
    void Execute(const std::string& file, const std::string& sql) const;
    // Every row of the three tables, in key order, as text: equal dumps, equal tables.
    std::string Dump() const;

    // Runs pg_ctl with `action` on the test server; false when that failed
    // or no command is given.
    static bool ControlServer(const std::string& action);

    // Message boxes shown since the start (or the last Clear), answered with m_nAnswer.
    std::vector<CString> m_messages;
    int m_nAnswer = IDOK;
    void ClearMessages() { m_messages.clear(); }

private:
    void RegisterServerDataSources() const;

    std::string m_folder;
    std::string m_unavailable;
    MessageBoxHandler m_previousHandler;
    std::string m_oldHome, m_oldOdbcIni, m_oldCwd;
};

// Reads a whole file into a string ("" when it cannot be read).
std::string ReadFileText(const std::string& path);
