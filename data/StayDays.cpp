#include "StayDays.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "CodePage.h"

namespace {

struct DateNumbers {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// False when fewer than year, month and day could be read.
bool ReadDateNumbers(const char* text, DateNumbers& n)
{
    if (text == nullptr)
        return false;
    int count = std::sscanf(text, "%d%*[^0-9]%d%*[^0-9]%d%*[^0-9]%d%*[^0-9]%d%*[^0-9]%d", &n.year, &n.month,
                            &n.day, &n.hour, &n.minute, &n.second);
    return count >= 3;
}

// Seconds of the date's midnight. Counted in UTC rather than local time: the
// carry-over of out-of-range days and months is the same, but a change of the
// local zone's offset between the two dates cannot shave a day off the count.
long long MidnightSeconds(const DateNumbers& n)
{
    std::tm t{};
    t.tm_year = n.year - 1900;
    t.tm_mon = n.month - 1;
    t.tm_mday = n.day;
    t.tm_isdst = 0;
    return static_cast<long long>(timegm(&t));
}

}  // namespace

int DaysBetween(const char* from, const char* to)
{
    DateNumbers a, b;
    if (!ReadDateNumbers(from, a))
        return -1;
    if (!ReadDateNumbers(to, b))
        return -2;
    const int fromAfternoon = a.hour >= 12 ? 1 : 0;
    const int toAfternoon = b.hour >= 12 ? 1 : 0;
    long long diff = MidnightSeconds(b) - MidnightSeconds(a);
    if (diff < 0)
        diff = -diff;
    const int days = static_cast<int>(diff / 86400);
    return days - fromAfternoon + toAfternoon;
}

int CountStayDays(COleDateTime checkIn, COleDateTime now)
{
    const std::string from = ToCodePage(checkIn.Format("%Y-%m-%d %H:%M:%S"), CP_OEMCP);
    const std::string to = ToCodePage(now.Format("%Y-%m-%d %H:%M:%S"), CP_OEMCP);
    return DaysBetween(from.c_str(), to.c_str()) + 1;
}
