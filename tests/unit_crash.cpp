// The desk killed at random moments: a child process (tests/crash) runs check-ins,
// check-outs, changes of room, guest-record edits, imports and exports,
// renumbers, deletes and adds rooms, and changes the password settings through
// the program's own operations on real files and is killed with SIGKILL over
// and over. After each kill the three files must pass SQLite's integrity check
// and, with the settings file, hold exactly the operations the child saw
// committed, plus at most the one it was in the middle of, whole; whatever the
// operations, every running stay is in a room that exists, which counts its
// running stays; the export file must be the last export the child finished, or
// the one it was writing, whole, never a cut one; and the next start leaves no
// temporary file of the settings behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "CCsvFile.h"
#include "CRegisterset.h"
#include "CsvTransfer.h"
#include "LockSettings.h"
#include "SqliteFiles.h"
#include "TestEnvironment.h"

namespace {

using Clock = std::chrono::steady_clock;

// ---------------------------------------------------------------- what the files should hold

struct Operation
{
    // CI name room, CO name, MV name room, ED name n, IM prefix count (names
    // prefix0, prefix1...), EX rows, RN room newNumber, DR room, AR room,
    // PW password flags (the start-up lock, then the cash-book lock, each 0 or 1)
    std::string kind, name, room;
};

struct StayState
{
    std::string room;
    bool closed = false;
    // As checked in, or as the last edit "ED name n" stored them: E<n> and <n>.5000.
    std::string remarks, paid = "100.00";
    bool operator==(const StayState& o) const
    {
        return room == o.room && closed == o.closed && remarks == o.remarks && paid == o.paid;
    }
};

// The three tables reduced to what the operations change.
struct DeskState
{
    std::map<std::string, StayState> stays;              // by guest name
    std::multiset<std::pair<std::string, std::string>> cash;  // (guest, room) of each cash-book row
    std::map<std::string, std::pair<int, bool>> rooms;  // room: persons, occupied
    std::map<std::string, int> imported;  // closed stays from each imported file, by name prefix
    std::string settings;                 // the settings file, "" while there is none

    bool operator==(const DeskState& o) const
    {
        return stays == o.stays && cash == o.cash && rooms == o.rooms && imported == o.imported &&
               settings == o.settings;
    }
};

// The guests as the committed operations left them.
struct Model
{
    std::map<std::string, StayState> stays;
    std::vector<std::string> roomNumbers;

    void Apply(const Operation& op)
    {
        if (op.kind == "CI") {
            stays[op.name] = StayState();
            stays[op.name].room = op.room;
        } else if (op.kind == "CO") {
            stays[op.name].closed = true;
        } else if (op.kind == "MV") {
            stays[op.name].room = op.room;
        } else if (op.kind == "ED") {
            stays[op.name].remarks = "E" + op.room;
            stays[op.name].paid = op.room + ".5000";
        } else if (op.kind == "IM") {
            imports[op.name] = std::stoi(op.room);
        } else if (op.kind == "EX") {
            exportedRows = std::stol(op.name);
        } else if (op.kind == "RN") {
            Renumber(op.name, op.room);
        } else if (op.kind == "DR" && !HasGuests(op.name)) {
            roomNumbers.erase(std::find(roomNumbers.begin(), roomNumbers.end(), op.name));
        } else if (op.kind == "AR") {
            roomNumbers.push_back(op.name);
        } else if (op.kind == "PW") {
            settings = "[PASSWORD]\nBOOTPSLock=" + op.room.substr(0, 1) + "\nCashBookLock=" + op.room.substr(1, 1) +
                       "\nPassword=" + op.name + "\n";
        }
    }

    void Renumber(const std::string& from, const std::string& to)
    {
        std::replace(roomNumbers.begin(), roomNumbers.end(), from, to);
        for (auto& [name, stay] : stays)
            if (!stay.closed && stay.room == from)
                stay.room = to;
    }

    bool HasGuests(const std::string& room) const
    {
        for (const auto& [name, stay] : stays)
            if (!stay.closed && stay.room == room)
                return true;
        return false;
    }

