// Timings of the front desk: start-up to the board drawn, reloading the board,
// the hourly timers, the check-in and check-out dialogs (filled, and OK to the
// refreshed board row), the guest-records window with its peak memory, and
// clearing the history. Runs the real program under a display (xvfb-run) in a
// throw-away sandbox:
//
//     xvfb-run -a build/bin/bench_desk [rooms [stays]]     (10000 1000000 by default)
//
// Every figure is a median of several runs; the machine is shared, so each is
// printed beside an anchor measured in the same run (raw sqlite3 reading the
// same rows) that shows how fast the machine is at the moment.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>
#include <sqlite3.h>
#include <wx/app.h>
#include <wx/testing.h>
#include "BenchFill.h"
#include "CMainFrame.h"
#include "CQuillan2021App.h"
#include "CQuillan2021View.h"
#include "CPasswordDlg.h"
#include "CSplashWnd.h"
#include "CUserRWnd.h"
#include "DialogDrivers.h"
#include "Globals.h"
#include "TestEnvironment.h"

namespace {

using Clock = std::chrono::steady_clock;

int g_rooms = 10000;
int g_stays = 1000000;
std::string g_dataSave;
int g_result = 1;  // the run's exit code, kept past the application object

double Milliseconds(Clock::time_point from, Clock::time_point to = Clock::now())
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The median of `runs` timings of `work`, in milliseconds.
double MedianOf(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(Milliseconds(start));
    }
    return Median(times);
}

void Report(const char* what, double ms, double targetMs = 0)
{
    std::printf("%-56s %9.2f ms", what, ms);
    if (targetMs > 0)
        std::printf("   target <= %g ms%s", targetMs, ms <= targetMs ? "" : "   MISSED");
    std::printf("\n");
    std::fflush(stdout);
}

// ---------------------------------------------------------------- memory

// The process's resident peak in MB, since the start or the last ResetPeakMemory.
double PeakMemoryMb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    return 0;
}

double CurrentMemoryMb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    return 0;
}

// Linux lets a process start its resident peak again from what it holds now.
void ResetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// ---------------------------------------------------------------- anchors

