// Amounts of money, stored as the text the clerk typed.
#pragma once

#include "WinTypes.h"

// The leading decimal number of the text's OEM form; text that is no number
// counts 0, and so do "nan" and "inf", which are numbers to the C library but
// not amounts of money. Full-width forms, as a Chinese input method types them
// ("１００", "９９．５", "－２０"), count as the ASCII characters they stand for.
double ParseMoney(const CString& text);
