#include "IdNumber.h"

namespace {

bool IsBlank(wxUint32 c)
{
    return c == ' ' || c == '\t' || c == 0x3000;
}

// 17 ASCII digits and the check character X or x: about one resident in eleven
// has an X there.
bool EndsInCheckX(const CString& idNumber)
{
    if (idNumber.length() != 18 || (idNumber.Last() != 'X' && idNumber.Last() != 'x'))
        return false;
    for (size_t i = 0; i < 17; ++i)
        if (idNumber[i] < '0' || idNumber[i] > '9')
            return false;
    return true;
}

}  // namespace

bool CheckIdNumber(const CString& idNumber)
{
    if (EndsInCheckX(idNumber))
        return true;
    bool blank = true;
    for (wxUniChar ch : idNumber) {
        const wxUint32 c = ch.GetValue();
        if (c >= 0x4E00 && c <= 0x9FA5)
            return false;
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            return false;
        blank = blank && IsBlank(c);
    }
    return !blank;
}

CString NormalizeIdNumber(const CString& idNumber)
{
    if (!EndsInCheckX(idNumber))
        return idNumber;
    return idNumber.Left(17) + "X";
}
