// The process the crash test kills: it opens the data sources as the program
// does at start-up and then runs check-ins, check-outs, changes of room,
// guest-record edits, imports of guest-record files, exports of the stays to
// one file, renumbers, deletes and adds rooms, and changes of the password
// settings through the program's own operations until it is killed.
//
//   crash_child <program folder> <log file> <run number>
//
// HOME, ODBCINI and the current directory (which holds the settings file)
// come from the parent. Before each operation it appends
// "B <operation>" to the log, and once the operation's commit has returned
// "C", synced to the disk: an operation whose "C" is in the log must be in the
// files, one without it may or may not be. "R" on standard output says that
// the data sources are open.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "CCsvFile.h"
#include "CHouseset.h"
#include "CRegisterset.h"
#include "CsvTransfer.h"
#include "CodePage.h"
#include "DataSources.h"
#include "LockSettings.h"
#include "ProgramFolder.h"
#include "RecordsetUse.h"
#include "RoomOperations.h"
#include "StayOperations.h"

namespace {

class Log
{
public:
    explicit Log(const char* path) : m_fd(open(path, O_WRONLY | O_APPEND | O_CREAT, 0600)) {}
    bool IsOpen() const { return m_fd >= 0; }
    void Begin(const std::string& operation) { Write("B " + operation + "\n"); }
    void Committed()
    {
        Write("C\n");
        fsync(m_fd);
    }

private:
    void Write(const std::string& line)
    {
        if (write(m_fd, line.data(), line.size()) != ssize_t(line.size()))
            _exit(4);
    }
    int m_fd;
};

std::vector<CString> ReadRooms(DataConnections& db)
{
    CHouseset rooms(&db.m_dbHotel);
    std::vector<CString> numbers;
    if (TryOpen(rooms))
        for (; !rooms.IsEOF(); rooms.MoveNext())
            numbers.push_back(rooms.m_strRoomNo);
    return numbers;
}

std::vector<GuestRecord> ReadOpenStays(DataConnections& db)
{
    CRegisterset stays(&db.m_dbRegister);
    stays.m_strFilter = OpenStaysFilter();
    std::vector<GuestRecord> open;
    if (TryOpen(stays))
        for (; !stays.IsEOF(); stays.MoveNext())
            open.push_back(stays.GetGuestRecord());
    return open;
}

class Desk
{
public:
    Desk(DataConnections& db, Log& log, int run, std::string folder)
        : m_db(db), m_log(log), m_run(run), m_folder(std::move(folder)), m_rng(unsigned(run) * 7919u + unsigned(getpid())),
          m_rooms(ReadRooms(db)), m_open(ReadOpenStays(db))
    {
    }

    bool HasRooms() const { return m_rooms.size() >= 2; }

    void RunOne()
    {
        const int pick = Random(100);
        if (m_open.size() < 3 || pick < 28)
            CheckInOne();
        else if (pick < 50)
            CheckOutOne();
        else if (pick < 60)
            MoveOne();
        else if (pick < 66)
            EditOne();
        else if (pick < 72)
            ExportAll();
        else if (pick < 78)
            ImportSome();
        else if (pick < 84)
            RenumberOne();
        else if (pick < 88 && m_rooms.size() > 3)
            DeleteOne();
        else if (pick < 92)
            AddOne();
        else
            ChangePasswordSettings();
    }

private:
    int Random(int below) { return std::uniform_int_distribution<int>(0, below - 1)(m_rng); }
    const CString& AnyRoom() { return m_rooms[size_t(Random(int(m_rooms.size())))]; }

