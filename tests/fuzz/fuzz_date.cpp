// Date text: ParseDateTime on any text. It must end in one pass without
// crashing, give a valid date or the invalid status, and, for texts short
// enough, agree with the parser as first written with regular expressions.
#include <cwctype>
#include <regex>
#include <string>

#include "COleDateTime.h"
#include "FuzzSupport.h"

namespace {

// The forms the program has always accepted, as first written. std::regex
// recurses once per character, so only short texts are given to it.
constexpr size_t kReferenceLength = 200;

bool ReferenceParse(const std::wstring& s, COleDateTime& result)
{
    static const std::wregex ymd(LR"(^(\d{4})\s*([-/.年])\s*(\d{1,2})\s*[-/.月]\s*(\d{1,2})\s*日?)");
    static const std::wregex dmy(LR"(^(\d{1,2})\s*([-/.])\s*(\d{1,2})\s*[-/.]\s*(\d{4}))");
    static const std::wregex hms(
        LR"(^(\d{1,2})\s*[:时]\s*(\d{1,2})\s*(?:分)?\s*(?:[:]?\s*(\d{1,2})(?:\.(\d{1,3})\d*)?\s*秒?)?\s*([AaPp][Mm])?)");
    size_t pos = 0;
    auto skipBlanks = [&](bool allowT) {
        while (pos < s.size() && (std::iswspace(s[pos]) || (allowT && (s[pos] == L'T' || s[pos] == L','))))
            ++pos;
    };
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0, ms = 0;
    bool haveDate = false, haveTime = false;
    std::wsmatch m;
    skipBlanks(false);
    std::wstring rest = s.substr(pos);
    if (std::regex_search(rest, m, ymd)) {
        year = std::stoi(m[1].str()), month = std::stoi(m[3].str()), day = std::stoi(m[4].str());
        haveDate = true;
    } else if (std::regex_search(rest, m, dmy)) {
        int a = std::stoi(m[1].str()), b = std::stoi(m[3].str());
        year = std::stoi(m[4].str());
        if (m[2].str() == L"/")
            month = a, day = b;
        else
            day = a, month = b;
        haveDate = true;
    }
    if (haveDate) {
        pos += static_cast<size_t>(m.length(0));
        skipBlanks(true);
        rest = s.substr(pos);
    }
    if (std::regex_search(rest, m, hms) && m.length(0) > 0) {
        hour = std::stoi(m[1].str()), minute = std::stoi(m[2].str());
        if (m[3].matched)
            second = std::stoi(m[3].str());
        if (m[4].matched) {
            std::wstring f = m[4].str();
            while (f.size() < 3)
                f += L'0';
            ms = std::stoi(f);
        }
        if (m[5].matched) {
            if (hour < 1 || hour > 12)
                hour = -1;
            else if (m[5].str()[0] == L'P' || m[5].str()[0] == L'p')
                hour = hour % 12 + 12;
            else
                hour %= 12;
        }
        haveTime = true;
        pos += static_cast<size_t>(m.length(0));
    }
    skipBlanks(false);
    if ((!haveDate && !haveTime) || pos != s.size()) {
        result.m_dt = 0.0;
        result.m_status = COleDateTime::invalid;
        return false;
    }
    return result.SetDateTimeMs(year, month, day, hour, minute, second, ms) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::wstring text = FuzzWide(data, size);
    COleDateTime parsed;
    const bool ok = parsed.ParseDateTime(CString(text));
    FUZZ_CHECK(ok == (parsed.GetStatus() == COleDateTime::valid));
    if (ok)
        FUZZ_CHECK(parsed.GetYear() >= 100 && parsed.GetYear() <= 9999);
    else
        FUZZ_CHECK(parsed.m_dt == 0.0);
    if (text.size() <= kReferenceLength) {
        COleDateTime reference;
        FUZZ_CHECK(ReferenceParse(text, reference) == ok);
        FUZZ_CHECK(reference == parsed);
    }
    return 0;
}