// Raw sqlite3 reading every column of every row of a table, in milliseconds.
double RawWalkMs(const std::string& file, const char* table)
{
    return MedianOf(3, [&] {
        sqlite3* db = nullptr;
        sqlite3_open_v2((g_dataSave + file).c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, (std::string("SELECT * FROM ") + table).c_str(), -1, &st, nullptr);
        volatile size_t bytes = 0;  // read, so that no value goes unread
        while (sqlite3_step(st) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                bytes += size_t(sqlite3_column_bytes(st, c)) + (sqlite3_column_text(st, c) ? 1 : 0);
        sqlite3_finalize(st);
        sqlite3_close(db);
    });
}

void ReportAnchors()
{
    char line[96];
    std::snprintf(line, sizeof line, "anchor: raw sqlite3 reads all %d rooms", g_rooms);
    Report(line, RawWalkMs("Hotel.db", "[house]"));
    std::snprintf(line, sizeof line, "anchor: raw sqlite3 reads all %d stays", g_stays);
    Report(line, RawWalkMs("Register.db", "[register]"));
    std::printf("\n");
}

// ---------------------------------------------------------------- the desk

// A dialog nobody expected ends the run instead of waiting for a click.
class FailingModalHook : public wxTestingModalHook
{
protected:
    void ReportFailure(const wxString& msg) override { throw std::runtime_error(msg.ToStdString(wxConvUTF8)); }
};

CQuillan2021View* Board()
{
    return wxStaticCast(wxTheApp->GetTopWindow(), CMainFrame)->GetView();
}

// The time from OK in a stay dialog to the board row drawn with the result:
// the dialog closed, the tables written, the row read and painted.
template <class Dialog, class Form>
double TimeFromOk(const Form& form, void (CQuillan2021View::*command)())
{
    wxExpectModal<Dialog> clerk(form);
    wxTEST_DIALOG((Board()->*command)(), clerk);
    // The command only marks the row for drawing: the clerk waits for the paint too.
    Board()->GetListCtrl().Update();
    const auto refreshed = Clock::now();
    if (!clerk.Seen().problems.empty() || !clerk.Seen().okPressed)
        throw std::runtime_error("the dialog could not be driven: " +
                                 (clerk.Seen().problems.empty() ? std::string("OK was not pressed")
                                                                : clerk.Seen().problems.front()));
    return Milliseconds(clerk.Seen().okPressedAt, refreshed);
}

// How long the clerk waits for a dialog to fill its lists.
template <class Dialog>
double TimeToOpen()
{
    Dialog dialog(&Board()->GetListCtrl());
    const auto start = Clock::now();
    dialog.InitDialog();
    return Milliseconds(start);
}

void MeasureBoard()
{
    CQuillan2021View* board = Board();
    Report("LoadRooms", MedianOf(5, [board] { board->LoadRooms(); }), 100);
    Report("hourly timer 1000, first tick (flags of all rooms)", MedianOf(5, [board] {
               g_vHourlyDue.clear();
               board->OnTimer(1000);
           }),
           2);
    Report("hourly timer 1000, later ticks", MedianOf(5, [board] { board->OnTimer(1000); }), 2);
    Report("hourly timer 1001 (blinks every tenth room)", MedianOf(5, [board] { board->OnTimer(1001); }), 2);
}

void MeasureStays()
{
    Report("check-in dialog filled (rooms, count of stays)", MedianOf(5, [] { TimeToOpen<CRegisterDlg>(); }), 250);
    Report("check-out dialog filled (running stays, bill)", MedianOf(5, [] { TimeToOpen<CRegEndDlg>(); }), 30);

    CQuillan2021View* board = Board();
    const CString room = wxString::Format("%d", 1000 + g_rooms / 2 + 1);
    const int row = board->FindRoomItem(room);
    std::vector<double> checkIns, checkOuts;
    for (int round = 0; round < 5; ++round) {
        board->GetListCtrl().SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        CheckInForm guest;
        guest.name = wxString::FromUTF8("新客人");
        guest.idNumber = "110105199001010011";
        checkIns.push_back(TimeFromOk<CRegisterDlg>(guest, &CQuillan2021View::OnRegister));

        CheckOutForm leaving;
        leaving.room = room;
        leaving.name = guest.name;
        checkOuts.push_back(TimeFromOk<CRegEndDlg>(leaving, &CQuillan2021View::OnCheckOut));
    }
    Report("check-in: OK to the refreshed row", Median(checkIns), 30);
    Report("check-out: OK to the refreshed row", Median(checkOuts), 30);
}

// The window built, filled and its first rows drawn.
void OpenRecordsWindow()
{
    CUserRWnd window(&Board()->GetListCtrl());
    window.InitDialog();
    window.Show();
    window.Update();
}

// Right after start-up, so that the peak is the program's with the window
// open and not what the other measures left in the heap.
void MeasureRecordsWindow()
{
    const double before = CurrentMemoryMb();
    ResetPeakMemory();
    OpenRecordsWindow();
    const double peak = PeakMemoryMb();
    std::printf("%-56s %9.1f MB   target <= 150 MB%s   (%.1f MB before it opened)\n",
                "guest-records window: peak memory of the process", peak, peak <= 150 ? "" : "   MISSED", before);
    Report("guest-records window filled and drawn", MedianOf(3, OpenRecordsWindow), 300);
}

// Last: clearing empties the history the other measures read.
void MeasureClear()
{
    CUserRWnd window(&Board()->GetListCtrl());
    window.InitDialog();
    const auto start = Clock::now();
    wxTEST_DIALOG(window.OnClearRecords(), wxExpectDismissableModal<CPasswordDlg>(wxID_OK));
    Report("guest records: clear the history", Milliseconds(start), 1000);
}

}  // namespace

class BenchApp : public CQuillan2021App
{
public:
    bool OnInit() override
    {
        // The splash keeps the window back for a fixed time that is not the
        // program's work: time it alone and take it off.
        auto start = Clock::now();
        CSplashWnd::ShowSplash(2000);
        m_splashMs = Milliseconds(start);
        m_start = Clock::now();
        if (!CQuillan2021App::OnInit() || !HasStarted())
            return false;
        CallAfter([this] { Measure(); });
        return true;
    }

private:
    void Measure()
    {
        try {
            GetTopWindow()->Update();
            Board()->GetListCtrl().Update();
            Report("start-up to the board drawn, without the splash", Milliseconds(m_start) - m_splashMs, 300);
            MeasureBoard();
            MeasureRecordsWindow();
            MeasureStays();
            MeasureClear();
            g_result = 0;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "bench_desk: %s\n", e.what());
        }
        GetTopWindow()->Close();
    }

    Clock::time_point m_start;
    double m_splashMs = 0;
};

wxIMPLEMENT_APP_NO_MAIN(BenchApp);

int main(int argc, char** argv)
{
    if (argc > 1)
        g_rooms = std::atoi(argv[1]);
    if (argc > 2)
        g_stays = std::atoi(argv[2]);
    if (g_rooms < 1 || g_stays < 1 || argc > 3) {
        std::fprintf(stderr, "usage: bench_desk [rooms [stays]]\n");
        return 2;
    }
    TestEnvironment environment;
    g_dataSave = environment.DataSaveFolder();
    if (!FillDatabases(g_dataSave, g_rooms, g_stays)) {
        std::fprintf(stderr, "bench_desk: filling the databases failed\n");
        return 1;
    }
    std::printf("Front desk, %d rooms and %d stays (medians)\n\n", g_rooms, g_stays);
    ReportAnchors();
    FailingModalHook hook;
    // wxWidgets reads only the program's name from the arguments.
    int wxArgc = 1;
    wxEntry(wxArgc, argv);
    return g_result;
}
