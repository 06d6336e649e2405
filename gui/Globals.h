// Process-wide state of the front desk, touched only on the user-interface thread.
#pragma once

#include <vector>
#include "WinTypes.h"

extern int g_nLanguage;          // 1 Chinese, 2 English; 0 until the settings file is read
extern int g_nIconMode;          // 1 small rows, 2 large rows, 3 extra-large icons
extern int g_nSelectedRoomIndex; // board row drawn by the detail pane
extern int g_nSelectedItem;      // marked board row for the reservation commands, -1 when none
extern CString g_strSelectedRoom; // room number of that row
extern std::vector<bool> g_vHourlyDue; // per board row: the blink phase of an overdue hourly room
extern std::vector<double> g_vMonthSums; // the revenue chart's twelve month sums, filled by each paint
