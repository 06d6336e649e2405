// Shared pieces of the GUI tests.
#pragma once

#include <ostream>
#include <string>
#include <wx/event.h>
#include <wx/listctrl.h>
#include "TestEnvironment.h"

// Failures show texts as text rather than as lists of code points.
inline void PrintTo(const wxString& text, std::ostream* os)
{
    *os << '"' << text.utf8_str() << '"';
}

class CMainFrame;
class CQuillan2021View;

// While one lives, ShowModal runs the dialog's own modal loop instead of
// failing the test: for what the toolkit does only beside a real modal dialog.
struct RealModals
{
    RealModals();
    ~RealModals();
};

// The sandbox the application was started in.
TestEnvironment& GuiEnvironment();

// How often the program has asked to end (which the tests do not obey).
int ExitRequests();

// What start-up left, before any test ran.
struct StartState
{
    int language = 0;
    std::string settings;  // the settings file's text
};
const StartState& StateAtStart();

// The running program's main frame, its board view and the board's rows.
CMainFrame* MainFrame();
CQuillan2021View* View();
wxListCtrl& Board();

// Replaces the rooms table with the given rows (an SQL VALUES list for the
// named columns) and reloads the board.
void SeedRooms(const char* columns, const char* values);
// Gives a board row the selection mark, as a click would.
void Select(int row);
// What the frame's menus and toolbar would show for a command right now.
wxUpdateUIEvent UpdateOf(int id);
// The picture a board cell shows, -1 for none.
int ColumnImage(long row, int column);
