// The locale of the process follows the UI language, so that the toolkit's
// own texts (the buttons of message boxes, the file dialog, the calendar) and
// the dates of its date pickers speak the clerk's language and its order.
// Numbers keep the "C" form: amounts and dates are read and written by the
// program's own code, with a decimal point.
#pragma once

// "zh_CN.UTF-8" for 1 and every other value but 2, "en_US.UTF-8" for 2.
const char* UiLocaleName(int language);

// Sets the locale of the language for the toolkit (its UI locale, whose short
// date the pickers show) and for everything of the C library but numbers and
// the characters (Chinese in either language, so that text is laid out
// alike), and the language the toolkit's translations are looked up in.
// False, and the locale left as it was, when that locale is not installed.
bool ApplyUiLocale(int language);
