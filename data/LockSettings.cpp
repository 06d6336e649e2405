#include "LockSettings.h"

#include <vector>
#include "CodePage.h"
#include "Profile.h"

LockSettings g_lockSettings;

const wchar_t* const kSettingsFile = L"./Quillan.INI";

void ReadLockSettings()
{
    g_lockSettings.m_bBootLock = GetPrivateProfileIntW(L"PASSWORD", L"BOOTPSLock", 0, kSettingsFile) != 0;
    g_lockSettings.m_bCashBookLock = GetPrivateProfileIntW(L"PASSWORD", L"CashBookLock", 0, kSettingsFile) != 0;

    // The password has always been kept to 19 characters; longer stored values are cut.
    wchar_t buffer[20] = {0};
    GetPrivateProfileStringW(L"PASSWORD", L"Password", L"", buffer, 20, kSettingsFile);
    buffer[19] = L'\0';

    int needed = WideCharToMultiByte(CP_OEMCP, 0, buffer, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        g_lockSettings.m_strPassword.clear();
        return;
    }
    std::vector<char> bytes(static_cast<size_t>(needed) + 1, '\0');
    WideCharToMultiByte(CP_OEMCP, 0, buffer, -1, bytes.data(), needed, nullptr, nullptr);
    g_lockSettings.m_strPassword.assign(bytes.data());  // up to the terminating NUL
}

void SaveLockSettings()
{
    WritePrivateProfileStringW(L"PASSWORD", L"BOOTPSLock", g_lockSettings.m_bBootLock ? L"1" : L"0", kSettingsFile);
    WritePrivateProfileStringW(L"PASSWORD", L"CashBookLock", g_lockSettings.m_bCashBookLock ? L"1" : L"0",
                               kSettingsFile);

    const std::string& password = g_lockSettings.m_strPassword;
    int needed = MultiByteToWideChar(CP_OEMCP, 0, password.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(needed > 0 ? needed : 0) + 1, L'\0');
    if (needed > 0)
        MultiByteToWideChar(CP_OEMCP, 0, password.c_str(), -1, wide.data(), needed);
    WritePrivateProfileStringW(L"PASSWORD", L"Password", wide.data(), kSettingsFile);
}
