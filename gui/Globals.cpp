#include "Globals.h"

int g_nLanguage = 0;
int g_nIconMode = 2;
int g_nSelectedRoomIndex = 0;
int g_nSelectedItem = -1;
CString g_strSelectedRoom;
std::vector<bool> g_vHourlyDue;
std::vector<double> g_vMonthSums;
