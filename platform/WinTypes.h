// Basic Windows-style types and constants the program is written in.
#pragma once

#include <cstdint>
#include <wx/string.h>

#ifndef BOOL  // the ODBC headers define it as a macro
typedef int BOOL;
#endif
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef unsigned int UINT;
typedef unsigned int DWORD;
typedef std::uintptr_t ULONG_PTR;
typedef std::uintptr_t UINT_PTR;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// The program's text type: wxString holds Unicode text and converts to UTF-8.
typedef wxString CString;

// Message-box styles and results, as the program passes them around.
enum : UINT {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNO = 0x4,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };
