// Where the running executable lies.
#pragma once

#include "WinTypes.h"

// Full path of the executable, from /proc/self/exe.
CString GetModuleFileName();
// The executable's folder with a trailing "/".
CString GetProgramFolder();

// Tests point the program folder at a temporary copy of the database files.
void OverrideProgramFolder(const CString& folder);
