// Money text: ParseMoney on any text gives a finite amount, a unit or remark
// written after the number never changes it, and the text typed in full-width
// forms gives the same amount.
#include <cmath>
#include <string>

#include "FuzzSupport.h"
#include "Money.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const CString text(FuzzWide(data, size));
    const double amount = ParseMoney(text);
    FUZZ_CHECK(std::isfinite(amount));
    FUZZ_CHECK(ParseMoney(text + CString(L"元")) == amount);
    std::wstring fullWidth(text.ToStdWstring());
    for (wchar_t& c : fullWidth)
        if (c >= 0x21 && c <= 0x7E)
            c = static_cast<wchar_t>(c - 0x21 + 0xFF01);
    FUZZ_CHECK(ParseMoney(CString(fullWidth)) == amount);
    return 0;
}
