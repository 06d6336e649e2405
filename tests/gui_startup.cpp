// Start-up and shutdown as whole processes. Each case runs the probe program
// (the real application object, its password prompt worked from the command
// line) in a folder of its own, then reads the probe's report and the settings
// file the run left behind. The runs are started together when the suite
// begins, as each one spends two seconds on the splash.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <utility>
#include <vector>

#include "GuiTestSupport.h"
#include "SqliteFiles.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr auto kRunTimeout = std::chrono::seconds(60);

// A stored password of 25 characters; start-up keeps its first 19.
const std::string kLongPassword = "青禾abcdefghijklmnopqrstuvw";
const std::string kCutPassword = "青禾abcdefghijklmnopq";

// What the program folder's DataSave holds before a run.
enum class Databases {
    Fresh,          // copies of the empty database files
    None,           // nothing: the data sources cannot be opened
    NoRoomsTable,   // a database without the rooms table in place of Hotel.db
    LockFileUnusable,  // fresh copies, and a folder where the single-instance lock file would be
    OneRoom,        // fresh copies with room 101
};

struct ProbeCase
{
    ProbeCase(std::string settingsText = {}, std::vector<std::string> probeArgs = {}, bool inSharedHome = false,
              Databases data = Databases::Fresh)
        : settings(std::move(settingsText)), args(std::move(probeArgs)), sharedHome(inSharedHome), databases(data)
    {
    }

    std::string settings;           // the settings file before the run; none when empty
    std::vector<std::string> args;  // prompt actions of the probe
    // Run on this test program's hotel, which it holds the single-instance lock
    // of: its HOME, its data sources and its program folder.
    bool sharedHome;
    Databases databases;
    std::string home;               // a HOME of the test's choosing (shared by runs), when not empty
    std::string programFolder;      // a program folder of the test's choosing (shared by runs), when not empty
    std::string odbcIni;            // a data-source file of the test's choosing (shared by runs), when not empty
};

struct ProbeResult
{
    bool spawned = false;
    bool timedOut = false;
    bool lost = false;  // waitpid could not report the child's end
    int status = 0;  // as waitpid reports it
    double seconds = 0;
    std::vector<std::pair<std::string, std::string>> facts;
    std::string out, err;
    bool settingsExisted = false;  // after the run
    std::string settingsBefore, settingsAfter;
    std::string odbcIniBefore, odbcIniAfter;  // the data sources the run saw
    std::string dataBefore, dataAfter;        // the names, sizes and bytes of the files in DataSave
    bool odbcIniWritten = false;

    std::vector<std::string> All(const std::string& key) const
    {
        std::vector<std::string> values;
        for (const auto& fact : facts)
            if (fact.first == key)
                values.push_back(fact.second);
        return values;
    }
    bool Has(const std::string& key) const { return !All(key).empty(); }
    // The last value reported for the key, or "<none>".
    std::string Get(const std::string& key) const
    {
        std::vector<std::string> values = All(key);
        return values.empty() ? "<none>" : values.back();
    }
    bool ExitedWith(int code) const
    {
        return spawned && !timedOut && !lost && WIFEXITED(status) && WEXITSTATUS(status) == code;
    }
    std::string Describe() const
    {
        std::string text = spawned ? "" : "probe not started\n";
        if (timedOut)
            text += "timed out\n";
        else if (lost)
            text += "end not seen by waitpid\n";
        else if (WIFSIGNALED(status))
            text += "killed by signal " + std::to_string(WTERMSIG(status)) + "\n";
        else if (WIFEXITED(status))
            text += "exit code " + std::to_string(WEXITSTATUS(status)) + " after " + std::to_string(seconds) + " s\n";
        text += "--- stdout\n" + out;
        text += "--- stderr (end)\n" + (err.size() > 3000 ? err.substr(err.size() - 3000) : err);
        return text;
    }
};

std::string Unescape(const std::string& value)
{
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const char c = value[++i];
        out += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> ParseFacts(const std::string& out)
{
    std::vector<std::pair<std::string, std::string>> facts;
    size_t start = 0;
    while (start < out.size()) {
        size_t end = out.find('\n', start);
        if (end == std::string::npos)
            end = out.size();
        const std::string line = out.substr(start, end - start);
        const size_t eq = line.find('=');
        if (eq != std::string::npos)
            facts.emplace_back(line.substr(0, eq), Unescape(line.substr(eq + 1)));
        start = end + 1;
    }
    return facts;
}

// The value of section/key of an INI text (names compared exactly), if the key is there.
std::optional<std::string> IniValue(const std::string& text, const std::string& section, const std::string& key)
{
    std::istringstream in(text);
    std::string line, current;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.front() == '[') {
            current = line.substr(1, line.find(']') - 1);
            continue;
        }
        const size_t eq = line.find('=');
        if (current == section && eq != std::string::npos && line.substr(0, eq) == key)
            return line.substr(eq + 1);
    }
    return std::nullopt;
}

bool HasSection(const std::string& text, const std::string& section)
{
    return text.find("[" + section + "]") != std::string::npos;
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// One child run of the probe in a folder of its own: a HOME, an ODBCINI, a
// current directory holding the settings file and a program folder with fresh
// copies of the empty database files.
class ProbeRun
{
public:
    ProbeRun(const std::string& name, const ProbeCase& probeCase)
        : m_folder(GuiEnvironment().Folder() + "/startup-" + name),
          m_odbcIni(probeCase.sharedHome         ? GuiEnvironment().Folder() + "/.odbc.ini"
                    : !probeCase.odbcIni.empty() ? probeCase.odbcIni
                                                 : m_folder + "/odbc.ini")
    {
        const std::string programFolder = probeCase.sharedHome            ? GuiEnvironment().ProgramFolder()
                                          : !probeCase.programFolder.empty() ? probeCase.programFolder
                                                                             : m_folder + "/prog/";
        fs::create_directories(m_folder + "/home");
        fs::create_directories(DeskFolder());
        m_dataSave = programFolder + "DataSave";
        if (!fs::exists(m_dataSave))
            PutDatabases(m_dataSave, probeCase.databases);
        m_result.dataBefore = FilesAndBytes(m_dataSave);
        if (!probeCase.settings.empty())
            WriteFile(SettingsPath(), probeCase.settings);
        m_result.settingsBefore = ReadFileText(SettingsPath());
        m_result.odbcIniBefore = ReadFileText(m_odbcIni);

        std::vector<std::string> argv{STARTUP_PROBE, "--program-folder=" + programFolder};
        argv.insert(argv.end(), probeCase.args.begin(), probeCase.args.end());
        const std::map<std::string, std::string> overrides{
            {"HOME", !probeCase.home.empty() ? probeCase.home
                     : probeCase.sharedHome  ? GuiEnvironment().Folder()
                                             : m_folder + "/home"},
            {"ODBCINI", m_odbcIni},
            {"NO_AT_BRIDGE", "1"},  // no accessibility bus to wait for
        };
        m_started = std::chrono::steady_clock::now();
        m_pid = Spawn(argv, overrides);
        m_result.spawned = m_pid > 0;
    }

    ~ProbeRun() { Finish(); }

    // Waits, polling the report, until the probe has reported key=value; false
    // when it ended or the run's time ran out first.
    bool WaitForFact(const std::string& key, const std::string& value)
    {
        const std::string line = key + "=" + value + "\n";
        while (std::chrono::steady_clock::now() < m_started + kRunTimeout) {
            if (ReadFileText(m_folder + "/probe.out").find(line) != std::string::npos)
                return true;
            int status = 0;
            if (m_pid > 0 && waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_result.status = status;
                m_pid = 0;  // Finish only collects the report now
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    // Ends the probe as a power button or the OOM killer would: SIGKILL.
    const ProbeResult& Kill()
    {
        if (m_pid > 0)
            kill(m_pid, SIGKILL);
        return Finish();
    }

    const ProbeResult& Finish()
    {
        if (m_finished || !m_result.spawned)
            return m_result;
        m_finished = true;
        const auto deadline = m_started + kRunTimeout;
        while (m_pid > 0) {
            const pid_t done = waitpid(m_pid, &m_result.status, WNOHANG);
            if (done == m_pid)
                break;
            if (done < 0 && errno != EINTR) {
                m_result.lost = true;
                break;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                kill(m_pid, SIGKILL);
                waitpid(m_pid, &m_result.status, 0);
                m_result.timedOut = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        m_pid = 0;
        m_result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_started).count();
        m_result.out = ReadFileText(m_folder + "/probe.out");
        m_result.err = ReadFileText(m_folder + "/probe.err");
        m_result.facts = ParseFacts(m_result.out);
        m_result.settingsExisted = fs::exists(SettingsPath());
        m_result.settingsAfter = ReadFileText(SettingsPath());
        m_result.odbcIniAfter = ReadFileText(m_odbcIni);
        m_result.dataAfter = FilesAndBytes(m_dataSave);
        m_result.odbcIniWritten = fs::exists(m_odbcIni);
        return m_result;
    }

private:
    std::string DeskFolder() const { return m_folder + "/desk"; }
    std::string SettingsPath() const { return DeskFolder() + "/Quillan.INI"; }

    static void PutDatabases(const std::string& dataSave, Databases databases)
    {
        fs::create_directories(dataSave);
        if (databases != Databases::None)
            for (const char* db : {"Hotel.db", "Register.db", "Cashbook.db"})
                fs::copy_file(fs::path(DATASAVE_DIR) / db, fs::path(dataSave) / db);
        if (databases == Databases::NoRoomsTable)
            fs::copy_file(fs::path(DATASAVE_DIR) / "Register.db", fs::path(dataSave) / "Hotel.db",
                          fs::copy_options::overwrite_existing);
        if (databases == Databases::LockFileUnusable)
            fs::create_directory(fs::path(dataSave) / "Quillan2021.lock");
        if (databases == Databases::OneRoom)
            ExecuteOnDatabase(dataSave + "/Hotel.db", "INSERT INTO [house]([房间号], [房价]) VALUES ('101', '80')");
    }

    // Each file's name, size and bytes, in name order.
    static std::string FilesAndBytes(const std::string& folder)
    {
        std::map<std::string, std::string> files;
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(folder, ignored))
            files[entry.path().filename().string()] = ReadFileText(entry.path().string());
        std::string all;
        for (const auto& [name, bytes] : files)
            all += name + " (" + std::to_string(bytes.size()) + " bytes)\n" + bytes;
        return all;
    }

    pid_t Spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& overrides)
    {
        std::vector<std::string> env;
        for (char** entry = environ; *entry; ++entry) {
            const std::string text = *entry;
            if (!overrides.count(text.substr(0, text.find('='))))
                env.push_back(text);
        }
        for (const auto& [name, value] : overrides)
            env.push_back(name + "=" + value);

        std::vector<char*> args, envp;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        for (const std::string& entry : env)
            envp.push_back(const_cast<char*>(entry.c_str()));
        envp.push_back(nullptr);

        const std::string out = m_folder + "/probe.out", err = m_folder + "/probe.err", cwd = DeskFolder();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
        pid_t pid = 0;
        const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        return rc == 0 ? pid : -1;
    }

    std::string m_folder;
    std::string m_odbcIni;
    std::string m_dataSave;
    pid_t m_pid = 0;  // until the probe's end has been seen
    bool m_finished = false;
    std::chrono::steady_clock::time_point m_started;
    ProbeResult m_result;
};

const std::map<std::string, ProbeCase>& Cases()
{
    static const std::map<std::string, ProbeCase> cases{
        {"first-start", {}},
        {"locked-english",
         {"[PASSWORD]\nBOOTPSLock=7\nCashBookLock=0\nPassword=" + kLongPassword + "\n[LANGUAGE]\nLanguage=2\n",
          {"--type=" + kLongPassword, "--type=青禾ABCDEFGHIJKLMNOPQ", "--type=" + kCutPassword}}},
        {"empty-password-language-5",
         {"[LANGUAGE]\nLanguage=5\n[PASSWORD]\nBOOTPSLock=1\nCashBookLock=0\nPassword=\n", {"--type="}}},
        // Values that any save would rewrite (7, 3, 0), so a write shows in the bytes.
        {"cancel",
         {"[PASSWORD]\r\nBOOTPSLock=7\r\nCashBookLock=3\r\nPassword=secret\r\n[LANGUAGE]\r\nLanguage=0\r\n",
          {"--type=wrong", "--cancel"}}},
        {"close-box",
         {"[PASSWORD]\nBOOTPSLock=7\nCashBookLock=3\nPassword=secret\n[LANGUAGE]\nLanguage=0\n", {"--close"}}},
        {"second-copy",
         {"[PASSWORD]\nBOOTPSLock=1\nCashBookLock=1\nPassword=secret\n[LANGUAGE]\nLanguage=2\n", {}, true}},
        {"no-databases", {{}, {}, false, Databases::None}},
        {"no-rooms-table", {{}, {}, false, Databases::NoRoomsTable}},
        {"lock-unusable", {{}, {}, false, Databases::LockFileUnusable}},
        {"lock-unusable-english", {"[LANGUAGE]\nLanguage=2\n", {}, false, Databases::LockFileUnusable}},
    };
    return cases;
}

// Runs on one hotel, as two logins sharing one program folder make them: each
// has a HOME and data sources of its own, the databases and so the
// single-instance lock are the same.
struct LockSequence
{
    ProbeResult cancelled;  // Cancel at the start-up password prompt
    bool held = false;      // the next run came up and holds the lock
    ProbeResult second;     // a start of the other login while it runs
    ProbeResult holder;     // the holder, killed with SIGKILL
    ProbeResult afterKill;  // a start of the other login after that
};

LockSequence RunLockSequence()
{
    ProbeCase first, other;
    first.programFolder = other.programFolder = GuiEnvironment().Folder() + "/startup-lock-prog/";
    first.home = GuiEnvironment().Folder() + "/startup-lock-home-first";
    other.home = GuiEnvironment().Folder() + "/startup-lock-home-other";
    fs::create_directories(first.home);
    fs::create_directories(other.home);

    LockSequence sequence;
    ProbeCase locked = first;
    locked.settings = "[PASSWORD]\nBOOTPSLock=1\nPassword=secret\n";
    locked.args = {"--cancel"};
    sequence.cancelled = ProbeRun("lock-cancel", locked).Finish();
    // A lock file left behind that names a live process (this one) blocks nothing.
    WriteFile(first.programFolder + "DataSave/Quillan2021.lock", std::to_string(getpid()) + "\n");

    ProbeCase hold = first;
    hold.args = {"--hold"};
    ProbeRun holder("lock-holder", hold);
    sequence.held = holder.WaitForFact("holding", "1");
    sequence.second = ProbeRun("lock-second", other).Finish();
    sequence.holder = holder.Kill();
    sequence.afterKill = ProbeRun("lock-after-kill", other).Finish();
    return sequence;
}

// The names and sizes of a FilesAndBytes text, without the bytes.
std::string FileNamesAndSizes(const std::string& files)
{
    std::string names;
    for (size_t at = 0; at < files.size();) {
        const size_t open = files.find(" (", at), close = files.find(" bytes)\n", open);
        if (open == std::string::npos || close == std::string::npos)
            break;
        names += files.substr(at, close + 7 - at) + "; ";
        at = close + 8 + std::stoul(files.substr(open + 2, close - open - 2));
    }
    return names;
}

// A hotel that ran before, started again on a disk with no byte free.
ProbeResult RunOnAFullDisk()
{
    ProbeCase before;
    before.programFolder = GuiEnvironment().Folder() + "/startup-full-disk-prog/";
    before.odbcIni = GuiEnvironment().Folder() + "/startup-full-disk-odbc.ini";
    before.databases = Databases::OneRoom;
    ProbeRun("full-disk-before", before).Finish();
    ProbeCase full = before;
    // Values that a save at exit would rewrite (3), so a write shows in the bytes.
    full.settings = "[PASSWORD]\nBOOTPSLock=0\nCashBookLock=3\nPassword=x\n[LANGUAGE]\nLanguage=1\n";
    full.args = {"--full-disk"};
    return ProbeRun("full-disk", full).Finish();
}

// A run that went through without a dialog other than the prompt, a wx
// assertion or a prompt left waiting.
void ExpectNoProbeComplaints(const ProbeResult& r)
{
    for (const char* key : {"unexpected_dialog", "assert", "prompt_left_open", "prompt_error", "error"})
        EXPECT_FALSE(r.Has(key)) << key << ": " << r.Get(key) << "\n" << r.Describe();
}

}  // namespace

class Startup : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_runs = new std::map<std::string, std::unique_ptr<ProbeRun>>;
        for (const auto& [name, probeCase] : Cases())
            (*s_runs)[name] = std::make_unique<ProbeRun>(name, probeCase);
        // Only spawns and waits for processes: no toolkit call leaves the UI thread.
        s_lockSequence = new std::shared_future<LockSequence>(std::async(std::launch::async, RunLockSequence));
        s_fullDisk = new std::shared_future<ProbeResult>(std::async(std::launch::async, RunOnAFullDisk));
    }

    static void TearDownTestSuite()
    {
        s_lockSequence->wait();
        delete s_lockSequence;
        s_lockSequence = nullptr;
        s_fullDisk->wait();
        delete s_fullDisk;
        s_fullDisk = nullptr;
        delete s_runs;
        s_runs = nullptr;
    }

    static const ProbeResult& Run(const std::string& name) { return s_runs->at(name)->Finish(); }

    static std::map<std::string, std::unique_ptr<ProbeRun>>* s_runs;
    static std::shared_future<LockSequence>* s_lockSequence;
    static std::shared_future<ProbeResult>* s_fullDisk;
};

