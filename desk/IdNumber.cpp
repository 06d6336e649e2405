#include "IdNumber.h"

bool CheckIdNumber(const CString& idNumber)
{
    if (idNumber.empty())
        return false;
    for (wxUniChar ch : idNumber) {
        const wxUint32 c = ch.GetValue();
        if (c >= 0x4E00 && c <= 0x9FA5)
            return false;
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            return false;
    }
    return true;
}
