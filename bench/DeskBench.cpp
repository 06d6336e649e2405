// Timings of the front desk, each from the clerk's key or click to the window
// drawn and answering: start-up to the board, the board and its hourly
// timers, the idle board's CPU and wake-ups, the guest records (open, End,
// Home, search by ID number, clearing the history) with their memory, the
// check-in, check-out and change-room dialogs with OK to the refreshed board
// row, and the cash book with its chart. Runs the real program under a
// display (xvfb-run) in a throw-away sandbox, on SQLite files or on a
// PostgreSQL server:
//
//     xvfb-run -a build/bin/bench_desk [--backend sqlite|postgresql] [rooms [stays [cash-book rows]]]
//                                      (10000 1000000 200000 by default)
//
// Every figure is a median of several runs; the machine is shared, so each is
// printed beside an anchor measured in the same run that says how fast the
// machine is at the moment: raw sqlite3 reading what the figure shows, or on
// a server psql's own time of the same statements. The SQLite seed is built
// once into the seed cache (QUILLAN_BENCH_CACHE) and copied from there; on a
// server (the one QUILLAN_TEST_POSTGRESQL names, see scripts/with_postgresql.sh)
// the same hotel is made in a database of the run's own.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/listctrl.h>
#include <wx/testing.h>
#include <wx/timer.h>
#include <wx/toolbar.h>
#include "BenchFill.h"
#include "BenchMeasures.h"
#include "BenchPsql.h"
#include "CCashBookDlg.h"
#include "CMainFrame.h"
#include "CPasswordDlg.h"
#include "CQuillan2021App.h"
#include "CQuillan2021View.h"
#include "CSplashWnd.h"
#include "CUserRWnd.h"
#include "CUserSearchDlg.h"
#include "DialogDrivers.h"
#include "Globals.h"
#include "TestEnvironment.h"

