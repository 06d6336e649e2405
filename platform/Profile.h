// Private-profile (INI) functions with their Windows semantics. A file is read
// as UTF-8 when it starts with a byte-order mark or is valid UTF-8, else in the
// GBK code page, as the Windows program writes it; a rewrite keeps its encoding
// (and its mark). The first write creates the file as UTF-8 (readable by its
// owner only), and the section when it is missing. A value enclosed in double
// or single quotation marks reads without them. A rewrite goes to the file a
// symbolic link points to, keeps the file's mode and owner, never leaves half a
// file behind, and leaves a file marked read-only as it is. The temporary file
// a rewrite writes first is gone once it ends, and one that a killed writer
// left is removed by the next reader or writer.
#pragma once

#include <utility>
#include <vector>
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

// Writes each key=value of the section (added when missing) in one
// replacement of the file: whoever reads it, also after a kill or a power cut,
// finds all of them or none. Returns FALSE when the file cannot be written.
BOOL WritePrivateProfileValues(const wchar_t* section, const std::vector<std::pair<CString, CString>>& values,
                               const wchar_t* file);
