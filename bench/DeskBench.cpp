// Timings of the front desk on a hotel with 1,000 rooms and 100,000 stays:
// start-up to the board drawn, reloading the board, one tick of each hourly
// timer, and check-in and check-out from OK to the refreshed board row.
// Runs the real program under a display (xvfb-run) in a throw-away sandbox.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <vector>
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

constexpr int kRooms = 1000;
constexpr int kStays = 100000;

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

// The median of `runs` timings of `work`, in milliseconds: this machine's
// neighbours make single timings vary by half.
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
    std::printf("%-52s %9.2f ms", what, ms);
    if (targetMs > 0)
        std::printf("   target <= %g ms%s", targetMs, ms <= targetMs ? "" : "   MISSED");
    std::printf("\n");
}

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

// The time from OK in a stay dialog to the board row showing the result.
template <class Dialog, class Form>
double TimeFromOk(const Form& form, void (CQuillan2021View::*command)())
{
    wxExpectModal<Dialog> clerk(form);
    wxTEST_DIALOG((Board()->*command)(), clerk);
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

void MeasureStays()
{
    Report("check-in dialog filled (rooms, count of stays)", MedianOf(5, [] { TimeToOpen<CRegisterDlg>(); }));
    Report("check-out dialog filled (running stays, bill)", MedianOf(5, [] { TimeToOpen<CRegEndDlg>(); }));

    CQuillan2021View* board = Board();
    const int row = board->FindRoomItem("1501");
    std::vector<double> checkIns, checkOuts;
    for (int round = 0; round < 5; ++round) {
        board->GetListCtrl().SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        CheckInForm guest;
        guest.name = wxString::FromUTF8("新客人");
        guest.idNumber = "110105199001010011";
        checkIns.push_back(TimeFromOk<CRegisterDlg>(guest, &CQuillan2021View::OnRegister));

        CheckOutForm leaving;
        leaving.room = "1501";
        leaving.name = guest.name;
        checkOuts.push_back(TimeFromOk<CRegEndDlg>(leaving, &CQuillan2021View::OnCheckOut));
    }
    Report("check-in: OK to the refreshed row", Median(checkIns), 50);
    Report("check-out: OK to the refreshed row", Median(checkOuts), 50);
}

// Last: clearing empties the history the other measures read.
void MeasureRecords()
{
    Report("guest-records window filled (100,000 stays)", MedianOf(3, [] { TimeToOpen<CUserRWnd>(); }));
    CUserRWnd window(&Board()->GetListCtrl());
    window.InitDialog();
    const auto start = Clock::now();
    wxTEST_DIALOG(window.OnClearRecords(), wxExpectDismissableModal<CPasswordDlg>(wxID_OK));
    Report("guest records: clear the checked-out stays", Milliseconds(start));
}

void MeasureBoard()
{
    CQuillan2021View* board = Board();
    Report("LoadRooms (1,000 rooms)", MedianOf(5, [board] { board->LoadRooms(); }), 100);
    g_vHourlyDue.clear();
    Report("hourly timer 1000, first tick (counts the rooms)", MedianOf(1, [board] { board->OnTimer(1000); }), 5);
    Report("hourly timer 1000, later ticks", MedianOf(5, [board] { board->OnTimer(1000); }), 5);
    Report("hourly timer 1001 (blinks 100 overdue rooms)", MedianOf(5, [board] { board->OnTimer(1001); }), 5);
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
            Report("start-up to the board drawn, without the splash", Milliseconds(m_start) - m_splashMs, 500);
            MeasureBoard();
            MeasureStays();
            MeasureRecords();
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
    TestEnvironment environment;
    if (!FillDatabases(environment.DataSaveFolder(), kRooms, kStays)) {
        std::fprintf(stderr, "bench_desk: filling the databases failed\n");
        return 1;
    }
    std::printf("Front desk, %d rooms and %d stays\n\n", kRooms, kStays);
    FailingModalHook hook;
    wxEntry(argc, argv);
    return g_result;
}
