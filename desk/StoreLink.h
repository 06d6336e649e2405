// The review link of the app store: the store opens the program's page when
// its installed version is recent enough.
#pragma once

#include "WinTypes.h"

// Whether an installed version text is not smaller than "8.7.0.0", compared as
// plain text unit by unit from the left (so "10.0.0.0" and "8.7" are smaller).
BOOL IsStoreVersionTextSupported(const CString& installed);

// Reads the store's installed version and compares it; FALSE when the store
// is not installed. Writes which side of 8.7 the store is on to standard output.
BOOL IsStoreVersionSupported();

// The store's start-up link for this program.
CString StoreLaunchLink();

// The message when the store is missing or too old, by language.
CString StoreTooOldMessage(int language);
