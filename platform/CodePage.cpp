#include "CodePage.h"

#include <cerrno>
#include <cstdint>
#include <cwchar>
#include <iconv.h>
#include <map>
#include <utility>
#include <vector>
#include "Utf8Text.h"

namespace {

const char* CharsetOf(UINT codePage)
{
    return codePage == CP_UTF8 ? "UTF-8" : "GBK";
}

// Opening a converter costs far more than converting a short text, and CSV
// files convert every field: each thread keeps the converters it opened.
class Converters
{
public:
    ~Converters()
    {
        for (auto& entry : m_open)
            iconv_close(entry.second);
    }
    // (iconv_t)-1 when iconv knows no such conversion.
    iconv_t Get(const char* from, const char* to)
    {
        const auto key = std::make_pair(from, to);
        auto it = m_open.find(key);
        if (it == m_open.end())
            it = m_open.emplace(key, iconv_open(to, from)).first;
        return it->second;
    }

private:
    // The charset names are string literals of this file, so their addresses are keys.
    std::map<std::pair<const char*, const char*>, iconv_t> m_open;
};

iconv_t ConverterFor(const char* from, const char* to)
{
    thread_local Converters converters;
    return converters.Get(from, to);
}

// Converts the whole input, putting `replacement` (already in the target
// encoding) in place of every unit that cannot be converted, so that odd
// input never stops the conversion half way.
std::string Convert(const char* from, const char* to, const char* input, size_t inputBytes, size_t unitSize,
                    const std::string& replacement, bool* replaced)
{
    std::string result;
    iconv_t cd = ConverterFor(from, to);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return result;
    // A converter left in a shift state by an earlier text starts afresh.
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input);
    size_t inLeft = inputBytes;
    // Converted straight into the result, sized for the longest outcome:
    // a byte becomes at most one wide character, a wide character at most
    // four bytes.
    size_t used = 0;
    result.resize((unitSize == 1 ? inputBytes * sizeof(wchar_t) : inputBytes / unitSize * 4) + 16);
    while (inLeft > 0) {
        if (result.size() - used < 16)
            result.resize(result.size() * 2);
        char* out = &result[used];
        size_t outLeft = result.size() - used;
        size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        used = result.size() - outLeft;
        if (rc != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG) {
            result.resize(result.size() * 2);
            continue;
        }
        // EILSEQ or an incomplete sequence at the end: replace one unit and go on.
        result.replace(used, replacement.size(), replacement);
        used += replacement.size();
        if (replaced)
            *replaced = true;
        size_t skip = unitSize < inLeft ? unitSize : inLeft;
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    // Flush any shift state.
    if (result.size() - used < 16)
        result.resize(result.size() + 16);
    char* out = &result[used];
    size_t outLeft = result.size() - used;
    iconv(cd, nullptr, nullptr, &out, &outLeft);
    result.resize(result.size() - outLeft);
    return result;
}

// Both code pages hold the ASCII characters as their own single bytes.
bool IsAscii(const char* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            return false;
    return true;
}

bool IsAscii(const wchar_t* wide, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (static_cast<unsigned long>(wide[i]) >= 0x80)
            return false;
    return true;
}

// A private-use character of code page 936 and its byte, or lead and trail byte.
struct PrivateUseSlot {
    unsigned code;
    std::uint16_t bytes;
};

// Decoding GBK: iconv decodes each byte and each pair of bytes once, into
// tables, since a CSV import decodes every field of every row. A byte is a
// character of its own, the lead byte of a pair, or no text; a pair is one
// character or none. Whatever cannot be decoded becomes the replacement and
// the decoding goes on at the next byte, as Convert does.
//
// Where iconv's GBK has no character, Windows' code page 936 has private-use
// ones: each empty double-byte slot has one, counting up from U+E000 over the
// user-defined areas AAA1-AFFE and F8A1-FEFE row by row (trail bytes A1 to
// FE), then A140-A7A0 (trail bytes 40 to A0 but 7F), then every other empty
// slot in byte order, up to U+E864; the byte FF alone is U+F8F5. The tables
// hold them too, so that a file saved on Windows with such characters reads,
// and writes back, byte for byte.
class GbkDecoder
{
public:
    static const GbkDecoder& Get()
    {
        static const GbkDecoder decoder;
        return decoder;
    }