    std::map<std::string, int> imports;  // rows of each file imported, by name prefix
    std::optional<long> exportedRows;     // the stays the last export finished wrote
    std::string settings;                 // the settings file the last change wrote

    // What the tables must hold: every open stay counted in its room, every
    // closed stay with its cash-book row.
    DeskState Expected() const
    {
        DeskState state;
        state.stays = stays;
        state.imported = imports;
        state.settings = settings;
        for (const std::string& room : roomNumbers)
            state.rooms[room] = {0, false};
        for (const auto& [name, stay] : stays) {
            if (stay.closed) {
                state.cash.insert({name, stay.room});
            } else {
                auto& room = state.rooms[stay.room];
                ++room.first;
                room.second = true;
            }
        }
        return state;
    }
};

std::string Path(const TestEnvironment& env, const char* file)
{
    return env.DataSaveFolder() + file;
}

DeskState ReadState(const TestEnvironment& env)
{
    DeskState state;
    for (const auto& row :
         QueryDatabase(Path(env, "Register.db"),
                       "SELECT [姓名], [房间号], [退房日期] IS NOT NULL, [本人职务备注], [交钱] FROM [register]")) {
        const StayState stay{row[1], row[2] == "1", row[3], row[4]};
        if (row[0].rfind("I", 0) == 0)
            state.imported[row[0].substr(0, row[0].rfind('-') + 1) + (stay.closed ? "" : " open")]++;
        else if (!state.stays.emplace(row[0], stay).second)
            state.stays["duplicate stay of " + row[0]] = {};
    }
    for (const auto& row : QueryDatabase(Path(env, "Cashbook.db"), "SELECT [姓名], [房间号] FROM [cashbook]"))
        state.cash.insert({row[0], row[1]});
    for (const auto& row : QueryDatabase(Path(env, "Hotel.db"), "SELECT [房间号], [房间人数], [住房] FROM [house]"))
        state.rooms[row[0]] = {std::stoi(row[1]), row[2] == "1"};
    state.settings = ReadFileText(env.Folder() + "/Quillan.INI");
    return state;
}

// The temporary files of the settings file in the folder.
int SettingsTemporaries(const TestEnvironment& env)
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(env.Folder()))
        count += entry.path().filename().string().rfind("Quillan.INI.", 0) == 0;
    return count;
}

// What the files hold that no sequence of operations may leave: a running stay
// in a room that does not exist, a room whose persons are not its running stays.
std::vector<std::string> BrokenRooms(const DeskState& found)
{
    std::map<std::string, int> guests;
    std::vector<std::string> problems;
    for (const auto& [name, stay] : found.stays) {
        if (stay.closed)
            continue;
        ++guests[stay.room];
        if (!found.rooms.count(stay.room))
            problems.push_back("the running stay of " + name + " is in room " + stay.room + ", which does not exist");
    }
    for (const auto& [room, counts] : found.rooms) {
        const int open = guests.count(room) ? guests[room] : 0;
        if (counts.first != open || counts.second != (open > 0))
            problems.push_back("room " + room + " has " + std::to_string(counts.first) + " persons, occupied " +
                               std::to_string(counts.second) + ", for " + std::to_string(open) + " running stays");
    }
    return problems;
}