    void CheckInOne()
    {
        GuestRecord stay;
        stay.m_strRoomNo = AnyRoom();
        stay.m_strName = wxString::Format("G%d-%d", m_run, m_next++);
        stay.m_strNation = wxString::FromUTF8("汉族");
        stay.m_dtBirth = COleDateTime(1980, 1, 1, 0, 0, 0);
        stay.m_dtCheckIn = COleDateTime::GetCurrentTime();
        stay.m_dtCheckOut.SetStatus(COleDateTime::null);  // a running stay, as the table gives it back
        stay.m_strIdNumber = "110101198001010011";
        stay.m_strPaid = "100.00";
        stay.m_strDeposit = "0.00";
        std::optional<HourlySpan> hourly;
        if (Random(2) == 0)
            hourly = HourlySpan{stay.m_dtCheckIn, stay.m_dtCheckIn + COleDateTimeSpan(0, 3, 0, 0)};
        m_log.Begin("CI " + Text(stay.m_strName) + " " + Text(stay.m_strRoomNo));
        if (!CheckIn(m_db, stay, hourly))
            _exit(5);
        m_log.Committed();
        m_open.push_back(stay);
    }

    void CheckOutOne()
    {
        const size_t i = size_t(Random(int(m_open.size())));
        const GuestRecord stay = m_open[i];
        m_log.Begin("CO " + Text(stay.m_strName));
        if (!CheckOut(m_db, stay.m_strRoomNo, stay.m_strName, CheckOutBill{100, 0, 80}))
            _exit(10);
        m_log.Committed();
        m_open.erase(m_open.begin() + long(i));
    }

    void MoveOne()
    {
        GuestRecord& stay = m_open[size_t(Random(int(m_open.size())))];
        CString target = AnyRoom();
        while (target == stay.m_strRoomNo)
            target = AnyRoom();
        m_log.Begin("MV " + Text(stay.m_strName) + " " + Text(target));
        if (!ChangeRoom(m_db, stay, target))
            _exit(6);
        m_log.Committed();
        stay.m_strRoomNo = target;
    }

    // The remarks become "E<n>" and the money is typed as "<n>.5", which the
    // edit stores as "<n>.5000" with them.
    void EditOne()
    {
        GuestRecord& stay = m_open[size_t(Random(int(m_open.size())))];
        const int n = m_next++;
        GuestRecord values = stay;
        values.m_strRemarks = wxString::Format("E%d", n);
        values.m_strPaid = wxString::Format("%d.5", n);
        m_log.Begin("ED " + Text(stay.m_strName) + " " + std::to_string(n));
        if (!ModifyStay(m_db, stay, values))
            _exit(11);
        m_log.Committed();
        stay = values;
    }

    // Every stay to export.csv, which the last export left; "EX <rows>".
    void ExportAll()
    {
        CRegisterset stays(&m_db.m_dbRegister);
        if (!TryOpen(stays))
            _exit(12);
        m_log.Begin("EX " + std::to_string(stays.GetRecordCount()));
        CCsvFile file;
        if (!file.Open(wxString::FromUTF8(m_folder + "/export.csv").ToStdWstring(), CCsvFile::modeReplace) ||
            !ExportCsv(GuestCsvTable(stays), file))
            _exit(13);
        m_log.Committed();
    }

    // A file of closed stays written as the export writes them, imported whole.
    void ImportSome()
    {
        const int count = 1 + Random(20);
        const std::string prefix = "I" + std::to_string(m_run) + "-" + std::to_string(m_next++) + "-";
        const std::string path = m_folder + "/import.csv";
        {
            std::ofstream file(path, std::ios::binary | std::ios::trunc);
            file << GuestCsvHeader();
            for (int i = 0; i < count; ++i) {
                GuestRecord stay;
                stay.m_strRoomNo = AnyRoom();
                stay.m_strName = prefix + std::to_string(i);
                stay.m_dtBirth = COleDateTime(1980, 1, 1, 0, 0, 0);
                stay.m_dtCheckIn = COleDateTime(2020, 5, 1, 12, 0, 0);
                stay.m_dtCheckOut = COleDateTime(2020, 5, 3, 11, 0, 0);
                stay.m_strIdNumber = "110101198001010011";
                file << GuestCsvLine(stay);
            }
        }
        CRegisterset stays(&m_db.m_dbRegister);
        if (!TryOpen(stays, CRecordset::appendOnly))
            _exit(8);
        m_log.Begin("IM " + prefix + " " + std::to_string(count));
        if (ImportCsv(GuestCsvTable(stays), wxString::FromUTF8(path)).kind != CsvImportResult::imported)
            _exit(9);
        m_log.Committed();
    }

