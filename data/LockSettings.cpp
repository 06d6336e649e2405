#include "LockSettings.h"

#include <vector>
#include "CodePage.h"
#include "Profile.h"

LockSettings g_lockSettings;

const wchar_t* const kSettingsFile = L"./Quillan.INI";

namespace {

// The value as written: a password that begins or ends with a blank, or is
// enclosed in quotation marks, would lose them when read; enclosed in a pair
// of quotation marks it reads back as it is (here and on Windows).
CString ProfileValueOf(const CString& text)
{
    CString trimmed = text;
    trimmed.Trim(true).Trim(false);
    const bool quoted = text.length() >= 2 && (text[0] == '"' || text[0] == '\'') && text[text.length() - 1] == text[0];
    return trimmed != text || quoted ? "\"" + text + "\"" : text;
}

}  // namespace

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

BOOL SaveLockSettings()
{
    // One replacement of the file: a kill or a power cut leaves the old
    // settings or the new ones, never a lock on with the old password.
    const CString password = FromCodePage(g_lockSettings.m_strPassword, CP_OEMCP);
    return WritePrivateProfileValues(L"PASSWORD",
                                     {{"BOOTPSLock", g_lockSettings.m_bBootLock ? "1" : "0"},
                                      {"CashBookLock", g_lockSettings.m_bCashBookLock ? "1" : "0"},
                                      {"Password", ProfileValueOf(password)}},
                                     kSettingsFile);
}

PasswordFit CheckPasswordFits(const CString& password)
{
    if (password.length() > kPasswordMaxLength)
        return PasswordFit::tooLong;
    // A line break would end the line, and what the code page cannot hold becomes "?".
    for (wxUniChar c : password)
        if (c.GetValue() < 0x20 || c.GetValue() == 0x7F)
            return PasswordFit::unstorableCharacters;
    CString held;
    if (!FromCodePageExact(ToCodePage(password, CP_OEMCP), CP_OEMCP, held) || held != password)
        return PasswordFit::unstorableCharacters;
    return PasswordFit::whole;
}