// What is wrong with `found` against `expected`, in the terms of the desk.
std::vector<std::string> Differences(const DeskState& found, const DeskState& expected)
{
    std::vector<std::string> problems;
    for (const auto& [room, counts] : found.rooms)
        if (!expected.rooms.count(room))
            problems.push_back("room " + room + " that no operation left");
    for (const auto& [room, counts] : expected.rooms)
        if (!found.rooms.count(room))
            problems.push_back("room " + room + " is missing");
    for (const auto& [room, counts] : found.rooms) {
        auto it = expected.rooms.find(room);
        if (it != expected.rooms.end() && it->second != counts)
            problems.push_back("room " + room + " has " + std::to_string(counts.first) + " persons, occupied " +
                               std::to_string(counts.second) + ", for " + std::to_string(it->second.first) +
                               " open stays");
    }
    for (const auto& [name, stay] : expected.stays) {
        auto it = found.stays.find(name);
        if (it == found.stays.end())
            problems.push_back("committed stay of " + name + " is missing");
        else if (!(it->second == stay))
            problems.push_back("stay of " + name + " is in " + it->second.room + (it->second.closed ? " closed" : " open") +
                               " with " + it->second.remarks + "/" + it->second.paid + ", committed: " + stay.room +
                               (stay.closed ? " closed" : " open") + " with " + stay.remarks + "/" + stay.paid);
    }
    for (const auto& [name, stay] : found.stays)
        if (!expected.stays.count(name))
            problems.push_back("stay of " + name + " that no operation wrote");
    if (found.imported != expected.imported)
        problems.push_back("the stays table holds " + std::to_string(found.imported.size()) + " imported files for " +
                           std::to_string(expected.imported.size()) + ", or parts of one");
    if (found.cash != expected.cash)
        problems.push_back("the cash book holds " + std::to_string(found.cash.size()) + " rows for " +
                           std::to_string(expected.cash.size()) + " closed stays, or rows of other rooms");
    if (found.settings != expected.settings)
        problems.push_back("the settings file holds \"" + found.settings + "\" for \"" + expected.settings + "\"");
    return problems;
}

// ---------------------------------------------------------------- the export file

const char* const kExportFile = "export.csv";

// The export of the stays as the files now hold them, made by the program's
// own code: what an export the child was writing at the kill must be, whole.
std::string ExportNow(const TestEnvironment& env)
{
    CDatabase reg;
    reg.OpenEx(CString("Driver=SQLite3;Database=") + wxString::FromUTF8(Path(env, "Register.db")));
    CRegisterset stays(&reg);
    stays.Open(CRecordset::dynaset);
    const std::string scratch = env.Folder() + "/expected.csv";
    CCsvFile file;
    if (!file.Open(wxString::FromUTF8(scratch).ToStdWstring(), CCsvFile::modeReplace) ||
        !ExportCsv(GuestCsvTable(stays), file))
        return "export failed";
    return ReadFileText(scratch);
}

// What is wrong with the export file when it must hold `rows` stays, whole
// (none: no export finished yet, so no file).
std::vector<std::string> ExportProblems(const std::string& path, const std::optional<long>& rows)
{
    const bool exists = access(path.c_str(), F_OK) == 0;
    if (!rows)
        return exists ? std::vector<std::string>{"an export file that no export finished"} : std::vector<std::string>{};
    if (!exists)
        return {"the last export's file is gone"};
    const std::string bytes = ReadFileText(path);
    const std::string header = GuestCsvHeader();
    if (bytes.compare(0, header.size(), header) != 0)
        return {"the export file does not begin with its header"};
    if (bytes.back() != '\r')
        return {"the export file ends inside a line"};
    long lines = 0;
    for (size_t start = header.size(); start < bytes.size(); ++lines) {
        const size_t end = bytes.find('\r', start);
        if (std::count(bytes.begin() + long(start), bytes.begin() + long(end), ',') != 11)
            return {"line " + std::to_string(lines + 2) + " of the export file is not a stay"};
        start = end + 1;
    }
    if (lines != *rows)
        return {"the export file holds " + std::to_string(lines) + " stays for the " + std::to_string(*rows) +
                " the last export wrote"};
    return {};
}

// Temporaries an export left beside its file; they are removed once counted.
int TakeTemporaries(const TestEnvironment& env)
{
    int found = 0;
    const std::string stem = std::string(".") + kExportFile + ".";
    for (const auto& entry : std::filesystem::directory_iterator(env.ProgramFolder()))
        if (entry.path().filename().string().rfind(stem, 0) == 0) {
            ++found;
            std::filesystem::remove(entry.path());
        }
    return found;
}

// ---------------------------------------------------------------- the child's log