    void Append(const unsigned char* bytes, size_t count, std::wstring& out, bool* replaced) const
    {
        out.reserve(out.size() + count);
        for (size_t i = 0; i < count; ++i) {
            const unsigned char b = bytes[i];
            const wchar_t single = m_single[b];
            if (single != kLead && single != kNone) {
                out += single;
                continue;
            }
            const wchar_t pair = single == kLead && i + 1 < count ? Pair(b, bytes[i + 1]) : kNone;
            if (pair != kNone) {
                out += pair;
                ++i;
                continue;
            }
            out += L'?';
            if (replaced)
                *replaced = true;
        }
    }

    // The private-use characters, for the encoder.
    const std::vector<PrivateUseSlot>& PrivateUse() const { return m_private; }

private:
    static constexpr wchar_t kNone = static_cast<wchar_t>(0xFFFFFFFF);
    static constexpr wchar_t kLead = static_cast<wchar_t>(0xFFFFFFFE);

    GbkDecoder() : m_single(256, kNone), m_leadIndex(256, 0)
    {
        for (unsigned b = 0; b < 0x80; ++b)
            m_single[b] = static_cast<wchar_t>(b);
        iconv_t cd = iconv_open("WCHAR_T", "GBK");
        if (cd == reinterpret_cast<iconv_t>(-1))
            return;
        for (unsigned b = 0x80; b < 0x100; ++b) {
            const unsigned char one[] = {static_cast<unsigned char>(b)};
            m_single[b] = Decode(cd, one, 1);
            if (m_single[b] == kLead) {
                m_leadIndex[b] = static_cast<unsigned char>(m_pairs.size() / 256);
                for (unsigned trail = 0; trail < 256; ++trail) {
                    const unsigned char two[] = {static_cast<unsigned char>(b), static_cast<unsigned char>(trail)};
                    const wchar_t c = Decode(cd, two, 2);
                    m_pairs.push_back(c == kLead ? kNone : c);
                }
            }
        }
        iconv_close(cd);
        AddPrivateUse();
    }

    wchar_t& Pair(unsigned lead, unsigned trail) { return m_pairs[size_t(m_leadIndex[lead]) * 256 + trail]; }
    wchar_t Pair(unsigned lead, unsigned trail) const { return m_pairs[size_t(m_leadIndex[lead]) * 256 + trail]; }

    // Each slot of the given leads and trail bytes (but 7F) that `wanted`
    // accepts gets the next private-use character.
    template <class Wanted>
    void GivePrivateUse(unsigned firstLead, unsigned lastLead, unsigned firstTrail, unsigned lastTrail, Wanted wanted)
    {
        for (unsigned lead = firstLead; lead <= lastLead; ++lead)
            for (unsigned trail = firstTrail; trail <= lastTrail; ++trail)
                if (trail != 0x7F && m_single[lead] == kLead && wanted(Pair(lead, trail))) {
                    const unsigned code = 0xE000 + unsigned(m_private.size());
                    Pair(lead, trail) = static_cast<wchar_t>(code);
                    m_private.push_back({code, static_cast<std::uint16_t>(lead << 8 | trail)});
                }
    }

    void AddPrivateUse()
    {
        const auto always = [](wchar_t) { return true; };
        GivePrivateUse(0xAA, 0xAF, 0xA1, 0xFE, always);
        GivePrivateUse(0xF8, 0xFE, 0xA1, 0xFE, always);
        GivePrivateUse(0xA1, 0xA7, 0x40, 0xA0, always);
        GivePrivateUse(0x81, 0xFE, 0x40, 0xFE, [](wchar_t c) { return c == kNone; });
        if (m_single[0xFF] == kNone) {
            m_single[0xFF] = static_cast<wchar_t>(0xF8F5);
            m_private.push_back({0xF8F5, 0xFF});
        }
    }

    // The one character the bytes are, kLead when they are the start of one,
    // kNone when they are no text.
    static wchar_t Decode(iconv_t cd, const unsigned char* bytes, size_t count)
    {
        char* in = reinterpret_cast<char*>(const_cast<unsigned char*>(bytes));
        size_t inLeft = count;
        wchar_t wide[4];
        char* out = reinterpret_cast<char*>(wide);
        size_t outLeft = sizeof wide;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        if (rc == static_cast<size_t>(-1))
            return errno == EINVAL && count == 1 ? kLead : kNone;
        return inLeft == 0 && sizeof wide - outLeft == sizeof(wchar_t) ? wide[0] : kNone;
    }

    std::vector<wchar_t> m_single;           // by byte: its character, kLead or kNone
    std::vector<unsigned char> m_leadIndex;  // by lead byte: its row of m_pairs
    std::vector<wchar_t> m_pairs;            // by lead row and trail byte: the character or kNone
    std::vector<PrivateUseSlot> m_private;   // by code point from U+E000, then U+F8F5
};

// GBK holds only characters of the basic plane, each as one or two bytes,
// and knows no state: a table of its bytes for every such character, made
// once by iconv itself and given the decoder's private-use characters,
// encodes without iconv's cost per call (an export converts every field of
// every row).
class GbkEncoder
{
public:
    static const GbkEncoder& Get()
    {
        static const GbkEncoder encoder;
        return encoder;
    }