std::map<std::string, std::unique_ptr<ProbeRun>>* Startup::s_runs = nullptr;
std::shared_future<LockSequence>* Startup::s_lockSequence = nullptr;
std::shared_future<ProbeResult>* Startup::s_fullDisk = nullptr;

TEST_F(Startup, FirstStartWithoutSettingsFileIsChineseUnlockedAndCreatesTheFile)
{
    const ProbeResult& r = Run("first-start");
    ASSERT_TRUE(r.ExitedWith(0)) << r.Describe();
    ExpectNoProbeComplaints(r);
    EXPECT_FALSE(r.Has("prompt_title")) << "no password is asked without a start-up lock";
    EXPECT_EQ(r.Get("started"), "1");
    EXPECT_EQ(r.Get("shown"), "1");
    EXPECT_EQ(r.Get("title"), "青禾旅馆");
    EXPECT_EQ(r.Get("language"), "1");
    EXPECT_EQ(r.Get("menu0"), "客房管理(&G)");
    EXPECT_EQ(r.Get("heading0"), "房间号");

    const std::string atStart = r.Get("settings_at_start");
    EXPECT_EQ(IniValue(atStart, "LANGUAGE", "Language"), "1") << atStart;
    EXPECT_FALSE(HasSection(atStart, "PASSWORD")) << "the lock settings are written only at exit:\n" << atStart;

    EXPECT_EQ(r.Get("shutdown"), "1");
    ASSERT_TRUE(r.settingsExisted);
    EXPECT_EQ(IniValue(r.settingsAfter, "LANGUAGE", "Language"), "1") << r.settingsAfter;
    EXPECT_EQ(IniValue(r.settingsAfter, "PASSWORD", "BOOTPSLock"), "0") << r.settingsAfter;
    EXPECT_EQ(IniValue(r.settingsAfter, "PASSWORD", "CashBookLock"), "0") << r.settingsAfter;
    EXPECT_EQ(IniValue(r.settingsAfter, "PASSWORD", "Password"), "") << r.settingsAfter;
}