// Reads the log lines the child wrote since `offset`: committed operations and
// the one it had begun when it died, if any. Then records how that one ended,
// so that the next child's lines follow complete pairs.
class ChildLog
{
public:
    explicit ChildLog(std::string path) : m_path(std::move(path)) {}
    const std::string& PathName() const { return m_path; }

    std::vector<Operation> committed;
    std::optional<Operation> inFlight;

    void ReadNew()
    {
        committed.clear();
        inFlight.reset();
        std::ifstream in(m_path, std::ios::binary);
        in.seekg(m_offset);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // A line cut short by the kill is no line: the operation it announced had not begun.
        const size_t end = text.rfind('\n');
        text.resize(end == std::string::npos ? 0 : end + 1);
        truncate(m_path.c_str(), off_t(m_offset + text.size()));
        m_offset += text.size();

        std::istringstream lines(text);
        std::string line;
        while (std::getline(lines, line)) {
            if (line == "X") {
                inFlight.reset();
            } else if (line == "C" && inFlight) {
                committed.push_back(*inFlight);
                inFlight.reset();
            } else if (line.rfind("B ", 0) == 0) {
                std::istringstream words(line.substr(2));
                Operation op;
                words >> op.kind >> op.name >> op.room;
                inFlight = op;
            }
        }
    }

    // The operation in flight reached the files ("C") or did not ("X").
    void Settle(bool reached)
    {
        std::ofstream out(m_path, std::ios::binary | std::ios::app);
        out << (reached ? "C\n" : "X\n");
        m_offset += 2;
    }

private:
    std::string m_path;
    size_t m_offset = 0;
};

// ---------------------------------------------------------------- the child process

struct Child
{
    pid_t pid = -1;
    int out = -1;  // its standard output
};

Child Spawn(const TestEnvironment& env, const std::string& logPath, int run)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {};
    const std::string errPath = env.Folder() + "/child.err";
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        dup2(err, STDERR_FILENO);
        close(pipeFds[0]);
        const std::string runText = std::to_string(run);
        execl(CRASH_CHILD, CRASH_CHILD, env.ProgramFolder().c_str(), logPath.c_str(), runText.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    return {pid, pipeFds[0]};
}

// True once the child said its data sources are open, within `limit`.
bool WaitReady(const Child& child, std::chrono::milliseconds limit)
{
    pollfd p{child.out, POLLIN, 0};
    if (poll(&p, 1, int(limit.count())) != 1)
        return false;
    char c = 0;
    return read(child.out, &c, 1) == 1 && c == 'R';
}

// Kills the child and tells how it ended: "" when by the kill.
std::string KillAndReap(const Child& child)
{
    kill(child.pid, SIGKILL);
    int status = 0;
    waitpid(child.pid, &status, 0);
    close(child.out);
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        return std::string();
    return WIFEXITED(status) ? "it exited with " + std::to_string(WEXITSTATUS(status)) : "it died otherwise";
}

void SeedRooms(const TestEnvironment& env, Model& model)
{
    std::string values;
    for (int i = 1; i <= 5; ++i) {
        const std::string room = std::to_string(100 + i);
        model.roomNumbers.push_back(room);
        values += std::string(values.empty() ? "" : ",") + "('" + room + "', '80')";
    }
    ExecuteOnDatabase(Path(env, "Hotel.db"), "INSERT INTO [house]([房间号], [房价]) VALUES " + values);
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += "  " + line + "\n";
    return text;
}

}  // namespace

