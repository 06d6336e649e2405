// A database error with the driver manager's or driver's text.
#pragma once

#include <stdexcept>
#include "WinTypes.h"

class CDBException : public std::runtime_error
{
public:
    CDBException(const CString& error, const CString& state = CString());
    // Shows m_strError in a message box.
    void ReportError() const;
    // Exceptions are thrown by value; kept so handlers read as the design does.
    void Delete() {}

    CString m_strError;
    CString m_strStateNativeOrigin;
};
