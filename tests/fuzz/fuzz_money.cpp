// Money text: ParseMoney on any text gives a finite amount, and a unit or
// remark written after the number never changes it.
#include <cmath>

#include "FuzzSupport.h"
#include "Money.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const CString text(FuzzWide(data, size));
    const double amount = ParseMoney(text);
    FUZZ_CHECK(std::isfinite(amount));
    FUZZ_CHECK(ParseMoney(text + CString(L"元")) == amount);
    return 0;
}
