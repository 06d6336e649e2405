#include "COleDateTime.h"

#include <cmath>
#include <ctime>
#include <cctype>
#include <cwchar>
#include <sys/time.h>

namespace {

const double kMinDate = -657434.0;          // 100-01-01
const double kMaxDate = 2958465.99999999;   // 9999-12-31 23:59:59.999
const long long kMsPerDay = 86400000LL;

// Days from 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms).
long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const long long kOleEpoch = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// OLE dates below zero keep the time as a positive fraction after the
// (negative) day, so -1.25 is a day back at 06:00. Arithmetic and comparison
// of instants needs a continuous scale, which this gives.
double ToLinear(double dt)
{
    if (dt >= 0)
        return dt;
    double days = std::trunc(dt);
    return days + (days - dt);
}

double FromLinear(double lin)
{
    if (lin >= 0)
        return lin;
    double days = std::floor(lin);
    double frac = lin - days;
    return frac == 0 ? days : days - frac;
}

struct Parts {
    int year, month, day, hour, minute, second, ms, dayOfWeek, dayOfYear;
};

// unitsPerDay is 86400 for whole seconds (the OLE rounding) or 86400000 for ms.
bool Breakdown(const COleDateTime& t, long long unitsPerDay, Parts& p)
{
    if (t.m_status != COleDateTime::valid || !std::isfinite(t.m_dt) || t.m_dt <= kMinDate - 1.0 || t.m_dt > kMaxDate)
        return false;
    double days = std::trunc(t.m_dt);
    double frac = std::fabs(t.m_dt - days);
    long long units = std::llround(frac * static_cast<double>(unitsPerDay));
    long long dayNumber = static_cast<long long>(days);
    if (units >= unitsPerDay) {  // rounding carried into the next day
        units -= unitsPerDay;
        dayNumber += 1;
    }
    long long msOfDay = units * (kMsPerDay / unitsPerDay);
    long long civil = dayNumber + kOleEpoch;
    CivilFromDays(civil, p.year, p.month, p.day);
    p.hour = static_cast<int>(msOfDay / 3600000);
    p.minute = static_cast<int>(msOfDay / 60000 % 60);
    p.second = static_cast<int>(msOfDay / 1000 % 60);
    p.ms = static_cast<int>(msOfDay % 1000);
    long long w = (civil + 4) % 7;  // 1970-01-01 was a Thursday
    if (w < 0)
        w += 7;
    p.dayOfWeek = static_cast<int>(w) + 1;
    p.dayOfYear = static_cast<int>(civil - DaysFromCivil(p.year, 1, 1)) + 1;
    return true;
}

const char* const kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

CString Number(int value, int width, bool pad)
{
    return pad ? CString::Format("%0*d", width, value) : CString::Format("%d", value);
}

// Reads the date and time forms ParseDateTime accepts, one character at a time
// and never backwards by more than the part being tried, so that any length of
// text costs a single pass. Each part either matches whole and moves on, or
// leaves the position where it was.
class DateScanner
{
public:
    explicit DateScanner(const std::wstring& text) : m_s(text) {}

    bool AtEnd() const { return m_pos == m_s.size(); }

    // Blanks around the date and the time, in the "C" locale's sense whatever
    // locale the program runs in; between a date and its time also "T" and ",".
    void SkipOuterBlanks(bool betweenDateAndTime)
    {
        while (m_pos < m_s.size() && (IsCBlank(m_s[m_pos]) ||
                                      (betweenDateAndTime && (m_s[m_pos] == L'T' || m_s[m_pos] == L','))))
            ++m_pos;
    }

    static bool IsCBlank(wchar_t c) { return c < 0x80 && std::isspace(static_cast<int>(c)); }

    // 2024-03-05, 2024/3/5, 2024.3.5, 2024年3月5日, with blanks between the parts.
    bool YearMonthDay(int& year, int& month, int& day)
    {
        const size_t start = m_pos;
        int y = 0, m = 0, d = 0;
        if (Number(4, 4, y) && Separator(L"-/.年") && Number(1, 2, m) && Separator(L"-/.月") && Number(1, 2, d)) {
            SkipInnerBlanks();
            Take(L"日");
            year = y, month = m, day = d;
            return true;
        }
        m_pos = start;
        return false;
    }

    // 5.3.2024 and 5-3-2024 day first, 3/5/2024 month first.
    bool DayMonthYear(int& year, int& month, int& day)
    {
        const size_t start = m_pos;
        int a = 0, b = 0, y = 0;
        wchar_t separator = 0;
        if (Number(1, 2, a) && (separator = Separator(L"-/.")) && Number(1, 2, b) && Separator(L"-/.") &&
            Number(4, 4, y)) {
            year = y;
            // Slashes follow the month-first habit; dots and dashes the day-first one.
            if (separator == L'/')
                month = a, day = b;
            else
                day = a, month = b;
            return true;
        }
        m_pos = start;
        return false;
    }