namespace {

BenchSizes g_sizes{10000, 1000000, 200000};
std::string g_dataSave;
std::unique_ptr<Psql> g_psql;  // on a server: the anchors' psql
int g_result = 1;  // the run's exit code, kept past the application object
constexpr int kRuns = 3;
constexpr int kIdleSeconds = 10;

bool OnServer()
{
    return g_psql != nullptr;
}

// What the clerk may wait for, by back end: a server answers over the wire.
struct Targets
{
    double dialogMs;   // a stay dialog filled
    double okMs;       // OK to the board row painted
    double recordsMb;  // the process with the guest records open, after End
};
Targets DeskTargets()
{
    return OnServer() ? Targets{250, 50, 150} : Targets{100, 100, 300};
}

// One line: the figure, its target, and its anchor beside it.
void Report(const char* what, double ms, double targetMs = 0, const char* anchor = nullptr, double anchorMs = 0)
{
    std::printf("%-48s %9.2f ms", what, ms);
    if (targetMs > 0)
        std::printf("  <= %-5g%-7s", targetMs, ms <= targetMs ? "" : " MISSED");
    else
        std::printf("  %-14s", "");
    if (anchor)
        std::printf("  %-34s %9.2f ms", anchor, anchorMs);
    std::printf("\n");
    std::fflush(stdout);
}

void ReportMemory(const char* what, double mb, double targetMb)
{
    std::printf("%-48s %9.1f MB  <= %-5g%-7s\n", what, mb, targetMb, mb <= targetMb ? "" : " MISSED");
    std::fflush(stdout);
}

// The anchor of a figure: the same statements straight to the database of
// one of the three data sources, raw sqlite3 on its file or psql on the
// server. The SQL is written for SQLite, names in brackets; the parameters
// are text.
class Anchor
{
public:
    explicit Anchor(const char* file) : m_file(file) {}
    // The median of three runs.
    double MedianMs(const std::string& sql, const std::vector<std::string>& params = {}) const
    {
        if (OnServer())
            return Median(g_psql->Times({ServerStatement(sql, params)}, 3));
        return RawQuery(g_dataSave + m_file).MedianMs(sql, params);
    }

private:
    const char* m_file;
};

Anchor RawRooms()
{
    return Anchor("Hotel.db");
}
Anchor RawStays()
{
    return Anchor("Register.db");
}
Anchor RawCashBook()
{
    return Anchor("Cashbook.db");
}

// ---------------------------------------------------------------- driving the desk

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

// Lets the event loop run until `done` holds; throws after 60 s.
template <class Done>
void PumpUntil(Done done, const char* what)
{
    const auto start = BenchClock::now();
    while (!done()) {
        if (MillisecondsBetween(start) > 60000)
            throw std::runtime_error(std::string("waited in vain for ") + what);
        wxTheApp->Yield(true);
        wxMilliSleep(1);
    }
}

// A top-level window shown and mapped, so that Update paints it.
void ShowOnScreen(wxWindow& window)
{
    window.Show();
    PumpUntil([&] { return window.IsShownOnScreen(); }, "a window to be mapped");
    window.Update();
}

// Runs the event loop for `seconds`, as an idle desk does.
void Idle(int seconds)
{
    wxEventLoop loop;
    wxTimer stop;
    stop.Bind(wxEVT_TIMER, [&loop](wxTimerEvent&) { loop.Exit(); });
    stop.StartOnce(seconds * 1000);
    loop.Run();
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
    const auto refreshed = BenchClock::now();
    if (!clerk.Seen().problems.empty() || !clerk.Seen().okPressed)
        throw std::runtime_error("the dialog could not be driven: " +
                                 (clerk.Seen().problems.empty() ? std::string("OK was not pressed")
                                                                : clerk.Seen().problems.front()));
    return MillisecondsBetween(clerk.Seen().okPressedAt, refreshed);
}

// How long the clerk waits for a dialog to fill its lists.
template <class Dialog>
double TimeToOpen(const CString& room = CString())
{
    Dialog dialog(&Board()->GetListCtrl());
    if constexpr (std::is_same_v<Dialog, CExchangeHDlg>)
        dialog.m_strRoomNo = room;
    const auto start = BenchClock::now();
    dialog.InitDialog();
    return MillisecondsBetween(start);
}

void SelectBoardRoom(const CString& room)
{
    wxListCtrl& list = Board()->GetListCtrl();
    const int row = Board()->FindRoomItem(room);
    if (row < 0)
        throw std::runtime_error("room " + std::string(room.utf8_str()) + " is not on the board");
    list.SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
}

// ---------------------------------------------------------------- the figures

void MeasureStartUp(double ms)
{
    Report("start-up to the board drawn, without splash", ms, 300, "rooms sorted by number",
           RawRooms().MedianMs("SELECT * FROM [house] ORDER BY [房间号]"));
}

struct IdleFigure
{
    double cpuPercent = 0;
    double wakeupsPerSecond = 0;
    std::map<std::string, std::pair<double, double>> byThread;  // CPU in %, wake-ups a second
};

IdleFigure MeasureIdleOnce(int seconds)
{
    const ProcessActivity before = ReadProcessActivity();
    const auto start = BenchClock::now();
    Idle(seconds);
    const double wall = MillisecondsBetween(start) / 1000;
    const ProcessActivity after = ReadProcessActivity();
    IdleFigure figure;
    figure.cpuPercent = 100 * (after.cpuSeconds - before.cpuSeconds) / wall;
    figure.wakeupsPerSecond = double(after.TotalWakeups() - before.TotalWakeups()) / wall;
    for (const auto& [name, thread] : after.threads) {
        const auto was = before.threads.find(name);
        const ProcessActivity::Thread start = was == before.threads.end() ? ProcessActivity::Thread() : was->second;
        figure.byThread[name] = {100 * (thread.cpuSeconds - start.cpuSeconds) / wall,
                                 double(thread.wakeups - start.wakeups) / wall};
    }
    return figure;
}

// The board as the clerk leaves it: nothing selected, the clock running.
void MeasureIdle()
{
    wxListCtrl& list = Board()->GetListCtrl();
    for (long row = list.GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); row != -1;
         row = list.GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED))
        list.SetItemState(row, 0, wxLIST_STATE_SELECTED);
    const IdleFigure idle = MeasureIdleOnce(kIdleSeconds);
    // The same without update-UI events: the toolbar's and menus' checks are
    // then not made, and the difference is what they cost.
    wxUpdateUIEvent::SetUpdateInterval(-1);
    const IdleFigure quiet = MeasureIdleOnce(kIdleSeconds / 2);
    wxUpdateUIEvent::SetUpdateInterval(0);

    std::printf("%-48s %9.2f %%   <= 1%-9s  (update-UI checks: %.2f %% of a core of it)\n",
                "idle board: CPU of the process, in a core", idle.cpuPercent, idle.cpuPercent <= 1 ? "" : " MISSED",
                std::max(0.0, idle.cpuPercent - quiet.cpuPercent));
    std::printf("%-48s %9.1f /s  <= 25%-8s\n", "idle board: wake-ups of all its threads", idle.wakeupsPerSecond,
                idle.wakeupsPerSecond <= 25 ? "" : " MISSED");
    std::printf("    by thread (CPU %%, wake-ups a second):");
    for (const auto& [name, figures] : idle.byThread)
        if (figures.first >= 0.005 || figures.second >= 0.05)
            std::printf("  %s %.2f %%, %.1f/s", name.c_str(), figures.first, figures.second);
    std::printf("\n    (over %d s of the event loop; CPU from getrusage and each thread's schedstat, wake-ups as\n"
                "     the voluntary context switches of each thread in /proc/self/task/*/status: every block on a\n"
                "     timer, a poll or a lock)\n",
                kIdleSeconds);
    std::fflush(stdout);
}

