#include "StoredValue.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// Decodes UTF-8 into `out`; false at the first byte sequence that is not valid.
bool DecodeUtf8(const unsigned char* p, const unsigned char* end, std::wstring& out)
{
    while (p < end) {
        const unsigned lead = *p++;
        if (lead < 0x80) {
            out += wchar_t(lead);
            continue;
        }
        int more;
        unsigned code;
        if ((lead & 0xE0) == 0xC0)
            more = 1, code = lead & 0x1F;
        else if ((lead & 0xF0) == 0xE0)
            more = 2, code = lead & 0x0F;
        else if ((lead & 0xF8) == 0xF0)
            more = 3, code = lead & 0x07;
        else
            return false;
        if (end - p < more)
            return false;
        for (int i = 0; i < more; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i] & 0x3F);
        }
        p += more;
        static const unsigned kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[more] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;  // overlong, beyond Unicode, or a surrogate
        out += wchar_t(code);
    }
    return true;
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

bool Skip(const char*& p, const char* end, const char* any)
{
    if (p < end && std::strchr(any, *p)) {
        ++p;
        return true;
    }
    return false;
}

}  // namespace

void AssignUtf8(CString& text, const char* data, size_t length)
{
    // One buffer for every value: most values are short and plain ASCII.
    static thread_local std::wstring wide;
    wide.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    if (!DecodeUtf8(p, p + length, wide)) {
        text = wxString::FromUTF8(data, length);
        return;
    }
    text.assign(wide.data(), wide.size());
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
    const char* p = data;
    const char* end = data + length;
    while (end > p && end[-1] == ' ')
        --end;
    int year, month, day, hour = 0, minute = 0, second = 0, millisecond = 0;
    const char* yearStart = p;
    if (!Number(p, end, 4, year) || p - yearStart != 4 || !Skip(p, end, "-/") || !Number(p, end, 2, month) ||
        !Skip(p, end, "-/") || !Number(p, end, 2, day))
        return false;
    if (Skip(p, end, " T")) {
        if (!Number(p, end, 2, hour) || !Skip(p, end, ":") || !Number(p, end, 2, minute))
            return false;
        if (Skip(p, end, ":") && !Number(p, end, 2, second))
            return false;
        if (Skip(p, end, ".")) {
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
    date.SetDateTimeMs(year, month, day, hour, minute, second, millisecond);
    return true;
}

bool IsBlankStoredText(const char* data, size_t length)
{
    return std::all_of(data, data + length, [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });
}

void AppendNumber(std::string& out, int value, int width)
{
    char digits[16];
    int n = 0;
    const bool negative = value < 0;
    unsigned magnitude = negative ? 0u - unsigned(value) : unsigned(value);
    do {
        digits[n++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    if (negative)
        out += '-';
    for (int pad = n; pad < width - (negative ? 1 : 0); ++pad)
        out += '0';
    while (n > 0)
        out += digits[--n];
}

void AppendDateTimeText(std::string& out, int year, int month, int day, int hour, int minute, int second,
                        int yearWidth)
{
    AppendNumber(out, year, yearWidth);
    out += '-';
    AppendNumber(out, month, 2);
    out += '-';
    AppendNumber(out, day, 2);
    out += ' ';
    AppendNumber(out, hour, 2);
    out += ':';
    AppendNumber(out, minute, 2);
    out += ':';
    AppendNumber(out, second, 2);
}

void AppendStoredTimestamp(const COleDateTime& date, std::string& out)
{
    // What GetParts cannot give (no valid date) is 0 each, as the driver had it of an empty timestamp.
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    date.GetParts(y, mo, d, h, mi, s, ms);
    AppendDateTimeText(out, y, mo, d, h, mi, s, 4);
    out += '.';
    AppendNumber(out, ms, 3);
}
