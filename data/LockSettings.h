// The password and the two lock flags, read once at start-up and written back at exit.
#pragma once

#include <string>
#include "WinTypes.h"

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
// Writes g_lockSettings back, BOOTPSLock, CashBookLock and Password, in one
// replacement of the settings file; FALSE when it could not be written.
BOOL SaveLockSettings();

// Whether a password survives the settings file whole, so that it opens the
// lock after a restart: the file is read into 20 characters, and the password
// is held in the OEM code page.
enum class PasswordFit { whole, tooLong, unstorableCharacters };
PasswordFit CheckPasswordFits(const CString& password);
// The most characters a stored password keeps.
constexpr size_t kPasswordMaxLength = 19;
