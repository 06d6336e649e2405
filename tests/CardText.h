// The text a resident identity card leaves in wz.txt, for the tests that lay
// a card on the stand-in reader or parse one.
#pragma once

#include <algorithm>
#include <string>
#include <vector>
#include <wx/string.h>

// The fields of a resident identity card as the reader library leaves them in
// wz.txt: 128 UTF-16LE units of fixed fields padded with blanks.
struct IdCard
{
    wxString name, sex = "1", nation = "01", birth = "19800101", address, idNumber, authority,
                   validity = "2015010120350101";
};

// The 256 bytes of wz.txt for a card. A character beyond the basic plane
// takes two units, a surrogate pair.
inline std::string IdCardText(const IdCard& card)
{
    std::string bytes;
    auto put = [&bytes](const wxString& text, size_t units) {
        std::vector<wxUint32> utf16;
        for (wxUniChar ch : text) {
            const wxUint32 c = ch.GetValue();
            if (c < 0x10000) {
                utf16.push_back(c);
            } else {
                utf16.push_back(0xD800 + ((c - 0x10000) >> 10));
                utf16.push_back(0xDC00 + ((c - 0x10000) & 0x3FF));
            }
        }
        utf16.resize(std::max(units, utf16.size()), ' ');
        for (size_t i = 0; i < units; ++i) {
            bytes += char(utf16[i] & 0xFF);
            bytes += char((utf16[i] >> 8) & 0xFF);
        }
    };
    put(card.name, 15);
    put(card.sex, 1);
    put(card.nation, 2);
    put(card.birth, 8);
    put(card.address, 35);
    put(card.idNumber, 18);
    put(card.authority, 15);
    put(card.validity, 16);
    put(wxString(), 18);
    return bytes;
}