void MeasureBoard()
{
    CQuillan2021View* board = Board();
    const double rooms = RawRooms().MedianMs("SELECT * FROM [house]");
    Report("LoadRooms", MedianMs(5, [board] { board->LoadRooms(); }), 100, "all rooms read", rooms);
    Report("hourly timer 1000, first tick (flags of all rooms)", MedianMs(5, [board] {
               g_vHourlyDue.clear();
               board->OnTimer(1000);
           }),
           2);
    Report("hourly timer 1000, later ticks", MedianMs(5, [board] { board->OnTimer(1000); }), 2);
    Report("hourly timer 1001 (blinks every tenth room)", MedianMs(5, [board] { board->OnTimer(1001); }), 2);
}

// ---- guest records

std::unique_ptr<CUserRWnd> OpenRecordsWindow()
{
    auto window = std::make_unique<CUserRWnd>(&Board()->GetListCtrl());
    window->InitDialog();
    ShowOnScreen(*window);
    return window;
}

// Something written on the stays' connection: what was read of the table
// (the rank samples too) counts as old, as after any command, and the End
// that follows reads the rows anew.
void ForgetWhatWasRead()
{
    GetTheApp().m_dbRegister.ExecuteSQL(wxT("UPDATE [register] SET [ID] = [ID] WHERE 1 = 0"));
}

// A key that moves the selection to `row` as End and Home do: the list
// scrolls there and draws the rows in view.
void JumpTo(CUserRWnd& window, long row)
{
    wxListCtrl& list = *window.m_listRecords;
    list.SetItemState(row, wxLIST_STATE_FOCUSED | wxLIST_STATE_SELECTED, wxLIST_STATE_FOCUSED | wxLIST_STATE_SELECTED);
    list.EnsureVisible(row);
    list.Update();
}

// Right after start-up, so that the peak is the program's with the window
// open and not what the other measures left in the heap.
void MeasureRecordsWindow()
{
    const double before = CurrentMemoryMb();
    ResetPeakMemory();
    OpenRecordsWindow();
    std::printf("%-48s %9.1f MB  (%.1f MB before it opened)\n", "guest records: peak memory of the process, open",
                PeakMemoryMb(), before);
    const Anchor raw = RawStays();
    Report("guest records: open, filled and drawn", MedianMs(kRuns, [] { OpenRecordsWindow(); }), 300,
           "count + first 40 stays",
           raw.MedianMs("SELECT count(*) FROM [register]") + raw.MedianMs("SELECT * FROM [register] LIMIT 40"));

    std::vector<double> ends, homes;
    double afterEnd = 0;
    ResetPeakMemory();
    for (int i = 0; i < kRuns; ++i) {
        ForgetWhatWasRead();
        auto window = OpenRecordsWindow();
        const long last = window->m_listRecords->GetItemCount() - 1;
        ends.push_back(MedianMs(1, [&] { JumpTo(*window, last); }));
        afterEnd = std::max(afterEnd, CurrentMemoryMb());
        homes.push_back(MedianMs(1, [&] { JumpTo(*window, 0); }));
    }
    Report("guest records: End (rows read anew)", Median(ends), 100, "last 40 by key",
           raw.MedianMs("SELECT * FROM [register] ORDER BY [ID] DESC LIMIT 40"));
    Report("guest records: Home after End", Median(homes), 100, "first 40 by key",
           raw.MedianMs("SELECT * FROM [register] ORDER BY [ID] LIMIT 40"));
    ReportMemory("guest records: memory of the process after End", afterEnd, DeskTargets().recordsMb);
    std::printf("%-48s %9.1f MB\n", "guest records: peak memory over End and Home", PeakMemoryMb());
}

