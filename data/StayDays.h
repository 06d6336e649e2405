// How many days a stay is billed: calendar days with noon as the change-over.
#pragma once

#include "COleDateTime.h"

// Days to bill from the check-in date to now: the calendar days between the two
// dates, one less when the guest came in the afternoon, one more when leaving in
// the afternoon, plus the first day. 0 for a null or invalid check-in date, -1
// for a current time that cannot be read.
int CountStayDays(COleDateTime checkIn, COleDateTime now);

// Day difference of two date-time texts (year, month, day[, hour, minute, second],
// any non-digits between the numbers) with the noon rules: whole calendar days
// between the dates, whichever comes first, minus 1 when `from` is at or after
// noon, plus 1 when `to` is. -1 when `from` cannot be read, -2 for `to`.
int DaysBetween(const char* from, const char* to);
