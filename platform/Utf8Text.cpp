#include "Utf8Text.h"

namespace {

// Appends the UTF-8 bytes of the characters; false at the first one that is
// no Unicode scalar value (a lone surrogate, a code beyond Unicode).
bool EncodeUtf8(const wchar_t* wide, size_t count, std::string& out)
{
    for (size_t i = 0; i < count; ++i) {
        const unsigned long c = static_cast<unsigned long>(wide[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            if (c >= 0xD800 && c <= 0xDFFF)
                return false;
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c <= 0x10FFFF) {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

// Every value bound to a statement passes here: encoded in place, where
// wxString's conversion costs a converter call and a buffer of its own.
// What is no Unicode text is left to wxString, whatever it makes of it.
std::string ToUtf8(const CString& text)
{
    std::string utf8;
    utf8.reserve(text.length());
    if (EncodeUtf8(text.wc_str(), text.length(), utf8))
        return utf8;
    const wxScopedCharBuffer converted = text.ToUTF8();
    return std::string(converted.data(), converted.length());
}

CString FromUtf8(const char* data, size_t length)
{
    return wxString::FromUTF8(data, length);
}
