// A database error with the driver manager's or driver's text.
#pragma once

#include <stdexcept>
#include "WinTypes.h"

class CDBException : public std::runtime_error
{
public:
    CDBException(const CString& error, const CString& state = CString());
    // Shows the report below in a message box.
    void ReportError() const;
    // What the clerk is told: in the UI language, that nothing was done and
    // nothing in the records changed (every write of the program is all or
    // nothing, and a failed read changes nothing), with m_strError beneath.
    CString GetReport() const;
    // The database was there but could not serve just now: a lock another
    // program holds, a full disk, a failing device. Such a failure passes; a
    // table that is missing or unreadable does not.
    bool IsPassingFailure() const;
    // Exceptions are thrown by value; kept so handlers read as the design does.
    void Delete() {}

    CString m_strError;
    CString m_strStateNativeOrigin;
};
