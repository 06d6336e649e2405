// A test program, not part of the product: it runs the real application's
// start-up and shutdown as a process of its own and reports what it saw on
// stdout, one "key=value" line per fact, so that a parent test can check the
// things that end or start a process (the single-instance guard, the start-up
// password prompt, the settings written at exit).
//
// Options (taken out of the command line before the application sees it):
//   --program-folder=DIR  the folder holding DataSave/*.db
//   --type=TEXT           at the password prompt: type TEXT and press OK
//   --cancel              at the password prompt: press Cancel
//   --close               at the password prompt: use the close box
//   --hold                once started and reported, keep running until killed
//   --full-disk           no file of the process can grow, as on a disk with no
//                         byte free (the report alone is written past that)
// The prompt actions run in the order given. The prompt is shown for real and
// driven through its controls, so its own OK handler decides what is accepted.
// Any other dialog is reported and dismissed without being shown, so that no
// run can wait for a click.
//
// Facts reported:
//   prompt_title, prompt_ok (kept|accepted, one per --type), prompt_field (the
//   field's text after a kept OK), prompt_action (cancel|close), prompt_result
//   (ok|cancel), prompt_left_open (all actions used, prompt still open: exit 4),
//   unexpected_dialog, assert, started (0|1: what start-up returned),
//   windows_shown (top-level windows put on screen so far), then after a successful
//   start: shown, title, language, menu0, heading0, rows (of the board),
//   settings_at_start (the settings file's text, escaped), holding=1 with
//   --hold, and shutdown=1 once the application's exit has run.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <typeinfo>
#include <vector>

#include <csignal>
#include <sys/resource.h>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/eventfilter.h>
#include <wx/frame.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/toplevel.h>

#include "CPasswordDlg.h"
#include "CQuillan2021App.h"
#include "Globals.h"
#include "ProgramFolder.h"

namespace {

// Exit codes of the probe's own failures (the application's is 0).
constexpr int kExitPromptLeftOpen = 4;
constexpr int kExitPromptBroken = 5;
constexpr int kExitNoShutdown = 6;

constexpr int kPollTimerId = 1;

struct PromptAction
{
    enum Kind { Type, Cancel, Close } kind;
    wxString text;
};

std::vector<PromptAction> g_actions;
bool g_hold = false;
bool g_fullDisk = false;

// With --full-disk no file may grow but while the report is written.
void LimitFileSizes(bool limited)
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = limited ? 0 : limit.rlim_max;
    setrlimit(RLIMIT_FSIZE, &limit);
}

