// Values as the SQLite driver hands them over in text, turned into the
// members of a recordset without a detour through other strings, and dates
// in the text the driver stores them as.
#pragma once

#include <cstddef>
#include <string>
#include "COleDateTime.h"
#include "WinTypes.h"

// A value as the driver handed it over: its text, or null. The bytes belong
// to whoever fetched them.
struct StoredField
{
    const char* data = nullptr;
    size_t length = 0;
    bool isNull = true;
};

// Sets `text` to the UTF-8 bytes, reusing its buffer; text that is no valid
// UTF-8 gives an empty string, as wxString::FromUTF8 does.
void AssignUtf8(CString& text, const char* data, size_t length);

// The integer the text starts with, as strtoll reads it: blanks, a sign,
// digits; 0 when there are none.
long long ParseStoredInteger(const char* data, size_t length);
inline long long ParseStoredInteger(const std::string& text)
{
    return ParseStoredInteger(text.data(), text.size());
}

// The date the text holds: "YYYY-MM-DD HH:MM:SS.fff" as the driver writes it,
// and the like another program may have written: "/" between the date's
// parts, one-digit parts, "T" before the time, no seconds, any number of
// fraction digits. False for any other text (the date is then invalid). The
// parts are not checked here: SetDateTimeMs makes a date that cannot be one
// invalid. (The driver's own reading of such text runs past its end.)
bool ParseStoredTimestamp(const char* data, size_t length, COleDateTime& date);
// Whether stored text holds nothing but blanks.
bool IsBlankStoredText(const char* data, size_t length);
// The date a recordset's date member takes from a stored value: null for
// null or blank text, invalid for text that is no date.
void StoredDate(const StoredField& value, COleDateTime& date);
// Appends that date as AppendDateTimeText writes the parts
// COleDateTime::GetSecondParts gives (-1 each for a date that is not valid),
// most often without the date's arithmetic: an export writes three a row.
void AppendStoredDateText(const StoredField& value, std::string& out, int yearWidth);
// Appends "Y-MM-DD HH:MM:SS", each number as printf's "%0*d" writes it, the
// year with at least `yearWidth` (up to 4) digits.
void AppendDateTimeText(std::string& out, int year, int month, int day, int hour, int minute, int second,
                        int yearWidth);
// Appends a valid date as the driver stores a bound timestamp:
// "YYYY-MM-DD HH:MM:SS.fff".
void AppendStoredTimestamp(const COleDateTime& date, std::string& out);
