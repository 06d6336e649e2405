#include "Registry.h"

BOOL ReadRegistryText(const wchar_t*, const wchar_t*, CString&)
{
    return FALSE;
}
