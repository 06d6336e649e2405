// The shell's "open" verb: documents and links go to the desktop's handler;
// "calc.exe" starts the first calculator this desktop has.
#pragma once

#include "WinTypes.h"

// The calculators looked for, in this order.
extern const char* const kCalculators[5];

// The full path of the first calculator found in `searchPath` (a PATH-style
// list); empty when there is none.
CString FindCalculator(const CString& searchPath);

// Starts what `file` names without waiting for it; FALSE when nothing could be started.
BOOL ShellOpen(const CString& file);