    // A room number no room had before: the run's and a counter's.
    CString NewRoomNumber() { return wxString::Format("%d%04d", 9000 + m_run, m_next++); }

    // A room's new number takes its guests along.
    void RenumberOne()
    {
        const CString from = AnyRoom();
        const CString to = NewRoomNumber();
        m_log.Begin("RN " + Text(from) + " " + Text(to));
        if (ModifyRoom(m_db, {from}, {to, "80", ""}) != RoomChange::done)
            _exit(10);
        m_log.Committed();
        std::replace(m_rooms.begin(), m_rooms.end(), from, to);
        for (GuestRecord& stay : m_open)
            if (stay.m_strRoomNo == from)
                stay.m_strRoomNo = to;
    }

    // A room with guests stays; one without goes.
    void DeleteOne()
    {
        const CString room = AnyRoom();
        const bool hasGuests =
            std::any_of(m_open.begin(), m_open.end(), [&room](const GuestRecord& s) { return s.m_strRoomNo == room; });
        m_log.Begin("DR " + Text(room));
        if (DeleteRoom(m_db, {room}) != (hasGuests ? RoomChange::hasGuests : RoomChange::done))
            _exit(11);
        m_log.Committed();
        if (!hasGuests)
            m_rooms.erase(std::find(m_rooms.begin(), m_rooms.end(), room));
    }

    void AddOne()
    {
        const CString room = NewRoomNumber();
        m_log.Begin("AR " + Text(room));
        if (AddRoom(m_db, {room, "80", ""}) != RoomChange::done)
            _exit(12);
        m_log.Committed();
        m_rooms.push_back(room);
    }

    // As the password settings dialog stores them: the password and both locks at once.
    void ChangePasswordSettings()
    {
        const CString password = wxString::Format(wxString::FromUTF8("密码%dx%d"), m_run, m_next++);
        g_lockSettings.m_bBootLock = Random(2) == 0;
        g_lockSettings.m_bCashBookLock = Random(2) == 0;
        g_lockSettings.m_strPassword = ToCodePage(password, CP_OEMCP);
        m_log.Begin("PW " + Text(password) + " " + (g_lockSettings.m_bBootLock ? "1" : "0") +
                    (g_lockSettings.m_bCashBookLock ? "1" : "0"));
        if (!SaveLockSettings())
            _exit(10);
        m_log.Committed();
    }

    static std::string Text(const CString& s) { return std::string(s.utf8_str()); }

    DataConnections& m_db;
    Log& m_log;
    int m_run;
    std::string m_folder;  // for the files it imports
    int m_next = 0;
    std::mt19937 m_rng;
    std::vector<CString> m_rooms;
    std::vector<GuestRecord> m_open;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: crash_child <program folder> <log file> <run number>\n");
        return 2;
    }
    OverrideProgramFolder(wxString::FromUTF8(argv[1]));
    Log log(argv[2]);
    if (!log.IsOpen())
        return 2;

    // The start-up path of the program: probe, register when needed, open.
    DataConnections db;
    if (!ProbeDataSources(db))
        CreateDataSources(db);
    if (!OpenDataSources(db))
        return 3;
    Desk desk(db, log, std::atoi(argv[3]), argv[1]);
    if (!desk.HasRooms())
        return 3;
    std::printf("R\n");
    std::fflush(stdout);

    try {
        for (;;)
            desk.RunOne();
    } catch (const CDBException& e) {
        std::fprintf(stderr, "crash_child: %s\n", e.m_strError.utf8_str().data());
        return 7;
    }
}
