// GBK conversion, both ways. The fuzzer's bytes are taken once as GBK bytes
// and once as text: measuring and converting agree, a buffer one unit too
// small gets nothing, a round trip keeps every character GBK can hold (the
// others become "?"), and bytes that are all text write back byte for byte.
#include <string>
#include <vector>

#include "CodePage.h"
#include "FuzzSupport.h"

namespace {

void BytesToText(const char* bytes, int length)
{
    const int needed = MultiByteToWideChar(CP_OEMCP, 0, bytes, length, nullptr, 0);
    FUZZ_CHECK(needed >= 0);
    std::vector<wchar_t> wide(static_cast<size_t>(needed) + 1, L'\x1');
    FUZZ_CHECK(MultiByteToWideChar(CP_OEMCP, 0, bytes, length, wide.data(), needed) == needed);
    FUZZ_CHECK(wide[static_cast<size_t>(needed)] == L'\x1');
    if (needed > 1)  // a size of 0 only measures
        FUZZ_CHECK(MultiByteToWideChar(CP_OEMCP, 0, bytes, length, wide.data(), needed - 1) == 0);

    // What came out of GBK goes back into it without a default character, and
    // reads the same once more.
    BOOL usedDefault = TRUE;
    const int back = WideCharToMultiByte(CP_OEMCP, 0, wide.data(), needed, nullptr, 0, nullptr, &usedDefault);
    FUZZ_CHECK(!usedDefault);
    std::vector<char> again(static_cast<size_t>(back));
    FUZZ_CHECK(WideCharToMultiByte(CP_OEMCP, 0, wide.data(), needed, again.data(), back, nullptr, nullptr) == back);
    const CString first(wide.data(), static_cast<size_t>(needed));
    FUZZ_CHECK(FromCodePage(std::string(again.data(), again.size())) == first);
}

void TextToBytes(const std::wstring& text)
{
    const std::string bytes = ToCodePage(CString(text));
    const int needed = WideCharToMultiByte(CP_OEMCP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    FUZZ_CHECK(needed == static_cast<int>(bytes.size()));
    if (needed > 1) {
        std::vector<char> small(static_cast<size_t>(needed) - 1);
        FUZZ_CHECK(WideCharToMultiByte(CP_OEMCP, 0, text.data(), static_cast<int>(text.size()), small.data(),
                                       needed - 1, nullptr, nullptr) == 0);
    }
    const std::wstring back = FromCodePage(bytes).ToStdWstring();
    FUZZ_CHECK(back.size() == text.size());
    for (size_t i = 0; i < text.size(); ++i)
        FUZZ_CHECK(back[i] == text[i] || back[i] == L'?');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    BytesToText(bytes.data(), static_cast<int>(bytes.size()));
    CString exact;
    if (FromCodePageExact(bytes, CP_OEMCP, exact))
        FUZZ_CHECK(ToCodePage(exact) == bytes);
    BytesToText(bytes.c_str(), -1);  // up to the first NUL, which counts
    TextToBytes(FuzzWide(data, size));
    return 0;
}
