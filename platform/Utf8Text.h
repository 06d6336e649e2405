// Text between the program (wide strings) and the driver (UTF-8).
#pragma once

#include <string>
#include "WinTypes.h"

std::string ToUtf8(const CString& text);
CString FromUtf8(const char* data, size_t length);

// Decodes the character at `p` (before `end`) and steps past it; false, with
// `p` as it was, when the bytes there are no UTF-8 of a Unicode scalar value
// (cut short, overlong, beyond Unicode, a surrogate). Inline: the readers of
// stored text call it for every character of every value.
inline bool NextUtf8Char(const unsigned char*& p, const unsigned char* end, unsigned& code)
{
    const unsigned lead = *p;
    if (lead < 0x80) {
        code = lead;
        ++p;
        return true;
    }
    int more;
    if ((lead & 0xE0) == 0xC0)
        more = 1, code = lead & 0x1F;
    else if ((lead & 0xF0) == 0xE0)
        more = 2, code = lead & 0x0F;
    else if ((lead & 0xF8) == 0xF0)
        more = 3, code = lead & 0x07;
    else
        return false;
    if (end - p <= more)
        return false;
    for (int i = 1; i <= more; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return false;
        code = (code << 6) | (p[i] & 0x3F);
    }
    static const unsigned kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[more] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return false;
    p += more + 1;
    return true;
}
