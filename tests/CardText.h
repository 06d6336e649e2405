// The text a resident identity card leaves in wz.txt, for the tests that lay
// a card on the stand-in reader or parse one.
#pragma once

#include <string>
#include <wx/string.h>

// The fields of a resident identity card as the reader library leaves them in
// wz.txt: 128 UTF-16LE units of fixed fields padded with blanks.
struct IdCard
{
    wxString name, sex = "1", nation = "01", birth = "19800101", address, idNumber, authority,
                   validity = "2015010120350101";
};

// The 256 bytes of wz.txt for a card.
inline std::string IdCardText(const IdCard& card)
{
    std::string bytes;
    auto put = [&bytes](const wxString& text, size_t units) {
        for (size_t i = 0; i < units; ++i) {
            const wxUint32 c = i < text.length() ? wxUint32(wxUniChar(text[i]).GetValue()) : ' ';
            bytes += char(c & 0xFF);
            bytes += char((c >> 8) & 0xFF);
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
