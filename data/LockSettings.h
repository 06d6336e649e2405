// The password and the two lock flags, read once at start-up and written back at exit.
#pragma once

#include <string>

struct LockSettings
{
    std::string m_strPassword;  // 8-bit text in the OEM code page
    bool m_bBootLock = false;
    bool m_bCashBookLock = false;
};

extern LockSettings g_lockSettings;

// The settings file, relative to the current directory.
extern const wchar_t* const kSettingsFile;

// Fills g_lockSettings from the settings file.
void ReadLockSettings();
// Writes g_lockSettings back: BOOTPSLock, CashBookLock, Password, in that order.
void SaveLockSettings();
