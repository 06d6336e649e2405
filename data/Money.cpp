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

}  // namespace

double ParseMoney(const CString& text)
{
    // Amounts were typed by clerks and stored as text; like atof, this takes the
    // leading number and gives 0 for anything else, so a stray unit never breaks a bill.
    const std::string bytes = ToCodePage(text, CP_OEMCP);
    const locale_t numbers = NumberLocale();
    const double value = numbers ? strtod_l(bytes.c_str(), nullptr, numbers) : std::strtod(bytes.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}
