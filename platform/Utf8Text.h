// Text between the program (wide strings) and the driver (UTF-8).
#pragma once

#include <string>
#include "WinTypes.h"

std::string ToUtf8(const CString& text);
CString FromUtf8(const char* data, size_t length);