TEST_F(Startup, StartupLockAsksUntilTheHeldPasswordIsTyped)
{
    // The stored 25 characters, then the held 19 in upper case, are both refused
    // silently with the text left in the field; the held 19 are accepted.
    const ProbeResult& r = Run("locked-english");
    ASSERT_TRUE(r.ExitedWith(0)) << r.Describe();
    ExpectNoProbeComplaints(r);
    EXPECT_EQ(r.Get("prompt_title"), "Input Password") << "the language is read before the prompt";
    EXPECT_EQ(r.All("prompt_ok"), (std::vector<std::string>{"kept", "kept", "accepted"})) << r.Describe();
    EXPECT_EQ(r.All("prompt_field"), (std::vector<std::string>{kLongPassword, "青禾ABCDEFGHIJKLMNOPQ"}));
    EXPECT_EQ(r.Get("prompt_result"), "ok");
    EXPECT_EQ(r.Get("started"), "1");
    EXPECT_EQ(r.Get("title"), "青禾旅馆");

    // An empty held password with the lock on: an empty entry is the password.
    const ProbeResult& empty = Run("empty-password-language-5");
    ASSERT_TRUE(empty.ExitedWith(0)) << empty.Describe();
    ExpectNoProbeComplaints(empty);
    EXPECT_EQ(empty.Get("prompt_title"), "输入密码");
    EXPECT_EQ(empty.All("prompt_ok"), std::vector<std::string>{"accepted"}) << empty.Describe();
    EXPECT_EQ(empty.Get("started"), "1");
}

