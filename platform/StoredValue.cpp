#include "StoredValue.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>
#include "Utf8Text.h"

namespace {

// Decodes UTF-8 into `out`, which has room for a character per byte, and
// gives the end; null at the first byte sequence that is not valid.
wchar_t* DecodeUtf8(const unsigned char* p, const unsigned char* end, wchar_t* out)
{
    unsigned code;
    while (p < end) {
        if (!NextUtf8Char(p, end, code))
            return nullptr;
        *out++ = wchar_t(code);
    }
    return out;
}

// Reads 1 to `most` digits at `p` into `value`; false when there is none.
bool Number(const char*& p, const char* end, int most, int& value)
{
    value = 0;
    int digits = 0;
    for (; p < end && digits < most && *p >= '0' && *p <= '9'; ++p, ++digits)
        value = value * 10 + (*p - '0');
    return digits > 0;
}

// Steps over `one` or `other` at `p`.
bool Skip(const char*& p, const char* end, char one, char other)
{
    if (p < end && (*p == one || *p == other)) {
        ++p;
        return true;
    }
    return false;
}

// Writes `value` with at least `width` (up to 4) digits, as printf's "%0*d"
// does, and gives the end; 12 bytes are room for any. The CSV export writes
// eighteen numbers a row, nearly all of them the parts of a date.
char* WriteNumber(char* p, int value, int width)
{
    if (value >= 0 && value < 100 && width == 2) {
        p[0] = char('0' + value / 10);
        p[1] = char('0' + value % 10);
        return p + 2;
    }
    if (value >= 0 && value < 10000) {
        const int digits = value >= 1000 ? 4 : value >= 100 ? 3 : value >= 10 ? 2 : 1;
        const int length = digits > width ? digits : width;
        for (int i = length - 1; i >= 0; --i, value /= 10)
            p[i] = char('0' + value % 10);
        return p + length;
    }
    char digits[12];
    int n = 0;
    const bool negative = value < 0;
    unsigned magnitude = negative ? 0u - unsigned(value) : unsigned(value);
    do {
        digits[n++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    if (negative)
        *p++ = '-';
    for (int pad = n + (negative ? 1 : 0); pad < width; ++pad)
        *p++ = '0';
    while (n > 0)
        *p++ = digits[--n];
    return p;
}

// The parts of stored timestamp text, unchecked.
struct TimestampParts
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

std::uint64_t EightBytes(const char* p)
{
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Whether eight bytes are digits where `digits` has 0xFF bytes and those of
// `others` elsewhere: all eight tested at once, an export reads three dates a row.
bool DigitsAndSeparators(std::uint64_t word, std::uint64_t digits, std::uint64_t others)
{
    constexpr std::uint64_t kZeros = 0x3030303030303030ULL, kHigh = 0xF0F0F0F0F0F0F0F0ULL,
                            kSix = 0x0606060606060606ULL;
    // A digit is 0x30 to 0x39: 0 to 9 once its 0x30 is taken away, and below
    // 0x10 when 6 is added. No byte carries into the next: the separators
    // are known by then, and none is 0xFA or more.
    const std::uint64_t value = word ^ kZeros;
    return (word & ~digits) == others && (value & digits & kHigh) == 0 && ((value + kSix) & digits & kHigh) == 0;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// "YYYY-MM-DD HH:MM:SS" and the same with ".fff", as the driver stores
// timestamps: the parts at their places, as ParseTimestampParts reads them.
bool ParseWrittenTimestampParts(const char* data, size_t length, TimestampParts& parts)
{
    static const std::uint64_t kDigits[] = {EightBytes("\xFF\xFF\xFF\xFF\0\xFF\xFF\0"),
                                            EightBytes("\xFF\xFF\0\xFF\xFF\0\xFF\xFF")};
    static const std::uint64_t kOthers[] = {EightBytes("\0\0\0\0-\0\0-"), EightBytes("\0\0 \0\0:\0\0")};
    if ((length != 19 && length != 23) || !DigitsAndSeparators(EightBytes(data), kDigits[0], kOthers[0]) ||
        !DigitsAndSeparators(EightBytes(data + 8), kDigits[1], kOthers[1]) || data[16] != ':' ||
        !IsDigit(data[17]) || !IsDigit(data[18]) ||
        (length == 23 && (data[19] != '.' || !IsDigit(data[20]) || !IsDigit(data[21]) || !IsDigit(data[22]))))
        return false;
    const auto two = [data](size_t at) { return (data[at] - '0') * 10 + (data[at + 1] - '0'); };
    parts = {two(0) * 100 + two(2), two(5), two(8), two(11), two(14), two(17),
             length == 23 ? (data[20] - '0') * 100 + two(21) : 0};
    return true;
}

bool ParseTimestampParts(const char* data, size_t length, TimestampParts& parts)
{
    if (ParseWrittenTimestampParts(data, length, parts))
        return true;
    const char* p = data;
    const char* end = data + length;
    while (end > p && end[-1] == ' ')
        --end;
    int year, month, day, hour = 0, minute = 0, second = 0, millisecond = 0;
    const char* yearStart = p;
    if (!Number(p, end, 4, year) || p - yearStart != 4 || !Skip(p, end, '-', '/') || !Number(p, end, 2, month) ||
        !Skip(p, end, '-', '/') || !Number(p, end, 2, day))
        return false;
    if (Skip(p, end, ' ', 'T')) {
        if (!Number(p, end, 2, hour) || !Skip(p, end, ':', ':') || !Number(p, end, 2, minute))
            return false;
        if (Skip(p, end, ':', ':') && !Number(p, end, 2, second))
            return false;
        if (Skip(p, end, '.', '.')) {
            int scale = 100;
            const char* first = p;
            for (; p < end && *p >= '0' && *p <= '9'; ++p, scale /= 10)
                millisecond += scale > 0 ? (*p - '0') * scale : 0;
            if (p == first)
                return false;
        }
    }
    if (p != end)
        return false;
    parts = {year, month, day, hour, minute, second, millisecond};
    return true;
}

}  // namespace

void AssignUtf8(CString& text, const char* data, size_t length)
{
    // One buffer for every value: a walk sets every text member of every row.
    static thread_local std::vector<wchar_t> wide;
    if (wide.size() < length + 1)
        wide.resize(length + 1);
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const wchar_t* end = DecodeUtf8(p, p + length, wide.data());
    if (!end) {
        text = wxString::FromUTF8(data, length);
        return;
    }
    text.assign(wide.data(), size_t(end - wide.data()));
}

long long ParseStoredInteger(const char* data, size_t length)
{
    size_t i = 0;
    while (i < length && (data[i] == ' ' || (data[i] >= '\t' && data[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < length && (data[i] == '-' || data[i] == '+'))
        negative = data[i++] == '-';
    unsigned long long value = 0;
    bool overflow = false;
    for (; i < length && data[i] >= '0' && data[i] <= '9'; ++i) {
        const unsigned digit = unsigned(data[i] - '0');
        if (value > (ULLONG_MAX - digit) / 10)
            overflow = true;
        else
            value = value * 10 + digit;
    }
    constexpr unsigned long long kMagnitudeOfMin = 1ULL + static_cast<unsigned long long>(LLONG_MAX);
    if (negative)
        return overflow || value >= kMagnitudeOfMin ? LLONG_MIN : -static_cast<long long>(value);
    return overflow || value > static_cast<unsigned long long>(LLONG_MAX) ? LLONG_MAX : static_cast<long long>(value);
}

bool ParseStoredTimestamp(const char* data, size_t length, COleDateTime& date)
{
    TimestampParts p;
    if (!ParseTimestampParts(data, length, p))
        return false;
    date.SetDateTimeMs(p.year, p.month, p.day, p.hour, p.minute, p.second, p.millisecond);
    return true;
}

void StoredDate(const StoredField& value, COleDateTime& date)
{
    if (value.isNull || IsBlankStoredText(value.data, value.length)) {
        // Another program's empty date is no date, as the driver's own reading had it.
        date = COleDateTime();
        date.SetStatus(COleDateTime::null);
    } else if (!ParseStoredTimestamp(value.data, value.length, date)) {
        date = COleDateTime();
        date.SetStatus(COleDateTime::invalid);
    }
}

void AppendStoredDateText(const StoredField& value, std::string& out, int yearWidth)
{
    // Below half a second the parts to the second are the stored ones; from
    // half a second on the rounding may carry into the minute, the day or the
    // year, and the date's own breakdown decides.
    TimestampParts p;
    const bool written = !value.isNull && ParseWrittenTimestampParts(value.data, value.length, p);
    if ((written || (!value.isNull && ParseTimestampParts(value.data, value.length, p))) && p.millisecond < 500 &&
        COleDateTime::IsValidParts(p.year, p.month, p.day, p.hour, p.minute, p.second, p.millisecond)) {
        if (written && p.year >= 1000)
            out.append(value.data, 19);  // the very digits that would be written
        else
            AppendDateTimeText(out, p.year, p.month, p.day, p.hour, p.minute, p.second, yearWidth);
        return;
    }
    COleDateTime date;
    StoredDate(value, date);
    int year, month, day, hour, minute, second;
    date.GetSecondParts(year, month, day, hour, minute, second);
    AppendDateTimeText(out, year, month, day, hour, minute, second, yearWidth);
}

bool IsBlankStoredText(const char* data, size_t length)
{
    return std::all_of(data, data + length, [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });
}

void AppendDateTimeText(std::string& out, int year, int month, int day, int hour, int minute, int second,
                        int yearWidth)
{
    char text[96];
    char* p = WriteNumber(text, year, yearWidth);
    *p++ = '-';
    p = WriteNumber(p, month, 2);
    *p++ = '-';
    p = WriteNumber(p, day, 2);
    *p++ = ' ';
    p = WriteNumber(p, hour, 2);
    *p++ = ':';
    p = WriteNumber(p, minute, 2);
    *p++ = ':';
    p = WriteNumber(p, second, 2);
    out.append(text, size_t(p - text));
}

void AppendStoredTimestamp(const COleDateTime& date, std::string& out)
{
    // What GetParts cannot give (no valid date) is 0 each, as the driver had it of an empty timestamp.
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    date.GetParts(y, mo, d, h, mi, s, ms);
    AppendDateTimeText(out, y, mo, d, h, mi, s, 4);
    char fraction[16] = {'.'};
    out.append(fraction, size_t(WriteNumber(fraction + 1, ms, 3) - fraction));
}
