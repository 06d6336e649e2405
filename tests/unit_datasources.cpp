// Registering, probing and opening the three data sources in a sandboxed ODBC setup.
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/fs.h>
#include <set>
#include <signal.h>
#include <sqlite3.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#include "CHouseset.h"
#include "CRegisterset.h"
#include "DataSources.h"
#include "MessageBox.h"
#include "OdbcInstaller.h"
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

// Data sources the machine has are the hotel: used as they are, and when one
// does not open, reported, never hidden by a user data source of the program's.
// The installer library reads where the machine's file lies once per process,
// so this runs in a process of its own.
TEST(DataSourcesTest, TheMachinesDataSourcesAreUsedAndNeverHidden)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TestEnvironment env;
            const std::string machine = env.Folder() + "/machine/";
            fs::create_directories(machine);
            fs::copy_file("/etc/odbcinst.ini", machine + "odbcinst.ini");
            std::ofstream ini(machine + "odbc.ini");
            for (const char* source : {"Hotel", "Register", "Cashbook"}) {
                fs::copy_file(env.DataSaveFolder() + source + ".db", machine + source + ".db");
                ini << "[" << source << "]\nDriver=SQLite3\nDatabase=" << machine << source << ".db\n\n";
            }
            ini.close();
            setenv("ODBCSYSINI", machine.c_str(), 1);

            DataConnections db;
            EXPECT_TRUE(ProbeDataSources(db));
            EXPECT_TRUE(StartUp(db)) << Messages(env);
            EXPECT_EQ(GetHotelDataFolder(db), wxString::FromUTF8(machine));
            CloseDataSources(db);
            EXPECT_EQ(OdbcIniText(env), "") << "nothing registered for the user";

            std::ofstream(machine + "Register.db", std::ios::trunc) << std::string(4096, 'x');
            EXPECT_FALSE(StartUp(db));
            EXPECT_EQ(env.m_messages.size(), 2u) << Messages(env);
            EXPECT_EQ(env.m_messages.at(0), wxString::FromUTF8("打开Register数据库失败！"));
            CloseDataSources(db);
            EXPECT_EQ(OdbcIniText(env), "") << "the machine's data source was hidden";
            std::exit(testing::Test::HasFailure() ? 1 : 0);
        },
        testing::ExitedWithCode(0), "");
}

// A user data source the site wrote is the site's, also on a file that is
// gone: reported, not replaced by the program's. (The program's own
// registration on a DataSave/ file that is gone is: the program moved.)
TEST(DataSourcesTest, ASitesDataSourceOnAFileThatIsGoneIsReportedNotReplaced)
{
    TestEnvironment env;
    DataConnections db;
    ASSERT_TRUE(StartUp(db)) << Messages(env);
    CloseDataSources(db);
    const CString gone = wxString::FromUTF8(env.Folder() + "/elsewhere/DataSave/Cashbook.db");
    ASSERT_TRUE(ConfigDataSource(ODBC_ADD_DSN, gone, "Cashbook", "Cash book of the front office"));
    const std::string sources = OdbcIniText(env);

    EXPECT_FALSE(StartUp(db));
    ASSERT_EQ(env.m_messages.size(), 2u) << Messages(env);
    EXPECT_EQ(env.m_messages[0], wxString::FromUTF8("打开Cashbook数据库失败！"));
    CloseDataSources(db);
    EXPECT_EQ(OdbcIniText(env), sources);
}

// ------------------------------------------------- database files that cannot serve

std::set<std::string> FilesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// Sets or clears the immutable flag, which keeps even root from writing.
bool SetImmutable(const std::string& path, bool on)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    int flags = 0;
    bool ok = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0)
        close(fd);
    return ok;
}

// Start-up on a Register.db that cannot serve: its data source's message and
// the driver's text, the other data sources' files and this one left as they were.
class BadDatabaseFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(StartUp(m_db)) << Messages(m_env);
        CloseDataSources(m_db);
    }

    std::string Path() const { return m_env.DataSaveFolder() + "Register.db"; }

    // `source` is the first data source that cannot be opened. The start-up
    // reports it and replaces no data source.
    void ExpectRefused(const char* driverText, const char* source = "Register")
    {
        const std::string before = ReadFileText(Path());
        const std::string sources = OdbcIniText(m_env);
        const std::set<std::string> files = FilesIn(m_env.DataSaveFolder());
        m_env.ClearMessages();
        EXPECT_FALSE(StartUp(m_db));
        EXPECT_EQ(OdbcIniText(m_env), sources) << "a data source was replaced";
        ASSERT_EQ(m_env.m_messages.size(), 2u) << Messages(m_env);
        EXPECT_EQ(m_env.m_messages[0], wxString::FromUTF8("打开") + source + wxString::FromUTF8("数据库失败！"));
        EXPECT_NE(m_env.m_messages[1].Find(driverText), wxNOT_FOUND) << m_env.m_messages[1];
        EXPECT_EQ(m_db.m_dbHotel.IsOpen(), std::string(source) != "Hotel");
        EXPECT_FALSE(m_db.m_dbRegister.IsOpen());
        CloseDataSources(m_db);
        EXPECT_EQ(ReadFileText(Path()), before) << "the file was written";
        EXPECT_EQ(FilesIn(m_env.DataSaveFolder()), files);
    }

    TestEnvironment m_env;
    DataConnections m_db;
};

