// Runs the GUI tests inside the live main loop of the real application object,
// in a sandbox (temporary HOME, ODBCINI, current directory and database files).
#include <gtest/gtest.h>
#include <cstdlib>
#include <fstream>
#include <wx/app.h>
#include <wx/testing.h>
#include "CMainFrame.h"
#include "CQuillan2021App.h"
#include "CQuillan2021View.h"
#include "Globals.h"
#include "GuiTestSupport.h"
#include "TestEnvironment.h"

namespace {

bool g_realModals = false;

// An unexpected dialog fails the test at once instead of waiting for a click,
// unless a test lets dialogs run for real.
class ThrowingModalHook : public wxTestingModalHook
{
public:
    int Enter(wxDialog* dialog) override { return g_realModals ? wxID_NONE : wxTestingModalHook::Enter(dialog); }

protected:
    void ReportFailure(const wxString& msg) override { throw std::runtime_error(msg.ToStdString(wxConvUTF8)); }
};

TestEnvironment* g_environment = nullptr;
int g_result = 1;
StartState g_startState;
int g_exitRequests = 0;
bool g_testsDone = false;

}  // namespace

class TestApp : public CQuillan2021App
{
public:
    bool OnInit() override
    {
        if (!CQuillan2021App::OnInit() || !HasStarted())
            return false;
        g_startState.language = g_nLanguage;
        g_startState.settings = ReadFileText(g_environment->Folder() + "/Quillan.INI");
        CallAfter([this] {
            g_result = RUN_ALL_TESTS();
            g_testsDone = true;
            ExitMainLoop();
        });
        return true;
    }

    // The program asking to end is counted; while the tests run it is not
    // obeyed, so that a test sees it and the others still run.
    void ExitMainLoop() override
    {
        ++g_exitRequests;
        if (g_testsDone)
            CQuillan2021App::ExitMainLoop();
    }

    void OnAssertFailure(const wxChar* file, int line, const wxChar* func, const wxChar* cond,
                         const wxChar* msg) override
    {
        if (IsCommandIdRangeCheck(cond))
            return;
        ADD_FAILURE() << "wx assertion in " << wxString(func) << " at " << wxString(file) << ":" << line << ": "
                      << wxString(cond) << " " << wxString(msg);
    }
};

RealModals::RealModals()
{
    g_realModals = true;
}

RealModals::~RealModals()
{
    g_realModals = false;
}

int ExitRequests()
{
    return g_exitRequests;
}

TestEnvironment& GuiEnvironment()
{
    return *g_environment;
}

const StartState& StateAtStart()
{
    return g_startState;
}

CMainFrame* MainFrame()
{
    return wxDynamicCast(wxTheApp->GetTopWindow(), CMainFrame);
}

CQuillan2021View* View()
{
    return MainFrame()->GetView();
}

wxListCtrl& Board()
{
    return View()->GetListCtrl();
}

void SeedRooms(const char* columns, const char* values)
{
    CDatabase& db = GetTheApp().m_dbHotel;
    db.ExecuteSQL("DELETE FROM [house]");
    db.ExecuteSQL(wxString::FromUTF8("INSERT INTO [house](") + wxString::FromUTF8(columns) + ") VALUES " +
                  wxString::FromUTF8(values));
    View()->LoadRooms();
}

void Select(int row)
{
    Board().SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
}

wxUpdateUIEvent UpdateOf(int id)
{
    wxUpdateUIEvent update(id);
    update.SetEventObject(MainFrame());
    MainFrame()->ProcessWindowEvent(update);
    return update;
}

int ColumnImage(long row, int column)
{
    wxListItem item;
    item.SetId(row);
    item.SetColumn(column);
    item.SetMask(wxLIST_MASK_IMAGE);
    Board().GetItem(item);
    return item.GetImage();
}

wxIMPLEMENT_APP_NO_MAIN(TestApp);

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    TestEnvironment environment;
    g_environment = &environment;
    // The UI language stored before the program starts, for the tests of a start in that language.
    if (const char* language = std::getenv("QUILLAN_TEST_START_LANGUAGE"))
        std::ofstream(environment.Folder() + "/Quillan.INI") << "[LANGUAGE]\nLanguage=" << language << "\n";
    ThrowingModalHook hook;
    wxEntry(argc, argv);
    g_environment = nullptr;
    return g_result;
}