std::string Escape(const wxString& value)
{
    std::string out;
    for (char c : std::string(value.utf8_str().data())) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

// Written at once: the process may end right after (the prompt's Cancel does).
void Fact(const char* key, const wxString& value)
{
    if (g_fullDisk)
        LimitFileSizes(false);
    std::printf("%s=%s\n", key, Escape(value).c_str());
    std::fflush(stdout);
    if (g_fullDisk)
        LimitFileSizes(true);
}

void Fact(const char* key, long value)
{
    Fact(key, wxString::Format("%ld", value));
}

std::string ReadSettingsFile()
{
    std::ifstream in("Quillan.INI", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Counts the top-level windows that reached the screen (the toolkit creates
// them when they are first shown, the splash included), so a copy that must
// end without any window can be told from one that flashed one.
class ShownWindowCounter : public wxEventFilter
{
public:
    int FilterEvent(wxEvent& event) override
    {
        const wxEventType type = event.GetEventType();
        if (type == wxEVT_CREATE && dynamic_cast<wxTopLevelWindow*>(event.GetEventObject()))
            ++m_count;
        return Event_Skip;
    }
    int m_count = 0;
};

// Lets the start-up password prompt open for real and works it like a clerk,
// one action per timer tick while its modal loop runs; any other dialog is
// reported and answered with Cancel without being shown.
class PromptDriver : public wxModalDialogHook
{
public:
    ~PromptDriver() override { Stop(); }

protected:
    int Enter(wxDialog* dialog) override
    {
        auto* prompt = dynamic_cast<CPasswordDlg*>(dialog);
        if (!prompt || m_prompt || g_actions.empty()) {
            Fact("unexpected_dialog", Describe(dialog));
            return wxID_CANCEL;
        }
        Fact("prompt_title", prompt->GetTitle());
        m_prompt = prompt;
        m_timer = std::make_unique<Ticker>(*this);
        m_timer->Start(20);
        return wxID_NONE;
    }

    void Exit(wxDialog* dialog) override
    {
        if (dialog != m_prompt)
            return;
        Stop();
        Fact("prompt_result", dialog->GetReturnCode() == wxID_OK ? "ok" : "cancel");
    }

private:
    class Ticker : public wxTimer
    {
    public:
        explicit Ticker(PromptDriver& driver) : m_driver(driver) {}
        void Notify() override { m_driver.Step(); }

    private:
        PromptDriver& m_driver;
    };

    static wxString Describe(wxDialog* dialog)
    {
        if (auto* box = dynamic_cast<wxMessageDialog*>(dialog))
            return "message box: " + box->GetMessage();
        return wxString(typeid(*dialog).name()) + ": " + dialog->GetTitle();
    }

    void Stop()
    {
        if (m_timer)
            m_timer->Stop();
        m_prompt = nullptr;
    }

    void Click(int id)
    {
        wxWindow* button = m_prompt->FindWindow(id);
        if (!dynamic_cast<wxButton*>(button)) {
            Fact("prompt_error", wxString::Format("no button %d", id));
            std::_Exit(kExitPromptBroken);
        }
        wxCommandEvent click(wxEVT_BUTTON, id);
        click.SetEventObject(button);
        button->ProcessWindowEvent(click);
    }

    void Step()
    {
        if (!m_prompt || !m_prompt->IsModal())
            return;
        if (m_next >= g_actions.size()) {
            Fact("prompt_left_open", 1);
            std::_Exit(kExitPromptLeftOpen);
        }
        const PromptAction& action = g_actions[m_next++];
        switch (action.kind) {
        case PromptAction::Type: {
            auto* edit = dynamic_cast<wxTextCtrl*>(m_prompt->FindWindow(IDC_PASSWORD_EDIT));
            if (!edit) {
                Fact("prompt_error", "no password field");
                std::_Exit(kExitPromptBroken);
            }
            edit->ChangeValue(action.text);
            CPasswordDlg* prompt = m_prompt;
            Click(IDC_PASSWORD_OK);
            // An accepted OK has ended the modal loop by now (and Exit has run).
            const bool kept = prompt->IsModal();
            Fact("prompt_ok", kept ? "kept" : "accepted");
            if (kept)
                Fact("prompt_field", edit->GetValue());
            break;
        }
        case PromptAction::Cancel:
            Fact("prompt_action", "cancel");
            Click(IDC_PASSWORD_CANCEL);
            break;
        case PromptAction::Close:
            Fact("prompt_action", "close");
            m_prompt->Close();
            break;
        }
    }

    CPasswordDlg* m_prompt = nullptr;
    std::unique_ptr<Ticker> m_timer;
    size_t m_next = 0;
};

wxTopLevelWindow* MainWindow()
{
    if (auto* top = dynamic_cast<wxTopLevelWindow*>(wxTheApp->GetTopWindow()))
        return top;
    for (wxWindow* window : wxTopLevelWindows)
        if (window->IsShown() && dynamic_cast<wxFrame*>(window))
            return static_cast<wxTopLevelWindow*>(window);
    return nullptr;
}

// The room board is the list with the most columns among the main window's descendants.
wxListCtrl* FindBoard(wxWindow* window, wxListCtrl* best = nullptr)
{
    if (auto* list = dynamic_cast<wxListCtrl*>(window))
        if (!best || list->GetColumnCount() > best->GetColumnCount())
            best = list;
    for (wxWindow* child : window->GetChildren())
        best = FindBoard(child, best);
    return best;
}

}  // namespace

class StartupProbe : public CQuillan2021App
{
public:
    bool OnInit() override
    {
        m_promptDriver.Register();
        wxEvtHandler::AddFilter(&m_shownWindows);
        const bool started = CQuillan2021App::OnInit() && HasStarted();
        Fact("started", started ? 1 : 0);
        Fact("windows_shown", m_shownWindows.m_count);
        if (!started)
            return true;  // as the program does: the shutdown runs, then the process ends
        m_poll = std::make_unique<wxTimer>(this, kPollTimerId);
        Bind(wxEVT_TIMER, &StartupProbe::OnPoll, this, kPollTimerId);
        m_poll->Start(50);
        return true;
    }

    int OnExit() override
    {
        if (m_poll)
            m_poll->Stop();
        const int code = CQuillan2021App::OnExit();
        Fact("shutdown", 1);
        wxEvtHandler::RemoveFilter(&m_shownWindows);
        return code;
    }

    void OnAssertFailure(const wxChar* file, int line, const wxChar* func, const wxChar* cond,
                         const wxChar* msg) override
    {
        if (IsCommandIdRangeCheck(cond))
            return;
        Fact("assert", wxString::Format("%s:%d %s: %s %s", file, line, func, cond, msg));
    }

private:
    // Waits until the board has its columns (its first update may come from the
    // event loop), reports, then closes the main window the way a user would so
    // that the real shutdown runs; after that, waits for the loop to end.
    void OnPoll(wxTimerEvent&)
    {
        ++m_ticks;
        wxTopLevelWindow* top = MainWindow();
        if (m_closing) {
            if (m_ticks > 300) {  // 15 s after Close: something vetoed it
                Fact("error", "the main window did not close");
                std::_Exit(kExitNoShutdown);
            }
            return;
        }
        wxListCtrl* board = top ? FindBoard(top) : nullptr;
        const bool ready = board && board->GetColumnCount() > 0;
        if (!ready && m_ticks < 200)
            return;
        Report(top, board);
        if (g_hold) {
            Fact("holding", 1);
            m_poll->Stop();
            return;
        }
        m_closing = true;
        m_ticks = 0;
        if (top)
            top->Close();
    }

    void Report(wxTopLevelWindow* top, wxListCtrl* board)
    {
        Fact("windows_shown", m_shownWindows.m_count);
        Fact("shown", top && top->IsShown() ? 1 : 0);
        Fact("title", top ? top->GetTitle() : wxString());
        Fact("language", g_nLanguage);
        auto* frame = dynamic_cast<wxFrame*>(top);
        wxMenuBar* menus = frame ? frame->GetMenuBar() : nullptr;
        Fact("menu0", menus && menus->GetMenuCount() > 0 ? menus->GetMenuLabel(0) : wxString());
        wxString heading;
        if (board && board->GetColumnCount() > 0) {
            wxListItem column;
            column.SetMask(wxLIST_MASK_TEXT);
            board->GetColumn(0, column);
            heading = column.GetText();
        }
        Fact("heading0", heading);
        Fact("rows", board ? board->GetItemCount() : 0);
        Fact("settings_at_start", wxString::FromUTF8(ReadSettingsFile()));
    }

    ShownWindowCounter m_shownWindows;
    PromptDriver m_promptDriver;  // registered from start-up on
    std::unique_ptr<wxTimer> m_poll;
    int m_ticks = 0;
    bool m_closing = false;
};

wxIMPLEMENT_APP_NO_MAIN(StartupProbe);

int main(int argc, char** argv)
{
    std::vector<char*> appArgs{argv[0]};
    wxString programFolder;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&arg](const char* option) { return wxString::FromUTF8(arg.substr(std::strlen(option))); };
        if (arg.rfind("--program-folder=", 0) == 0)
            programFolder = value("--program-folder=");
        else if (arg.rfind("--type=", 0) == 0)
            g_actions.push_back({PromptAction::Type, value("--type=")});
        else if (arg == "--cancel")
            g_actions.push_back({PromptAction::Cancel, {}});
        else if (arg == "--close")
            g_actions.push_back({PromptAction::Close, {}});
        else if (arg == "--hold")
            g_hold = true;
        else if (arg == "--full-disk")
            g_fullDisk = true;
        else
            appArgs.push_back(argv[i]);
    }
    if (!programFolder.empty())
        OverrideProgramFolder(programFolder);
    if (g_fullDisk) {
        std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
        LimitFileSizes(true);
    }
    int appArgc = int(appArgs.size());
    appArgs.push_back(nullptr);
    return wxEntry(appArgc, appArgs.data());
}