void MeasureSearch()
{
    const std::string id = StayIdNumber(g_sizes.stays / 2);
    auto window = OpenRecordsWindow();
    window->OnSearchRecord();
    CUserSearchDlg* dialog = window->m_pSearchDlg.get();
    if (!dialog)
        throw std::runtime_error("the search dialog did not open");
    const double ms = MedianMs(kRuns, [&] {
        dialog->m_comboKey->SetSelection(SEARCH_BY_ID_NUMBER);
        DialogDriving::EnterText(dialog, IDC_SEARCH_TEXT, wxString::FromUTF8(id));
        DialogDriving::PressButton(dialog, IDC_SEARCH_OK);
        wxTheApp->ProcessPendingEvents();
        window->m_listRecords->Update();
    });
    if (window->m_listRecords->GetItemCount() != 1)
        throw std::runtime_error("the search by ID number did not find the one stay");
    Report("guest records: search by ID number", ms, 100, "stays of that ID number",
           RawStays().MedianMs("SELECT * FROM [register] WHERE [证件号] = ?", {id}));
    dialog->Destroy();
}

// Last: clearing empties the history the other measures read.
void MeasureClear()
{
    const double readAll = RawStays().MedianMs("SELECT * FROM [register]");
    CUserRWnd window(&Board()->GetListCtrl());
    window.InitDialog();
    const auto start = BenchClock::now();
    wxTEST_DIALOG(window.OnClearRecords(), wxExpectDismissableModal<CPasswordDlg>(wxID_OK));
    Report("guest records: clear the history", MillisecondsBetween(start), 3000, "all stays read once", readAll);
}

// ---- the stay dialogs