TEST_F(Startup, SettingsCarryOverToTheNextStartAndAreWrittenBackAtExit)
{
    const ProbeResult& r = Run("locked-english");
    ASSERT_TRUE(r.ExitedWith(0)) << r.Describe();
    EXPECT_EQ(r.Get("language"), "2");
    EXPECT_EQ(r.Get("menu0"), "GuestRoom(&G)");
    EXPECT_EQ(r.Get("heading0"), "HouseNumber");
    EXPECT_EQ(r.Get("shutdown"), "1");
    EXPECT_EQ(IniValue(r.settingsAfter, "PASSWORD", "BOOTPSLock"), "1") << "a lock value of 7 is on, saved as 1";
    EXPECT_EQ(IniValue(r.settingsAfter, "PASSWORD", "CashBookLock"), "0");
    EXPECT_EQ(IniValue(r.settingsAfter, "PASSWORD", "Password"), kCutPassword) << r.settingsAfter;
    EXPECT_EQ(IniValue(r.settingsAfter, "LANGUAGE", "Language"), "2");

    // A language other than 0, 1 and 2 is kept as read and never rewritten.
    const ProbeResult& other = Run("empty-password-language-5");
    ASSERT_TRUE(other.ExitedWith(0)) << other.Describe();
    EXPECT_EQ(other.Get("language"), "5");
    EXPECT_EQ(IniValue(other.Get("settings_at_start"), "LANGUAGE", "Language"), "5");
    EXPECT_EQ(other.Get("shutdown"), "1");
    EXPECT_EQ(IniValue(other.settingsAfter, "LANGUAGE", "Language"), "5") << other.settingsAfter;
    EXPECT_EQ(IniValue(other.settingsAfter, "PASSWORD", "BOOTPSLock"), "1");
    EXPECT_EQ(IniValue(other.settingsAfter, "PASSWORD", "Password"), "");
}

