#include "UiLocale.h"

#include <clocale>
#include <cstdlib>
#include <wx/uilocale.h>

const char* UiLocaleName(int language)
{
    return language == 2 ? "en_US.UTF-8" : "zh_CN.UTF-8";
}

bool ApplyUiLocale(int language)
{
    if (!std::setlocale(LC_ALL, UiLocaleName(language)))
        return false;
    // The toolkit keeps a locale of its own, the "C" one until it is told:
    // under it every date picker shows the US order.
    wxUILocale::UseLocaleName(UiLocaleName(language));
    std::setlocale(LC_NUMERIC, "C");
    // Text is laid out as Chinese text in either language: many cells are
    // Chinese in English too (dates, persons, sexes), and the widths made for
    // them hold only in the fonts chosen for Chinese; an English layout takes
    // other, wider digits, and a date no longer fits its column.
    std::setlocale(LC_CTYPE, UiLocaleName(1));
    // A LANGUAGE list of the desktop's would win over the locale in looking up translations.
    setenv("LANGUAGE", language == 2 ? "en_US:en" : "zh_CN:zh", 1);
    return true;
}
