// The check-in dialog's test of a typed ID number.
#pragma once

#include "WinTypes.h"

// True when the ID number may be stored: not empty nor only blanks, no Chinese
// character (U+4E00 to U+9FA5) and no ASCII letter, except the check character
// X (or x) that ends a resident ID number of 17 digits before it. The length
// and the check character's value are not examined otherwise.
bool CheckIdNumber(const CString& idNumber);

// The ID number as it is stored: a resident ID number ending in x ends in X.
CString NormalizeIdNumber(const CString& idNumber);
