#include "Utf8Text.h"

std::string ToUtf8(const CString& text)
{
    const wxScopedCharBuffer utf8 = text.ToUTF8();
    return std::string(utf8.data(), utf8.length());
}

CString FromUtf8(const char* data, size_t length)
{
    return wxString::FromUTF8(data, length);
}
