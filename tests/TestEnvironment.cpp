#include "TestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include "ProgramFolder.h"

namespace fs = std::filesystem;

namespace {

std::string GetEnvOrEmpty(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

void RestoreEnv(const char* name, const std::string& value)
{
    if (value.empty())
        unsetenv(name);
    else
        setenv(name, value.c_str(), 1);
}

}  // namespace

TestEnvironment::TestEnvironment()
{
    char pattern[] = "/tmp/quillan-test-XXXXXX";
    m_folder = mkdtemp(pattern);
    m_oldHome = GetEnvOrEmpty("HOME");
    m_oldOdbcIni = GetEnvOrEmpty("ODBCINI");
    m_oldCwd = fs::current_path().string();

    setenv("HOME", m_folder.c_str(), 1);
    setenv("ODBCINI", (m_folder + "/.odbc.ini").c_str(), 1);
    fs::current_path(m_folder);

    fs::create_directories(DataSaveFolder());
    for (const char* db : {"Hotel.db", "Register.db", "Cashbook.db"})
        fs::copy_file(fs::path(DATASAVE_DIR) / db, fs::path(DataSaveFolder()) / db);
    OverrideProgramFolder(wxString::FromUTF8(ProgramFolder()));

    m_previousHandler = SetMessageBoxHandler([this](const CString& text, const CString&, UINT) {
        m_messages.push_back(text);
        return m_nAnswer;
    });
}

TestEnvironment::~TestEnvironment()
{
    SetMessageBoxHandler(m_previousHandler);
    OverrideProgramFolder(CString());
    fs::current_path(m_oldCwd);
    RestoreEnv("HOME", m_oldHome);
    RestoreEnv("ODBCINI", m_oldOdbcIni);
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
}

std::string ReadFileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
