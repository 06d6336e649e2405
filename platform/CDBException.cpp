#include "CDBException.h"

#include "MessageBox.h"
#include "Utf8Text.h"

CDBException::CDBException(const CString& error, const CString& state)
    : std::runtime_error(ToUtf8(error)), m_strError(error), m_strStateNativeOrigin(state)
{
}

void CDBException::ReportError() const
{
    AfxMessageBox(m_strError, MB_OK | MB_ICONERROR);
}
