// Message boxes without GUI headers: platform/ and data/ call AfxMessageBox,
// the program binds it to wxMessageBox, tests bind it to a recorder.
#pragma once

#include <functional>
#include "WinTypes.h"

using MessageBoxHandler = std::function<int(const CString& text, const CString& caption, UINT style)>;

// Installs the function that shows message boxes; returns the previous one.
// With none installed, the text goes to standard error and IDOK is returned.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

int AfxMessageBox(const CString& text, UINT style = MB_OK);
int MessageBoxWithCaption(const CString& text, const CString& caption, UINT style);