TEST_F(Startup, CancellingTheStartupPromptEndsTheProcessWritingNothing)
{
    for (const char* name : {"cancel", "close-box"}) {
        SCOPED_TRACE(name);
        const ProbeResult& r = Run(name);
        EXPECT_TRUE(r.ExitedWith(0)) << r.Describe();
        ExpectNoProbeComplaints(r);
        EXPECT_EQ(r.Get("prompt_title"), "输入密码");
        EXPECT_EQ(r.Get("prompt_result"), "cancel") << r.Describe();
        EXPECT_FALSE(r.Has("started")) << "start-up must not go on:\n" << r.Describe();
        EXPECT_FALSE(r.Has("shutdown")) << "the shutdown must not run:\n" << r.Describe();
        EXPECT_EQ(r.settingsAfter, r.settingsBefore);
    }
}

TEST_F(Startup, SecondCopyEndsAtOnceWithoutWindowMessageOrSettings)
{
    // This test program is the running copy: the child starts on its hotel and so meets its lock.
    const ProbeResult& r = Run("second-copy");
    ASSERT_TRUE(r.ExitedWith(0)) << r.Describe();
    ExpectNoProbeComplaints(r);
    EXPECT_EQ(r.Get("started"), "0") << r.Describe();
    EXPECT_EQ(r.Get("windows_shown"), "0") << "not even the splash";
    EXPECT_FALSE(r.Has("prompt_title"));
    EXPECT_EQ(r.settingsAfter, r.settingsBefore) << "the running copy's settings were overwritten";
    EXPECT_EQ(r.odbcIniAfter, r.odbcIniBefore) << "the data sources the running copy works on were changed";
}