// On a server, the writes of the stay operations through psql, each as a
// transaction that takes the desks' lock as the program's operations do,
// followed by the read of the board's rows: a guest of the anchors' own
// checked in to and out of the last room, and moved to and fro between the
// last two rooms. Medians of each.
struct WriteAnchors
{
    double checkIn = 0, checkOut = 0, changeRoom = 0;
};
WriteAnchors ServerWriteAnchors()
{
    const std::string a = std::to_string(1000 + g_sizes.rooms - 1), b = std::to_string(1000 + g_sizes.rooms - 2);
    const std::string guest = "[姓名] = '锚客人' AND [退房日期] IS NULL";
    auto rooms = [](const std::string& list) { return "SELECT * FROM [house] WHERE [房间号] IN (" + list + ")"; };
    auto oneMore = [](const std::string& room) {
        return "UPDATE [house] SET [房间人数] = CASE WHEN [房间人数] < 255 THEN [房间人数] + 1 ELSE [房间人数] END, "
               "[打扫] = 0, [住房] = 1 WHERE [房间号] = '" + room + "'";
    };
    auto oneLess = [](const std::string& room) {
        return "UPDATE [house] SET [房间人数] = [房间人数] - 1, [钟点房] = 0, [住房] = CASE WHEN [房间人数] > 1 THEN 1 "
               "ELSE 0 END WHERE [房间号] = '" + room + "' AND [房间人数] > 0";
    };
    auto transaction = [](std::vector<std::string> statements, const std::string& refresh) {
        statements.insert(statements.begin(), {"BEGIN", "SELECT pg_advisory_xact_lock(2021)"});
        statements.insert(statements.end(), {"COMMIT", refresh});
        for (std::string& statement : statements)
            statement = ServerStatement(statement);
        return statements;
    };
    const std::vector<std::string> checkIn = transaction(
        {rooms("'" + a + "'"),
         "INSERT INTO [register] ([房间号],[姓名],[性别],[民族],[出生年月],[住房日期],[证件号],[籍贯],[本人职务备注],"
         "[交钱],[押金]) VALUES ('" + a + "','锚客人',1,'汉族','1990-01-01 00:00:00',localtimestamp(0),"
         "'110105199001010011','','','100.00','0.00')",
         oneMore(a)},
        rooms("'" + a + "'"));
    const std::vector<std::string> checkOut = transaction(
        {"SELECT * FROM [register] WHERE " + guest,
         "UPDATE [register] SET [退房日期] = localtimestamp(0) WHERE " + guest, oneLess(a),
         "INSERT INTO [cashbook] ([房间号],[姓名],[时间],[交钱],[押金],[交易金额],[状态]) VALUES ('" + a +
             "','锚客人',localtimestamp(0),'100.000000','0.000000','80.000000',1)"},
        rooms("'" + a + "'"));
    auto move = [&](const std::string& from, const std::string& to) {
        return transaction({"SELECT * FROM [register] WHERE " + guest, rooms("'" + from + "','" + to + "'"),
                            "UPDATE [register] SET [房间号] = '" + to + "' WHERE " + guest, oneLess(from), oneMore(to)},
                           rooms("'" + from + "','" + to + "'"));
    };
    std::vector<std::vector<std::string>> rounds;
    for (int i = 0; i < 5; ++i)
        rounds.insert(rounds.end(), {checkIn, checkOut});
    rounds.push_back(checkIn);
    for (int i = 0; i < 3; ++i)
        rounds.insert(rounds.end(), {move(a, b), move(b, a)});
    rounds.push_back(checkOut);
    const std::vector<double> times = g_psql->Times(rounds);
    std::vector<double> ins, outs, moves;
    for (size_t i = 0; i < times.size(); ++i)
        (rounds[i] == checkIn ? ins : rounds[i] == checkOut ? outs : moves).push_back(times[i]);
    return {Median(ins), Median(outs), Median(moves)};
}

void MeasureCheckInAndOut()
{
    const Anchor rooms = RawRooms(), stays = RawStays();
    Report("check-in dialog filled (rooms, count of stays)", MedianMs(5, [] { TimeToOpen<CRegisterDlg>(); }),
           DeskTargets().dialogMs,
           "all rooms + count of stays",
           rooms.MedianMs("SELECT * FROM [house]") + stays.MedianMs("SELECT count(*) FROM [register]"));
    Report("check-out dialog filled (running stays, bill)", MedianMs(5, [] { TimeToOpen<CRegEndDlg>(); }),
           DeskTargets().dialogMs,
           "let rooms + their running stays",
           rooms.MedianMs("SELECT * FROM [house] WHERE [房间人数] <> 0") +
               stays.MedianMs("SELECT * FROM [register] WHERE [退房日期] IS NULL"));

    const CString room = wxString::Format("%d", 1000 + g_sizes.rooms / 2 + 1);
    std::vector<double> checkIns, checkOuts;
    for (int round = 0; round < 5; ++round) {
        SelectBoardRoom(room);
        CheckInForm guest;
        guest.name = wxString::FromUTF8("新客人");
        guest.idNumber = "110105199001010011";
        checkIns.push_back(TimeFromOk<CRegisterDlg>(guest, &CQuillan2021View::OnRegister));

        CheckOutForm leaving;
        leaving.room = room;
        leaving.name = guest.name;
        checkOuts.push_back(TimeFromOk<CRegEndDlg>(leaving, &CQuillan2021View::OnCheckOut));
    }
    if (OnServer()) {
        const WriteAnchors writes = ServerWriteAnchors();
        Report("check-in: OK to the refreshed row", Median(checkIns), DeskTargets().okMs, "its writes and the row",
               writes.checkIn);
        Report("check-out: OK to the refreshed row", Median(checkOuts), DeskTargets().okMs, "its writes and the row",
               writes.checkOut);
        return;
    }
    Report("check-in: OK to the refreshed row", Median(checkIns), DeskTargets().okMs);
    Report("check-out: OK to the refreshed row", Median(checkOuts), DeskTargets().okMs, "the guest's running stay",
           stays.MedianMs("SELECT * FROM [register] WHERE [退房日期] IS NULL AND [房间号] = ? AND [姓名] = ?",
                          {std::string(room.utf8_str()), "新客人"}));
}

