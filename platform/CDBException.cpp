#include "CDBException.h"

#include "MessageBox.h"
#include "Utf8Text.h"

namespace {

// SQLite's result codes, which its driver gives as the native error.
constexpr long kSqliteIoError = 10, kSqliteBusy = 5, kSqliteLocked = 6, kSqliteFull = 13;

long NativeError(const CString& state)
{
    long native = 0;
    const int at = state.Find("Native:");
    return at != wxNOT_FOUND && state.Mid(size_t(at) + 7).BeforeFirst(',').ToLong(&native) ? native : 0;
}

}  // namespace

CDBException::CDBException(const CString& error, const CString& state)
    : std::runtime_error(ToUtf8(error)), m_strError(error), m_strStateNativeOrigin(state)
{
}

CString CDBException::GetReport() const
{
    return WithSystemText(UiText("没有完成：记录没有任何改动。", "This was not done: nothing in the records has changed."),
                          m_strError);
}

void CDBException::ReportError() const
{
    AfxMessageBox(GetReport(), MB_OK | MB_ICONERROR);
}

bool CDBException::IsPassingFailure() const
{
    // Extended codes carry the primary one in their low byte (SQLITE_IOERR_WRITE, SQLITE_BUSY_SNAPSHOT).
    const long code = NativeError(m_strStateNativeOrigin) & 0xFF;
    return code == kSqliteBusy || code == kSqliteLocked || code == kSqliteFull || code == kSqliteIoError;
}
