// Registering, probing and opening the three data sources in a sandboxed ODBC setup.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include "CHouseset.h"
#include "DataSources.h"
#include "ProgramFolder.h"
#include "TestEnvironment.h"

namespace fs = std::filesystem;

namespace {

std::string OdbcIniText(const TestEnvironment& env)
{
    return ReadFileText(env.Folder() + "/.odbc.ini");
}

std::string Messages(const TestEnvironment& env)
{
    std::string all;
    for (const CString& m : env.m_messages)
        all += m.utf8_string() + "\n";
    return all;
}

// What the program does at start-up before the main frame.
BOOL StartUp(DataConnections& db)
{
    if (!ProbeDataSources(db))
        CreateDataSources(db);
    return OpenDataSources(db);
}

TEST(DataSourcesTest, FirstRunRegistersTheThreeUserDataSources)
{
    TestEnvironment env;
    DataConnections db;
    EXPECT_FALSE(ProbeDataSources(db));
    EXPECT_FALSE(db.m_dbHotel.IsOpen());

    CreateDataSources(db);
    EXPECT_FALSE(db.m_dbHotel.IsOpen());
    EXPECT_FALSE(db.m_dbCashbook.IsOpen());
    std::string ini = OdbcIniText(env);
    for (const char* dsn : {"[Hotel]", "[Register]", "[Cashbook]"})
        EXPECT_NE(std::string::npos, ini.find(dsn)) << dsn;
    EXPECT_NE(std::string::npos, ini.find(env.DataSaveFolder() + "Register.db"));
    EXPECT_NE(std::string::npos, ini.find(env.DataSaveFolder() + "Cashbook.db"));

    ASSERT_TRUE(OpenDataSources(db)) << Messages(env);
    EXPECT_TRUE(db.m_dbHotel.IsOpen());
    EXPECT_TRUE(db.m_dbRegister.IsOpen());
    EXPECT_TRUE(db.m_dbCashbook.IsOpen());
    EXPECT_TRUE(env.m_messages.empty());
    CloseDataSources(db);
    EXPECT_FALSE(db.m_dbRegister.IsOpen());

    // The registration outlives the run: the next start's probe succeeds and closes again.
    EXPECT_TRUE(ProbeDataSources(db));
    EXPECT_FALSE(db.m_dbHotel.IsOpen());
}

TEST(DataSourcesTest, MovedProgramFolder)
{
    TestEnvironment env;
    DataConnections db;
    ASSERT_TRUE(StartUp(db)) << Messages(env);
    CloseDataSources(db);

    const std::string moved = env.Folder() + "/moved/";
    fs::create_directories(moved + "DataSave");
    for (const char* file : {"Hotel.db", "Register.db", "Cashbook.db"})
        fs::copy_file(env.DataSaveFolder() + file, moved + "DataSave/" + file);
    OverrideProgramFolder(wxString::FromUTF8(moved));

    // Old files still there: the old registration is kept and used.
    ASSERT_TRUE(StartUp(db)) << Messages(env);
    CloseDataSources(db);
    EXPECT_EQ(std::string::npos, OdbcIniText(env).find(moved));

    // Old files gone: the probe fails and the new folder is registered.
    fs::remove_all(env.DataSaveFolder());
    ASSERT_TRUE(StartUp(db)) << Messages(env);
    CloseDataSources(db);
    std::string ini = OdbcIniText(env);
    EXPECT_NE(std::string::npos, ini.find(moved + "DataSave/Hotel.db"));
    EXPECT_NE(std::string::npos, ini.find(moved + "DataSave/Cashbook.db"));
    EXPECT_EQ(std::string::npos, ini.find(env.DataSaveFolder()));
    EXPECT_TRUE(env.m_messages.empty());
    OverrideProgramFolder(wxString::FromUTF8(env.ProgramFolder()));
}

TEST(DataSourcesTest, UnreadableRegisterDatabaseIsReportedAndLeftAlone)
{
    TestEnvironment env;
    DataConnections db;
    ASSERT_TRUE(StartUp(db)) << Messages(env);
    CloseDataSources(db);

    const std::string path = env.DataSaveFolder() + "Register.db";
    std::string garbage(8192, '\0');
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>("not a database at all "[i % 22]);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << garbage;
    }
    fs::remove(path + "-wal");
    fs::remove(path + "-shm");

