// Settings file: the profile functions on a file of any bytes. Every read
// fits its buffer and ends in a NUL; the lists end in two; and a value
// written can be read back at once, whatever else the file holds.
#include <cwchar>
#include <fstream>
#include <string>
#include <unistd.h>

#include "FuzzSupport.h"
#include "Profile.h"

namespace {

const std::wstring& FilePath()
{
    static const std::wstring path = [] {
        const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return CString(std::string(folder) + "/fuzz_settings." + std::to_string(getpid()) + ".ini").ToStdWstring();
    }();
    return path;
}

void CheckRead(const wchar_t* section, const wchar_t* key, DWORD size)
{
    wchar_t buffer[64];
    std::wmemset(buffer, L'\x1', 64);
    const DWORD n = GetPrivateProfileStringW(section, key, L"default", buffer, size, FilePath().c_str());
    FUZZ_CHECK(size == 0 || n < size);
    if (size == 0)
        return;
    FUZZ_CHECK(buffer[n] == L'\0');
    if (!section || !key)  // a list: names ended by NULs, the last by two
        FUZZ_CHECK(n + 1 >= size || buffer[n + 1] == L'\0');
    FUZZ_CHECK(size == 64 || buffer[size] == L'\x1');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::wstring& path = FilePath();
    std::ofstream(CString(path).utf8_string(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    for (DWORD bufferSize : {0u, 1u, 2u, 20u, 64u}) {
        CheckRead(L"PASSWORD", L"Password", bufferSize);
        CheckRead(L"LANGUAGE", L"Language", bufferSize);
        CheckRead(nullptr, nullptr, bufferSize);
        CheckRead(L"PASSWORD", nullptr, bufferSize);
    }
    GetPrivateProfileIntW(L"PASSWORD", L"BOOTPSLock", 0, path.c_str());

    FUZZ_CHECK(WritePrivateProfileStringW(L"PASSWORD", L"Password", L"fuzz secret", path.c_str()));
    FUZZ_CHECK(WritePrivateProfileStringW(L"PASSWORD", L"BOOTPSLock", L"1", path.c_str()));
    FUZZ_CHECK(WritePrivateProfileStringW(L"LANGUAGE", L"Language", L"2", path.c_str()));
    wchar_t password[20];
    GetPrivateProfileStringW(L"PASSWORD", L"Password", L"", password, 20, path.c_str());
    FUZZ_CHECK(std::wstring(password) == L"fuzz secret");
    FUZZ_CHECK(GetPrivateProfileIntW(L"PASSWORD", L"BOOTPSLock", 0, path.c_str()) == 1u);
    FUZZ_CHECK(GetPrivateProfileIntW(L"LANGUAGE", L"Language", 0, path.c_str()) == 2u);
    return 0;
}