// A guest of a let room moves to an empty room and back.
void MeasureChangeRoom()
{
    const int j = RunningStays(g_sizes) / 2;
    const CString let = wxString::FromUTF8(RunningStayRoom(j));
    const CString empty = wxString::Format("%d", 1000 + 1 + 10 * j);
    const CString guest =
        wxString::FromUTF8("客人" + std::to_string(g_sizes.stays - RunningStays(g_sizes) + j));
    Report("change-room dialog filled (running stays)", MedianMs(kRuns, [&] { TimeToOpen<CExchangeHDlg>(let); }),
           DeskTargets().dialogMs, "running stays",
           RawStays().MedianMs("SELECT * FROM [register] WHERE [退房日期] IS NULL"));
    std::vector<double> oks;
    for (int round = 0; round < kRuns; ++round) {
        for (const auto& [from, to] : {std::pair{let, empty}, std::pair{empty, let}}) {
            SelectBoardRoom(from);
            ChangeRoomForm move;
            move.name = guest;
            move.target = to;
            oks.push_back(TimeFromOk<CExchangeHDlg>(move, &CQuillan2021View::OnChangeRoom));
        }
    }
    if (OnServer())
        Report("change room: OK to the refreshed rows", Median(oks), DeskTargets().okMs, "its writes and the rows",
               ServerWriteAnchors().changeRoom);
    else
        Report("change room: OK to the refreshed rows", Median(oks), DeskTargets().okMs);
}

// ---- the cash book and its chart

void PressTool(CCashBookDlg& dialog, int id)
{
    wxCommandEvent click(wxEVT_TOOL, id);
    click.SetEventObject(dialog.m_wndToolBar);
    dialog.m_wndToolBar->GetEventHandler()->ProcessEvent(click);
}

// The chart has painted once g_vMonthSums holds its twelve sums again.
void WaitForChartPaint()
{
    PumpUntil([] { return g_vMonthSums.size() == 12; }, "the chart to paint");
}

void MeasureCashBook()
{
    const Anchor raw = RawCashBook();
    const double walk = raw.MedianMs("SELECT * FROM [cashbook]");
    const double before = CurrentMemoryMb();
    ResetPeakMemory();
    std::vector<double> opens;
    double peak = 0;
    std::vector<double> chartOpens, lefts;
    for (int i = 0; i < kRuns; ++i) {
        CCashBookDlg dialog(&Board()->GetListCtrl());
        const auto start = BenchClock::now();
        dialog.InitDialog();
        ShowOnScreen(dialog);
        opens.push_back(MillisecondsBetween(start));
        peak = std::max(peak, PeakMemoryMb());

        CDrawCount& chart = dialog.m_drawCount[0];
        g_vMonthSums.clear();
        const auto chartStart = BenchClock::now();
        PressTool(dialog, ID_CASHBOOK_STAT);
        WaitForChartPaint();
        chartOpens.push_back(MillisecondsBetween(chartStart));

        g_vMonthSums.clear();
        wxKeyEvent left(wxEVT_KEY_DOWN);
        left.m_keyCode = WXK_LEFT;
        left.SetEventObject(chart.GetCanvas());
        const auto leftStart = BenchClock::now();
        chart.GetCanvas()->ProcessWindowEvent(left);
        WaitForChartPaint();
        lefts.push_back(MillisecondsBetween(leftStart));
        chart.m_nYear += 1;
        dialog.Destroy();
        wxTheApp->ProcessPendingEvents();
    }
    Report("cash book: open, filled and drawn", Median(opens), 100, "all cash-book rows read", walk);
    ReportMemory("cash book: peak memory of the process, open", peak, 150);
    std::printf("    (%.1f MB before it opened: the window's own share is the difference)\n", before);
    const std::string year = std::to_string(wxDateTime::Now().GetYear());
    const double sums = raw.MedianMs(
        OnServer() ? "SELECT to_char([时间], 'MM'), sum(CAST([交易金额] AS numeric)) FROM [cashbook] "
                     "WHERE [状态] <> 0 AND [时间] >= ? AND [时间] < ? GROUP BY 1"
                   : "SELECT strftime('%m', [时间]), sum(CAST([交易金额] AS INTEGER)) FROM [cashbook] "
                     "WHERE [状态] AND [时间] >= ? AND [时间] < ? GROUP BY 1",
        {year + "-01-01", std::to_string(std::stoi(year) + 1) + "-01-01"});
    Report("chart: opens and paints", Median(chartOpens), 100, "month sums of a year", sums);
    Report("chart: Left key to the year before painted", Median(lefts), 100, "month sums of a year", sums);
}

}  // namespace