    EXPECT_FALSE(OpenDataSources(db));
    ASSERT_EQ(2u, env.m_messages.size());
    EXPECT_EQ(wxString::FromUTF8("打开Register数据库失败！"), env.m_messages[0]);
    EXPECT_FALSE(env.m_messages[1].IsEmpty());  // the driver's own text
    EXPECT_TRUE(db.m_dbHotel.IsOpen());
    EXPECT_FALSE(db.m_dbRegister.IsOpen());
    EXPECT_FALSE(db.m_dbCashbook.IsOpen());
    CloseDataSources(db);
    EXPECT_EQ(garbage, ReadFileText(path));
}

TEST(DataSourcesTest, AttributeListKeepsLongPaths)
{
    std::wstring attrs = BuildDataSourceAttributes(wxT("Hotel"), wxT("/opt/q/DataSave/Hotel.db"), wxT("Hotel record!!"));
    static const wchar_t kExpected[] = L"DSN=Hotel\0 DBQ=/opt/q/DataSave/Hotel.db\0 DESCRIPTION=Hotel record!!\0"
                                       L" DEFAULTDIR=/opt/q/DataSave/\0";
    std::wstring expected(kExpected, sizeof(kExpected) / sizeof(wchar_t));  // with the closing NUL: two at the end
    EXPECT_EQ(expected, attrs);

    // A program folder far deeper than the old 260-character list allowed.
    std::wstring deep = L"/";
    for (int i = 0; i < 40; ++i)
        deep += L"folder" + std::to_wstring(i) + L"/";
    std::wstring db = deep + L"DataSave/Cashbook.db";
    attrs = BuildDataSourceAttributes(wxT("Cashbook"), wxString(db), wxT("Cashbook record!!"));
    EXPECT_NE(std::wstring::npos, attrs.find(L" DBQ=" + db + L'\0'));
    EXPECT_NE(std::wstring::npos, attrs.find(L" DEFAULTDIR=" + deep + L"DataSave/" + L'\0' + L'\0'));
    EXPECT_EQ(std::wstring(L"\0\0", 2), attrs.substr(attrs.size() - 2));
}

TEST(DataSourcesTest, DeepProgramFolderRegistersAndOpens)
{
    TestEnvironment env;
    std::string deep = env.Folder() + "/";
    for (int i = 0; i < 12; ++i)
        deep += "a-rather-long-folder-name-" + std::to_string(i) + "/";
    fs::create_directories(deep + "DataSave");
    for (const char* file : {"Hotel.db", "Register.db", "Cashbook.db"})
        fs::copy_file(env.DataSaveFolder() + file, deep + "DataSave/" + file);
    OverrideProgramFolder(wxString::FromUTF8(deep));

    DataConnections db;
    EXPECT_TRUE(StartUp(db)) << Messages(env);
    CloseDataSources(db);
    EXPECT_NE(std::string::npos, OdbcIniText(env).find(deep + "DataSave/Register.db"));
    OverrideProgramFolder(wxString::FromUTF8(env.ProgramFolder()));
}

TEST(DataSourcesTest, ProgramFolderWithSeparatorsInItsPathStarts)
{
    TestEnvironment env;
    // Each of these broke the connect string built from the registration.
    const std::string folder = env.Folder() + "/前台 {a=b}; 100% x}/";
    fs::create_directories(folder + "DataSave");
    for (const char* file : {"Hotel.db", "Register.db", "Cashbook.db"})
        fs::copy_file(env.DataSaveFolder() + file, folder + "DataSave/" + file);
    OverrideProgramFolder(wxString::FromUTF8(folder));

    DataConnections db;
    ASSERT_TRUE(StartUp(db)) << Messages(env);
    EXPECT_NE(std::string::npos, OdbcIniText(env).find(folder + "DataSave/Register.db"));
    EXPECT_TRUE(db.m_dbHotel.SharesConnectionWith(db.m_dbCashbook));
    {
        CHouseset rooms(&db.m_dbHotel);
        rooms.Open(CRecordset::dynaset);
        ASSERT_TRUE(rooms.AddRoom("101", "80", ""));
    }
    CloseDataSources(db);
    // The row went into the file in that folder.
    CDatabase check;
    check.OpenEx(wxString::FromUTF8("Driver=SQLite3;Database=" + env.DataSaveFolder() + "Hotel.db"));
    CHouseset original(&check);
    original.Open(CRecordset::dynaset);
    EXPECT_EQ(original.FindRoom("101"), -1);
    ASSERT_TRUE(StartUp(db)) << Messages(env);
    CHouseset moved(&db.m_dbHotel);
    moved.Open(CRecordset::dynaset);
    EXPECT_NE(moved.FindRoom("101"), -1);
    OverrideProgramFolder(wxString::FromUTF8(env.ProgramFolder()));
}

}  // namespace
