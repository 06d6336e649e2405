// Message boxes without GUI headers: platform/ and data/ call AfxMessageBox,
// the program binds it to wxMessageBox, tests bind it to a recorder. The
// program also tells these layers its UI language, so that the sentences they
// write themselves match the rest of the window.
#pragma once

#include <functional>
#include "WinTypes.h"

using MessageBoxHandler = std::function<int(const CString& text, const CString& caption, UINT style)>;

// Installs the function that shows message boxes; returns the previous one.
// With none installed, the text goes to standard error and IDOK is returned.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

int AfxMessageBox(const CString& text, UINT style = MB_OK);
int MessageBoxWithCaption(const CString& text, const CString& caption, UINT style);

// Installs the function that tells the UI language (2 English, any other
// value Chinese); returns the previous one. Without one the language is Chinese.
using UiLanguageSource = std::function<int()>;
UiLanguageSource SetUiLanguageSource(UiLanguageSource source);
int UiLanguage();
// The Chinese or the English text (both UTF-8) as the UI language asks.
CString UiText(const char* chinese, const char* english);
// Our sentence with the system's or driver's own text beneath it.
CString WithSystemText(const CString& sentence, const CString& systemText);
