// The check-in dialog's test of a typed ID number.
#pragma once

#include "WinTypes.h"

// True when the ID number may be stored: not empty, no Chinese character
// (U+4E00 to U+9FA5) and no ASCII letter. Length and check digit are not
// examined, so a number ending in the letter X is refused as well.
bool CheckIdNumber(const CString& idNumber);
