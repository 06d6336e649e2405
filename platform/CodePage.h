// The OEM and ANSI code pages of a Chinese system, both GBK here as Windows'
// code page 936 has it: with private-use characters (U+E000 to U+E864 and
// U+F8F5) in its user-defined areas and its other empty slots. Characters it
// cannot hold become "?".
#pragma once

#include <string>
#include "WinTypes.h"

enum : UINT { CP_ACP = 0, CP_OEMCP = 1, CP_UTF8 = 65001 };

// Windows semantics: a length of -1 means NUL-terminated and counts the NUL;
// an output size of 0 only measures. Returns the number of units written (or needed).
int WideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t* wide, int wideLen, char* out, int outSize,
                        const char* defaultChar, BOOL* usedDefault);
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* bytes, int byteLen, wchar_t* out, int outSize);

// Convenience forms used by the program.
std::string ToCodePage(const CString& text, UINT codePage = CP_OEMCP);
// ToCodePage's bytes, appended to `out`.
void AppendCodePage(std::string& out, const CString& text, UINT codePage = CP_OEMCP);
// AppendCodePage of the text that UTF-8 bytes (stored text) hold, without
// making that text; false, and `out` as it was, when they are no valid UTF-8.
bool AppendUtf8InCodePage(std::string& out, const char* utf8, size_t length, UINT codePage = CP_OEMCP);
CString FromCodePage(const std::string& bytes, UINT codePage = CP_OEMCP);
// As FromCodePage, but false (and `text` unchanged) when the bytes are no
// text of that code page, instead of putting "?" in place of what is not.
bool FromCodePageExact(const std::string& bytes, UINT codePage, CString& text);
