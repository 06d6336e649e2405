#include "Money.h"

#include <cmath>
#include <cstdlib>
#include <locale.h>
#include "CodePage.h"

namespace {

// The "C" locale for numbers: amounts are written with a decimal point
// whatever locale the user interface runs in.
locale_t NumberLocale()
{
    static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    return c;
}

// The text with the full-width forms of the ASCII characters (U+FF01 to
// U+FF5E) and the ideographic space turned into those characters.
CString AsciiForms(const CString& text)
{
    CString ascii;
    ascii.reserve(text.length());
    for (wxUniChar ch : text) {
        const wxUint32 c = ch.GetValue();
        if (c >= 0xFF01 && c <= 0xFF5E)
            ascii += wxUniChar(c - 0xFF01 + 0x21);
        else if (c == 0x3000)
            ascii += ' ';
        else
            ascii += ch;
    }
    return ascii;
}

}  // namespace

double ParseMoney(const CString& text)
{
    // Amounts were typed by clerks and stored as text; like atof, this takes the
    // leading number and gives 0 for anything else, so a stray unit never breaks a bill.
    const std::string bytes = ToCodePage(AsciiForms(text), CP_OEMCP);
    const locale_t numbers = NumberLocale();
    const double value = numbers ? strtod_l(bytes.c_str(), nullptr, numbers) : std::strtod(bytes.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}
