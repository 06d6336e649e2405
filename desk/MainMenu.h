// The main menu as the program starts, before the first language command runs.
#pragma once

#include <wx/menu.h>

wxMenuBar* CreateMainMenu();
