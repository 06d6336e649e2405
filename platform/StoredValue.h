// Values as the SQLite driver hands them over in text, turned into the
// members of a recordset without a detour through other strings, and dates
// in the text the driver stores them as.
#pragma once

#include <cstddef>
#include <string>
#include "COleDateTime.h"
#include "WinTypes.h"

// Sets `text` to the UTF-8 bytes, reusing its buffer; text that is no valid
// UTF-8 gives an empty string, as wxString::FromUTF8 does.
void AssignUtf8(CString& text, const char* data, size_t length);

// The integer the text starts with, as strtoll reads it: blanks, a sign,
// digits; 0 when there are none.
long long ParseStoredInteger(const char* data, size_t length);

// The date the text holds: "YYYY-MM-DD HH:MM:SS.fff" as the driver writes it,
// and the like another program may have written: "/" between the date's
// parts, one-digit parts, "T" before the time, no seconds, any number of
// fraction digits. False for any other text (the date is then invalid). The
// parts are not checked here: SetDateTimeMs makes a date that cannot be one
// invalid. (The driver's own reading of such text runs past its end.)
bool ParseStoredTimestamp(const char* data, size_t length, COleDateTime& date);
// Whether stored text holds nothing but blanks.
bool IsBlankStoredText(const char* data, size_t length);

// Appends "Y-MM-DD HH:MM:SS", each number as printf's "%0*d" writes it, the
// year with at least `yearWidth` (up to 4) digits.
void AppendDateTimeText(std::string& out, int year, int month, int day, int hour, int minute, int second,
                        int yearWidth);
// Appends a valid date as the driver stores a bound timestamp:
// "YYYY-MM-DD HH:MM:SS.fff".
void AppendStoredTimestamp(const COleDateTime& date, std::string& out);
