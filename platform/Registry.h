// Registry reads. Linux has no registry: every key the program looks for is
// missing, and callers take the path they take for a missing key.
#pragma once

#include "WinTypes.h"

// The text value `value` of `key` under the local machine; FALSE when there is none.
BOOL ReadRegistryText(const wchar_t* key, const wchar_t* value, CString& text);