TEST_F(BadDatabaseFileTest, AnEmptyFileLacksItsTable)
{
    std::ofstream(Path(), std::ios::trunc).close();
    ExpectRefused("no such table");
}

TEST_F(BadDatabaseFileTest, AFileOrFolderThatCannotBeWritten)
{
    const bool root = geteuid() == 0;
    // The journal goes beside the file: a folder that cannot be written refuses all three.
    const std::pair<std::string, const char*> cases[] = {{Path(), "Register"}, {m_env.DataSaveFolder(), "Hotel"}};
    for (const auto& [path, source] : cases) {
        SCOPED_TRACE(path);
        const auto mode = fs::status(path).permissions();
        if (root) {
            if (!SetImmutable(path, true))
                GTEST_SKIP() << "root, and the file system keeps no immutable flag";
        } else {
            fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
        }
        // The layer's own sentence is in the UI language, the system's text beneath it.
        ExpectRefused("数据库不能写入", source);
        const UiLanguageSource chinese = SetUiLanguageSource([] { return 2; });
        ExpectRefused("The database cannot be written", source);
        SetUiLanguageSource(chinese);
        if (root)
            SetImmutable(path, false);
        else
            fs::permissions(path, mode);
    }
}

TEST_F(BadDatabaseFileTest, AFileLockedByAnotherProgramFailsWithinSeconds)
{
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        sqlite3* db = nullptr;
        sqlite3_open(Path().c_str(), &db);
        const bool locked = sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
        const char answer = locked ? 'y' : 'n';
        (void)!write(ready[1], &answer, 1);
        pause();  // until the test kills it
        _exit(0);
    }
    char answer = 0;
    ASSERT_EQ(read(ready[0], &answer, 1), 1);
    ASSERT_EQ(answer, 'y');
    const auto start = std::chrono::steady_clock::now();
    ExpectRefused("database is locked");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
}

// The folder of the database files on a small file system of its own, filled up.
class FullDisk
{
public:
    explicit FullDisk(const std::string& folder) : m_folder(folder)
    {
        const std::string saved = folder.substr(0, folder.size() - 1) + "-saved";
        fs::rename(folder, saved);
        fs::create_directory(folder);
        m_mounted = mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=2m") == 0;
        for (const auto& entry : fs::directory_iterator(saved))
            fs::copy(entry.path(), folder + entry.path().filename().string());
        fs::remove_all(saved);
    }
    ~FullDisk()
    {
        if (m_mounted)
            umount(m_folder.c_str());
    }
    bool Mounted() const { return m_mounted; }
    void Fill()
    {
        std::ofstream filler(m_folder + "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), block.size()))
            ;
    }
    void Free() { fs::remove(m_folder + "filler"); }

private:
    std::string m_folder;
    bool m_mounted = false;
};

TEST(FullDiskTest, AWalFileThatCannotBeConvertedOnAFullDiskKeepsItsRows)
{
    TestEnvironment env;
    DataConnections db;
    FullDisk disk(env.DataSaveFolder());
    if (!disk.Mounted())
        GTEST_SKIP() << "no permission to mount a small file system";
    // A Register.db of an older version, its last rows still in the WAL file.
    const std::string path = env.DataSaveFolder() + "Register.db";
    {
        sqlite3* raw = nullptr;
        sqlite3_open(path.c_str(), &raw);
        sqlite3_db_config(raw, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        sqlite3_exec(raw,
                     "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0; BEGIN;"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
                     "INSERT INTO [register]([姓名], [本人职务备注]) SELECT 'guest ' || i, printf('%.500c', 'x') FROM n;"
                     "COMMIT;",
                     nullptr, nullptr, nullptr);
        sqlite3_close(raw);
    }
    ASSERT_TRUE(fs::exists(path + "-wal"));
    disk.Fill();
    EXPECT_FALSE(StartUp(db));
    ASSERT_EQ(env.m_messages.size(), 2u) << Messages(env);
    EXPECT_EQ(env.m_messages[0], wxString::FromUTF8("打开Register数据库失败！"));
    EXPECT_NE(env.m_messages[1].Find("full"), wxNOT_FOUND) << env.m_messages[1];
    CloseDataSources(db);

    disk.Free();
    ASSERT_TRUE(StartUp(db)) << Messages(env);
    CRegisterset stays(&db.m_dbRegister);
    stays.Open(CRecordset::dynaset);
    EXPECT_EQ(stays.GetRecordCount(), 300);
    EXPECT_FALSE(fs::exists(path + "-wal")) << "converted once there was room";
}

}  // namespace