    // False when GBK does not hold the character.
    bool Append(wchar_t c, std::string& out) const
    {
        char bytes[2];
        const char* end = Write(static_cast<unsigned long>(c), bytes);
        out.append(bytes, size_t(end - bytes));
        return end != bytes;
    }

    // Writes the one or two bytes of the character at `out` and gives their
    // end; `out` itself when GBK does not hold it.
    char* Write(unsigned long code, char* out) const
    {
        const std::uint16_t bytes = code < m_bytes.size() ? m_bytes[code] : 0;
        if (bytes > 0xFF)
            *out++ = static_cast<char>(bytes >> 8);
        if (bytes != 0)
            *out++ = static_cast<char>(bytes & 0xFF);
        return out;
    }

private:
    GbkEncoder() : m_bytes(0x10000, 0)
    {
        iconv_t cd = iconv_open("GBK", "WCHAR_T");
        if (cd == reinterpret_cast<iconv_t>(-1))
            return;
        for (unsigned long code = 0; code < m_bytes.size(); ++code) {
            wchar_t c = static_cast<wchar_t>(code);
            char* in = reinterpret_cast<char*>(&c);
            size_t inLeft = sizeof c;
            unsigned char gbk[8];
            char* out = reinterpret_cast<char*>(gbk);
            size_t outLeft = sizeof gbk;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1))
                continue;
            const size_t length = sizeof gbk - outLeft;
            if (length == 1 && code != 0)
                m_bytes[code] = gbk[0];
            else if (length == 2)
                m_bytes[code] = static_cast<std::uint16_t>(gbk[0] << 8 | gbk[1]);
        }
        iconv_close(cd);
        for (const PrivateUseSlot& slot : GbkDecoder::Get().PrivateUse())
            m_bytes[slot.code] = slot.bytes;
    }

    // By code point: the byte, or lead and trail byte; 0 where GBK has none
    // (no character but NUL is the single byte 0, and NUL is ASCII).
    std::vector<std::uint16_t> m_bytes;
};

// Appends the bytes of the characters in the code page.
void AppendBytes(UINT codePage, const wchar_t* wide, size_t count, const char* defaultChar, bool* used,
                 std::string& bytes)
{
    if (IsAscii(wide, count)) {
        const size_t start = bytes.size();
        bytes.resize(start + count);
        for (size_t i = 0; i < count; ++i)
            bytes[start + i] = static_cast<char>(wide[i]);
        return;
    }
    const char* replacement = (defaultChar && *defaultChar && codePage != CP_UTF8) ? defaultChar : "?";
    if (codePage == CP_UTF8) {
        bytes += Convert("WCHAR_T", "UTF-8", reinterpret_cast<const char*>(wide), count * sizeof(wchar_t),
                         sizeof(wchar_t), std::string(replacement, 1), used);
        return;
    }
    const GbkEncoder& gbk = GbkEncoder::Get();
    bytes.reserve(bytes.size() + count * 2);
    for (size_t i = 0; i < count; ++i) {
        if (static_cast<unsigned long>(wide[i]) < 0x80) {
            bytes += static_cast<char>(wide[i]);
        } else if (!gbk.Append(wide[i], bytes)) {
            bytes += *replacement;
            if (used)
                *used = true;
        }
    }
}

// Writes the GBK bytes of valid UTF-8 at `out`, as AppendBytes encodes the
// decoded characters, and gives their end; null at the first byte that is no
// UTF-8. No character takes more bytes in GBK than in UTF-8.
char* Utf8ToGbk(const unsigned char* p, const unsigned char* end, char* out)
{
    const GbkEncoder& gbk = GbkEncoder::Get();
    while (p < end) {
        if (*p < 0x80) {
            *out++ = static_cast<char>(*p++);
            continue;
        }
        unsigned code;
        if (!NextUtf8Char(p, end, code))
            return nullptr;
        char* const next = gbk.Write(code, out);
        if (next == out)
            *out++ = '?';
        else
            out = next;
    }
    return out;
}

