// Private-profile (INI) functions with their Windows semantics. The file is
// UTF-8 text; the first write creates it (readable by its owner only), and the
// section when it is missing. A value enclosed in double or single quotation
// marks reads without them. A rewrite goes to the file a symbolic link points
// to, keeps the file's mode and owner, and never leaves half a file behind.
#pragma once

#include "WinTypes.h"

// The leading decimal number of the value (an optional sign, then digits);
// the default when the key is missing, 0 when the value starts with no digit.
UINT GetPrivateProfileIntW(const wchar_t* section, const wchar_t* key, int defaultValue, const wchar_t* file);

// Copies the value (or the default) into buffer, cut to size - 1 characters
// and always NUL-terminated; returns the number of characters copied.
DWORD GetPrivateProfileStringW(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                               wchar_t* buffer, DWORD size, const wchar_t* file);

// Writes key=value, adding the section at the end of the file when missing.
// A null value removes the key. Returns FALSE when the file cannot be written.
BOOL WritePrivateProfileStringW(const wchar_t* section, const wchar_t* key, const wchar_t* value,
                                const wchar_t* file);
