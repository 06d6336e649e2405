// The process the crash test kills: it opens the data sources as the program
// does at start-up and then runs check-ins, check-outs, changes of room,
// imports of guest-record files and changes of the password settings through
// the program's own operations until it is killed.
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

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "CHouseset.h"
#include "CRegisterset.h"
#include "CsvTransfer.h"
#include "CodePage.h"
#include "DataSources.h"
#include "LockSettings.h"
#include "ProgramFolder.h"
#include "RecordsetUse.h"
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
        if (m_open.size() < 3 || pick < 25)
            CheckInOne();
        else if (pick < 50)
            CheckOutOne();
        else if (pick < 70)
            MoveOne();
        else if (pick < 85)
            ImportSome();
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
        CheckOut(m_db, stay.m_strRoomNo, stay.m_strName, CheckOutBill{100, 0, 80});
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