// The characters of valid UTF-8 in the code page; false at the first byte
// that is no UTF-8, with part of them appended.
bool AppendUtf8Bytes(UINT codePage, const unsigned char* p, const unsigned char* end, std::string& bytes)
{
    const unsigned char* ascii = p;
    while (ascii < end && *ascii < 0x80)
        ++ascii;
    if (codePage == CP_UTF8) {
        for (unsigned code; ascii < end;)
            if (!NextUtf8Char(ascii, end, code))
                return false;
    }
    // Text of ASCII alone (room and ID numbers, sums) is its own bytes in either.
    if (ascii == end) {
        bytes.append(reinterpret_cast<const char*>(p), size_t(end - p));
        return true;
    }
    const size_t length = size_t(end - p);
    // A value of the common length is encoded on the stack, and appended at once.
    char local[256];
    if (length <= sizeof local) {
        const char* const written = Utf8ToGbk(p, end, local);
        if (written)
            bytes.append(local, size_t(written - local));
        return written != nullptr;
    }
    const size_t start = bytes.size();
    bytes.resize(start + length);
    const char* const written = Utf8ToGbk(p, end, &bytes[start]);
    if (written)
        bytes.resize(size_t(written - bytes.data()));
    return written != nullptr;
}

std::string WideToBytes(UINT codePage, const wchar_t* wide, size_t count, const char* defaultChar, bool* used)
{
    std::string bytes;
    AppendBytes(codePage, wide, count, defaultChar, used, bytes);
    return bytes;
}

std::wstring BytesToWide(UINT codePage, const char* bytes, size_t count, bool* replaced = nullptr)
{
    if (IsAscii(bytes, count))
        return std::wstring(bytes, bytes + count);
    if (codePage != CP_UTF8) {
        std::wstring wide;
        GbkDecoder::Get().Append(reinterpret_cast<const unsigned char*>(bytes), count, wide, replaced);
        return wide;
    }
    const wchar_t rep = L'\xFFFD';
    std::string replacement(reinterpret_cast<const char*>(&rep), sizeof(wchar_t));
    std::string raw = Convert(CharsetOf(codePage), "WCHAR_T", bytes, count, 1, replacement, replaced);
    return std::wstring(reinterpret_cast<const wchar_t*>(raw.data()), raw.size() / sizeof(wchar_t));
}

}  // namespace

int WideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t* wide, int wideLen, char* out, int outSize,
                        const char* defaultChar, BOOL* usedDefault)
{
    if (usedDefault)
        *usedDefault = FALSE;
    if (!wide || wideLen < -1 || outSize < 0)
        return 0;
    size_t count = wideLen == -1 ? std::wcslen(wide) + 1 : static_cast<size_t>(wideLen);
    bool used = false;
    std::string bytes = WideToBytes(codePage, wide, count, defaultChar, &used);
    if (usedDefault)
        *usedDefault = used ? TRUE : FALSE;
    if (outSize == 0)
        return static_cast<int>(bytes.size());
    if (!out || bytes.size() > static_cast<size_t>(outSize))
        return 0;  // too small a buffer: nothing written rather than a cut character
    bytes.copy(out, bytes.size());
    return static_cast<int>(bytes.size());
}

int MultiByteToWideChar(UINT codePage, DWORD flags, const char* bytes, int byteLen, wchar_t* out, int outSize)
{
    if (!bytes || byteLen < -1 || outSize < 0)
        return 0;
    size_t count = byteLen == -1 ? std::char_traits<char>::length(bytes) + 1 : static_cast<size_t>(byteLen);
    std::wstring wide = BytesToWide(codePage, bytes, count);
    if (outSize == 0)
        return static_cast<int>(wide.size());
    if (!out || wide.size() > static_cast<size_t>(outSize))
        return 0;
    wide.copy(out, wide.size());
    return static_cast<int>(wide.size());
}

std::string ToCodePage(const CString& text, UINT codePage)
{
    return WideToBytes(codePage, text.wc_str(), text.length(), nullptr, nullptr);
}

void AppendCodePage(std::string& out, const CString& text, UINT codePage)
{
    AppendBytes(codePage, text.wc_str(), text.length(), nullptr, nullptr, out);
}

bool AppendUtf8InCodePage(std::string& out, const char* utf8, size_t length, UINT codePage)
{
    const size_t start = out.size();
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    if (AppendUtf8Bytes(codePage, p, p + length, out))
        return true;
    out.resize(start);
    return false;
}

CString FromCodePage(const std::string& bytes, UINT codePage)
{
    return CString(BytesToWide(codePage, bytes.data(), bytes.size()));
}

bool FromCodePageExact(const std::string& bytes, UINT codePage, CString& text)
{
    bool replaced = false;
    std::wstring wide = BytesToWide(codePage, bytes.data(), bytes.size(), &replaced);
    if (replaced)
        return false;
    text = CString(wide);
    return true;
}
