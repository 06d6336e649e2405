// A sandbox for tests: HOME, ODBCINI and the current directory in a fresh
// temporary folder, the program folder pointed at it with copies of the
// empty database files, and message boxes recorded instead of shown.
#pragma once

#include <string>
#include <vector>
#include "MessageBox.h"
#include "WinTypes.h"

class TestEnvironment
{
public:
    TestEnvironment();
    ~TestEnvironment();

    const std::string& Folder() const { return m_folder; }           // temporary root, also the cwd
    std::string ProgramFolder() const { return m_folder + "/prog/"; }  // holds DataSave/
    std::string DataSaveFolder() const { return ProgramFolder() + "DataSave/"; }

    // Message boxes shown since the start (or the last Clear), answered with m_nAnswer.
    std::vector<CString> m_messages;
    int m_nAnswer = IDOK;
    void ClearMessages() { m_messages.clear(); }

private:
    std::string m_folder;
    MessageBoxHandler m_previousHandler;
    std::string m_oldHome, m_oldOdbcIni, m_oldCwd;
};

// Reads a whole file into a string ("" when it cannot be read).
std::string ReadFileText(const std::string& path);