TEST(CrashTest, KilledAtRandomMomentsTheFilesStayWholeAndAgree)
{
    TestEnvironment env;
    Model model;
    SeedRooms(env, model);
    ChildLog log(env.Folder() + "/operations.log");

    const unsigned seed = unsigned(Clock::now().time_since_epoch().count());
    std::mt19937 rng(seed);
    // Mostly inside the first operations, sometimes well into a run.
    std::uniform_int_distribution<int> delayMs(0, 250);

    const int kKills = 60;
    const auto deadline = Clock::now() + std::chrono::seconds(90);
    int kills = 0, committed = 0, inconsistent = 0, temporariesLeft = 0, settingsTemporaries = 0;
    std::map<std::string, std::pair<int, int>> inFlight;  // by kind: reached the files whole, left no trace
    for (int run = 0; run < kKills && Clock::now() < deadline; ++run) {
        const Child child = Spawn(env, log.PathName(), run);
        ASSERT_GT(child.pid, 0);
        const bool ready = WaitReady(child, std::chrono::seconds(20));
        if (ready)
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(rng)));
        const std::string ending = KillAndReap(child);
        ASSERT_TRUE(ready && ending.empty()) << "the child did not run until killed (" << ending << "):\n"
                                             << ReadFileText(env.Folder() + "/child.err");
        ++kills;

        std::vector<std::string> problems;
        for (const char* file : {"Hotel.db", "Register.db", "Cashbook.db"})
            if (const std::string integrity = IntegrityOf(Path(env, file)); integrity != "ok")
                problems.push_back(std::string(file) + ": " + integrity);
        // The settings as the next start reads them, which takes away a temporary the kill left.
        settingsTemporaries += SettingsTemporaries(env);
        ReadLockSettings();
        if (const int left = SettingsTemporaries(env))
            problems.push_back(std::to_string(left) + " temporary files of the settings are left after a start");

        log.ReadNew();
        for (const Operation& op : log.committed)
            model.Apply(op);
        committed += int(log.committed.size());

        const DeskState found = ReadState(env);
        for (const std::string& p : BrokenRooms(found))
            problems.push_back(p);
        const DeskState before = model.Expected();
        const bool exporting = log.inFlight && log.inFlight->kind == "EX";
        bool reached = false;
        if (!(found == before) && log.inFlight) {
            Model after = model;
            after.Apply(*log.inFlight);
            reached = found == after.Expected();
        }
        if (!(found == before) && !reached)
            for (const std::string& p : Differences(found, before))
                problems.push_back(p);

        // The export the child was writing reached its file whole, or the
        // file is the last one it finished, as it was.
        const std::string exportPath = env.ProgramFolder() + kExportFile;
        if (exporting)
            reached = access(exportPath.c_str(), F_OK) == 0 && ReadFileText(exportPath) == ExportNow(env);
        if (!reached || !exporting)
            for (const std::string& p : ExportProblems(exportPath, model.exportedRows))
                problems.push_back(p);
        const int temporaries = TakeTemporaries(env);
        temporariesLeft += temporaries;
        if (temporaries > 0 && !exporting)
            problems.push_back("a temporary export file lingers after a kill outside an export");
        if (log.inFlight) {
            auto& counts = inFlight[log.inFlight->kind];
            ++(reached ? counts.first : counts.second);
            if (reached)
                model.Apply(*log.inFlight);
            log.Settle(reached);
        }
        if (!problems.empty()) {
            ++inconsistent;
            ADD_FAILURE() << "after kill " << kills << " (seed " << seed << "), in flight: "
                          << (log.inFlight ? log.inFlight->kind + " " + log.inFlight->name : "nothing") << "\n"
                          << Joined(problems);
            break;  // the model no longer tells what the files should hold
        }
    }

    std::string kinds;
    for (const auto& [kind, counts] : inFlight)
        kinds += " " + kind + " " + std::to_string(counts.first + counts.second) + " (" +
                 std::to_string(counts.first) + " whole)";
    std::printf("crash test (seed %u): %d kills, %d operations committed; in flight at a kill (check-in CI, "
                "check-out CO, change of room MV, guest-record edit ED, import IM, export EX, renumbering RN, "
                "deleting a room DR, adding a room AR, password settings PW):%s; temporary export files left by the "
                "kills: %d; temporary settings files left by a kill and removed by the next start: %d; "
                "inconsistencies found: %d\n",
                seed, kills, committed, kinds.c_str(), temporariesLeft, settingsTemporaries, inconsistent);
    if (inconsistent == 0) {
        EXPECT_GE(kills, 50) << "the time bound cut the run short";
        EXPECT_GT(committed, kills) << "the kills came before the child could work";
    }
}