    // 14:30, 14:30:15, 14:30:15.250, 14时30分, 14时30分15秒, each with an optional AM or PM.
    bool Time(int& hour, int& minute, int& second, int& ms)
    {
        const size_t start = m_pos;
        int h = 0, m = 0;
        if (!Number(1, 2, h) || !Separator(L":时") || !Number(1, 2, m)) {
            m_pos = start;
            return false;
        }
        SkipInnerBlanks();
        Take(L"分");
        SkipInnerBlanks();
        Seconds(second, ms);
        SkipInnerBlanks();
        if (m_pos + 1 < m_s.size() && IsOneOf(m_s[m_pos], L"AaPp") && IsOneOf(m_s[m_pos + 1], L"Mm")) {
            const bool pm = m_s[m_pos] == L'P' || m_s[m_pos] == L'p';
            m_pos += 2;
            if (h < 1 || h > 12)
                h = -1;  // makes the date invalid
            else
                h = pm ? h % 12 + 12 : h % 12;
        }
        hour = h, minute = m;
        return true;
    }

private:
    // The blanks allowed inside a date or a time: the six ASCII ones.
    void SkipInnerBlanks()
    {
        while (m_pos < m_s.size() && IsCBlank(m_s[m_pos]))
            ++m_pos;
    }

    static bool IsOneOf(wchar_t c, const wchar_t* set) { return c != L'\0' && std::wcschr(set, c); }
    static bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

    // Takes one character of the set; 0 when the next one is not in it.
    wchar_t Take(const wchar_t* set)
    {
        if (m_pos < m_s.size() && IsOneOf(m_s[m_pos], set))
            return m_s[m_pos++];
        return 0;
    }

    // Blanks, one separator of the set, blanks; the separator, or 0 when there is none.
    wchar_t Separator(const wchar_t* set)
    {
        SkipInnerBlanks();
        const wchar_t separator = Take(set);
        if (separator)
            SkipInnerBlanks();
        return separator;
    }

    // At least `least` and at most `most` decimal digits, as many as there are.
    bool Number(size_t least, size_t most, int& value)
    {
        size_t count = 0;
        int v = 0;
        while (count < most && m_pos + count < m_s.size() && IsDigit(m_s[m_pos + count]))
            v = v * 10 + (m_s[m_pos + count++] - L'0');
        if (count < least)
            return false;
        m_pos += count;
        value = v;
        return true;
    }

    // The optional seconds after the minutes: ":15", " 15", "15.250" (digits
    // past the milliseconds are read and dropped), "15秒".
    void Seconds(int& second, int& ms)
    {
        const size_t start = m_pos;
        Take(L":");
        SkipInnerBlanks();
        int s = 0;
        if (!Number(1, 2, s)) {
            m_pos = start;
            return;
        }
        second = s;
        if (m_pos + 1 < m_s.size() && m_s[m_pos] == L'.' && IsDigit(m_s[m_pos + 1])) {
            ++m_pos;
            int fraction = 0;
            size_t digits = 0;
            for (; digits < 3 && m_pos < m_s.size() && IsDigit(m_s[m_pos]); ++digits)
                fraction = fraction * 10 + (m_s[m_pos++] - L'0');
            for (; digits < 3; ++digits)
                fraction *= 10;
            ms = fraction;
            while (m_pos < m_s.size() && IsDigit(m_s[m_pos]))
                ++m_pos;
        }
        SkipInnerBlanks();
        Take(L"秒");
    }

    const std::wstring& m_s;
    size_t m_pos = 0;
};

}  // namespace

COleDateTimeSpan::COleDateTimeSpan(long days, int hours, int minutes, int seconds)
    : m_span(days + hours / 24.0 + minutes / 1440.0 + seconds / 86400.0)
{
}

long COleDateTimeSpan::GetDays() const
{
    return static_cast<long>(std::trunc(m_span));
}

COleDateTime::COleDateTime(int year, int month, int day, int hour, int minute, int second)
{
    SetDateTime(year, month, day, hour, minute, second);
}

COleDateTime COleDateTime::GetCurrentTime()
{
    timeval tv;
    gettimeofday(&tv, nullptr);
    std::time_t secs = tv.tv_sec;
    std::tm local;
    localtime_r(&secs, &local);
    COleDateTime now;
    now.SetDateTimeMs(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                      local.tm_sec > 59 ? 59 : local.tm_sec, static_cast<int>(tv.tv_usec / 1000));
    return now;
}

int COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second)
{
    return SetDateTimeMs(year, month, day, hour, minute, second, 0);
}

bool COleDateTime::IsValidParts(int year, int month, int day, int hour, int minute, int second, int millisecond)
{
    return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month) &&
           hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59 &&
           millisecond >= 0 && millisecond <= 999;
}

int COleDateTime::SetDateTimeMs(int year, int month, int day, int hour, int minute, int second, int millisecond)
{
    if (!IsValidParts(year, month, day, hour, minute, second, millisecond)) {
        m_dt = 0.0;
        m_status = invalid;
        return 1;
    }
    double days = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
                                      kOleEpoch);
    double frac = (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / static_cast<double>(kMsPerDay);
    m_dt = days >= 0 ? days + frac : days - frac;
    m_status = valid;
    return 0;
}