class BenchApp : public CQuillan2021App
{
public:
    bool OnInit() override
    {
        // The splash keeps the window back for a fixed time that is not the
        // program's work: time it alone and take it off.
        auto start = BenchClock::now();
        CSplashWnd::ShowSplash(2000);
        m_splashMs = MillisecondsBetween(start);
        m_start = BenchClock::now();
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
            MeasureStartUp(MillisecondsBetween(m_start) - m_splashMs);
            MeasureIdle();
            MeasureBoard();
            MeasureRecordsWindow();
            MeasureSearch();
            MeasureCheckInAndOut();
            MeasureChangeRoom();
            MeasureCashBook();
            MeasureClear();
            g_result = 0;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "bench_desk: %s\n", e.what());
        }
        GetTopWindow()->Close();
    }

    BenchClock::time_point m_start;
    double m_splashMs = 0;
};

wxIMPLEMENT_APP_NO_MAIN(BenchApp);

// The hotel of g_sizes in the environment's databases, on SQLite files from
// the seed cache; false, and why on standard error, when it cannot be made.
bool FillHotel(const TestEnvironment& environment, const std::string& cache)
{
    if (!OnServer())
        return SeedDatabases(g_dataSave, g_sizes, cache);
    try {
        const auto start = BenchClock::now();
        FillServerDatabase(environment, g_sizes);
        std::printf("server: %d rooms, %d stays (%d running), %d cash-book rows made by the server in %.1f s\n",
                    g_sizes.rooms, g_sizes.stays, RunningStays(g_sizes), g_sizes.cashRows,
                    MillisecondsBetween(start) / 1000);
        return true;
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "bench_desk: %s\n", e.what());
        return false;
    }
}

int main(int argc, char** argv)
{
    int first = 1;
    std::string backend = "sqlite";
    if (argc > 2 && std::string(argv[1]) == "--backend") {
        backend = argv[2];
        first = 3;
    }
    int* sizes[] = {&g_sizes.rooms, &g_sizes.stays, &g_sizes.cashRows};
    for (int i = first; i < argc && i - first < 3; ++i)
        *sizes[i - first] = std::atoi(argv[i]);
    if ((backend != "sqlite" && backend != "postgresql") || g_sizes.rooms < 1 || g_sizes.stays < 1 ||
        g_sizes.cashRows < 0 || argc > first + 3) {
        std::fprintf(stderr, "usage: bench_desk [--backend sqlite|postgresql] [rooms [stays [cash-book rows]]]\n");
        return 2;
    }
    // Asked before the sandbox moves HOME.
    const std::string cache = SeedCacheFolder();
    setenv("QUILLAN_TEST_BACKEND", backend.c_str(), 1);
    TestEnvironment environment;
    if (!environment.Unavailable().empty()) {
        std::fprintf(stderr, "bench_desk: %s\n", environment.Unavailable().c_str());
        return 2;
    }
    g_dataSave = environment.DataSaveFolder();
    if (backend == "postgresql")
        g_psql = std::make_unique<Psql>(environment);
    if (!FillHotel(environment, cache)) {
        std::fprintf(stderr, "bench_desk: filling the databases failed\n");
        return 1;
    }
    std::printf("\nFront desk on %s, %d rooms, %d stays, %d cash-book rows: medians, each beside %s\n\n",
                OnServer() ? "PostgreSQL" : "SQLite files", g_sizes.rooms, g_sizes.stays, g_sizes.cashRows,
                OnServer() ? "psql's own time of the same statements" : "its raw sqlite3 anchor");
    FailingModalHook hook;
    // wxWidgets reads only the program's name from the arguments.
    int wxArgc = 1;
    wxEntry(wxArgc, argv);
    return g_result;
}