TEST_F(Startup, ALockFileThatCannotBeUsedIsRefusedWithAMessageInTheUiLanguage)
{
    const std::pair<const char*, const char*> runs[] = {
        {"lock-unusable", "无法使用本旅馆数据的锁文件："},
        {"lock-unusable-english", "The lock file of this hotel's data cannot be used:"},
    };
    for (const auto& [name, message] : runs) {
        SCOPED_TRACE(name);
        const ProbeResult& r = Run(name);
        EXPECT_TRUE(r.ExitedWith(0)) << r.Describe();
        EXPECT_EQ(r.Get("started"), "0") << "a copy went on without the lock:\n" << r.Describe();
        EXPECT_EQ(r.Get("windows_shown"), "0");
        const std::vector<std::string> boxes = r.All("unexpected_dialog");
        ASSERT_EQ(boxes.size(), 1u) << r.Describe();
        EXPECT_NE(boxes[0].find(std::string("message box: ") + message), std::string::npos) << boxes[0];
        EXPECT_NE(boxes[0].find("Quillan2021.lock"), std::string::npos) << boxes[0];
        EXPECT_EQ(r.settingsAfter, r.settingsBefore) << "a copy that never ran wrote its settings";
    }
}

TEST_F(Startup, StartupThatCannotOpenItsDataEndsWithExitCodeZero)
{
    // Each shows its message (answered by the probe) and ends through the shutdown.
    const std::pair<const char*, const char*> ends[] = {
        {"no-databases", "打开Hotel数据库失败！"},
        // The data source's own open reads its table, so a file without it fails there.
        {"no-rooms-table", "打开Hotel数据库失败！"},
    };
    for (const auto& [name, message] : ends) {
        SCOPED_TRACE(name);
        const ProbeResult& r = Run(name);
        EXPECT_TRUE(r.ExitedWith(0)) << r.Describe();
        EXPECT_EQ(r.Get("started"), "0") << r.Describe();
        const std::vector<std::string> boxes = r.All("unexpected_dialog");
        ASSERT_FALSE(boxes.empty()) << r.Describe();
        EXPECT_NE(boxes.front().find(message), std::string::npos) << r.Describe();
        EXPECT_EQ(r.Get("shutdown"), "1");
    }
}

// A start that changes nothing writes nothing: on a disk with no byte free the
// clerk sees the board; the settings that cannot be saved at exit stay as they were.
TEST_F(Startup, AStartOnAFullDiskShowsTheBoardAndWritesNothing)
{
    const ProbeResult& r = s_fullDisk->get();
    ASSERT_TRUE(r.ExitedWith(0)) << r.Describe();
    ExpectNoProbeComplaints(r);
    EXPECT_EQ(r.Get("started"), "1") << r.Describe();
    EXPECT_EQ(r.Get("shown"), "1");
    EXPECT_EQ(r.Get("heading0"), "房间号");
    EXPECT_EQ(r.Get("rows"), "1");
    EXPECT_EQ(r.Get("shutdown"), "1");
    EXPECT_EQ(r.settingsAfter, r.settingsBefore);
    // No database and no journal is written (the first start made the lock file).
    EXPECT_TRUE(r.dataAfter == r.dataBefore) << "a start wrote to the data: " << FileNamesAndSizes(r.dataAfter);
}

TEST_F(Startup, TheSingleInstanceLockDiesWithItsProcess)
{
    const LockSequence& s = s_lockSequence->get();
    EXPECT_TRUE(s.cancelled.ExitedWith(0)) << s.cancelled.Describe();
    EXPECT_EQ(s.cancelled.Get("prompt_result"), "cancel") << s.cancelled.Describe();

    ASSERT_TRUE(s.held) << "a start after Cancel at the prompt did not come up:\n" << s.holder.Describe();
    EXPECT_TRUE(s.second.ExitedWith(0)) << s.second.Describe();
    EXPECT_EQ(s.second.Get("started"), "0") << "a second copy on the same hotel went on:\n" << s.second.Describe();
    EXPECT_EQ(s.second.Get("windows_shown"), "0");
    EXPECT_FALSE(s.second.Has("unexpected_dialog")) << s.second.Describe();

    EXPECT_TRUE(WIFSIGNALED(s.holder.status) && WTERMSIG(s.holder.status) == SIGKILL) << s.holder.Describe();
    EXPECT_TRUE(s.afterKill.ExitedWith(0)) << s.afterKill.Describe();
    EXPECT_EQ(s.afterKill.Get("started"), "1") << "a killed copy still blocks:\n" << s.afterKill.Describe();
    EXPECT_EQ(s.afterKill.Get("shutdown"), "1");
}