bool COleDateTime::GetParts(int& year, int& month, int& day, int& hour, int& minute, int& second,
                            int& millisecond) const
{
    Parts p;
    if (!Breakdown(*this, kMsPerDay, p))
        return false;
    year = p.year, month = p.month, day = p.day;
    hour = p.hour, minute = p.minute, second = p.second, millisecond = p.ms;
    return true;
}

bool COleDateTime::GetSecondParts(int& year, int& month, int& day, int& hour, int& minute, int& second) const
{
    Parts p;
    if (!Breakdown(*this, 86400, p)) {
        year = month = day = hour = minute = second = -1;
        return false;
    }
    year = p.year, month = p.month, day = p.day;
    hour = p.hour, minute = p.minute, second = p.second;
    return true;
}

#define OLE_PART(name, field)                          \
    int COleDateTime::name() const                     \
    {                                                  \
        Parts p;                                       \
        return Breakdown(*this, 86400, p) ? p.field : -1; \
    }
OLE_PART(GetYear, year)
OLE_PART(GetMonth, month)
OLE_PART(GetDay, day)
OLE_PART(GetHour, hour)
OLE_PART(GetMinute, minute)
OLE_PART(GetSecond, second)
OLE_PART(GetDayOfWeek, dayOfWeek)
OLE_PART(GetDayOfYear, dayOfYear)
#undef OLE_PART

CString COleDateTime::Format(const CString& format) const
{
    if (m_status == null)
        return CString();
    Parts p;
    if (!Breakdown(*this, 86400, p))
        return "Invalid DateTime";
    CString out;
    for (auto it = format.begin(); it != format.end(); ++it) {
        wxUniChar c = *it;
        if (c != '%') {
            out += c;
            continue;
        }
        if (++it == format.end()) {
            out += '%';
            break;
        }
        bool pad = true;
        if (*it == '#') {  // "%#d": the number without leading zeros
            pad = false;
            if (++it == format.end())
                break;
        }
        switch (static_cast<wxChar>((*it).GetValue())) {
        case 'Y': out += Number(p.year, 4, pad); break;
        case 'y': out += Number(p.year % 100, 2, pad); break;
        case 'm': out += Number(p.month, 2, pad); break;
        case 'd': out += Number(p.day, 2, pad); break;
        case 'H': out += Number(p.hour, 2, pad); break;
        case 'I': out += Number(p.hour % 12 == 0 ? 12 : p.hour % 12, 2, pad); break;
        case 'M': out += Number(p.minute, 2, pad); break;
        case 'S': out += Number(p.second, 2, pad); break;
        case 'j': out += Number(p.dayOfYear, 3, pad); break;
        case 'w': out += Number(p.dayOfWeek - 1, 1, pad); break;
        case 'p': out += p.hour < 12 ? "AM" : "PM"; break;
        case 'A': out += kDayNames[p.dayOfWeek - 1]; break;
        case 'a': out += CString(kDayNames[p.dayOfWeek - 1]).Left(3); break;
        case 'B': out += kMonthNames[p.month - 1]; break;
        case 'b': out += CString(kMonthNames[p.month - 1]).Left(3); break;
        case 'c': out += CString::Format("%02d/%02d/%02d %02d:%02d:%02d", p.month, p.day, p.year % 100, p.hour,
                                         p.minute, p.second); break;
        case 'x': out += CString::Format("%02d/%02d/%02d", p.month, p.day, p.year % 100); break;
        case 'X': out += CString::Format("%02d:%02d:%02d", p.hour, p.minute, p.second); break;
        case '%': out += '%'; break;
        default: out += '%'; out += *it; break;  // unknown conversions stay visible
        }
    }
    return out;
}

bool COleDateTime::ParseDateTime(const CString& text)
{
    const std::wstring s = text.ToStdWstring();
    DateScanner scan(s);
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0, ms = 0;
    scan.SkipOuterBlanks(false);
    const bool haveDate = scan.YearMonthDay(year, month, day) || scan.DayMonthYear(year, month, day);
    if (haveDate)
        scan.SkipOuterBlanks(true);
    const bool haveTime = scan.Time(hour, minute, second, ms);
    scan.SkipOuterBlanks(false);
    if ((!haveDate && !haveTime) || !scan.AtEnd()) {
        m_dt = 0.0;
        m_status = invalid;
        return false;
    }
    return SetDateTimeMs(year, month, day, hour, minute, second, ms) == 0;
}

COleDateTime COleDateTime::operator+(const COleDateTimeSpan& span) const
{
    COleDateTime result;
    if (m_status != valid) {
        result.m_status = m_status;
        return result;
    }
    result.m_dt = FromLinear(ToLinear(m_dt) + span.m_span);
    if (!std::isfinite(result.m_dt) || result.m_dt < kMinDate || result.m_dt > kMaxDate) {
        result.m_dt = 0.0;
        result.m_status = invalid;
    }
    return result;
}

COleDateTime COleDateTime::operator-(const COleDateTimeSpan& span) const
{
    return *this + COleDateTimeSpan(-span.m_span);
}

COleDateTimeSpan COleDateTime::operator-(const COleDateTime& other) const
{
    return COleDateTimeSpan(ToLinear(m_dt) - ToLinear(other.m_dt));
}
