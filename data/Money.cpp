#include "Money.h"

#include <cmath>
#include <cstdlib>
#include "CodePage.h"

double ParseMoney(const CString& text)
{
    // Amounts were typed by clerks and stored as text; atof takes the leading
    // number and gives 0 for anything else, so a stray unit never breaks a bill.
    const double value = std::atof(ToCodePage(text, CP_OEMCP).c_str());
    return std::isfinite(value) ? value : 0.0;
}
