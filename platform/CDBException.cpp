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
    // A server's: the connection lost (08), a deadlock or a conflict (40),
    // no room on its disk or in its memory (53), a lock wait given up (55P03),
    // a statement cancelled or the server going down (57).
    for (const char* passing : {"State:08", "State:40", "State:53", "State:55P03", "State:57"})
        if (m_strStateNativeOrigin.StartsWith(passing))
            return true;
    // The SQLite driver's: its native error is SQLite's result code. Extended
    // codes carry the primary one in their low byte (SQLITE_IOERR_WRITE, SQLITE_BUSY_SNAPSHOT).
    if (!m_strStateNativeOrigin.StartsWith("State:HY000"))
        return false;
    const long code = NativeError(m_strStateNativeOrigin) & 0xFF;
    return code == kSqliteBusy || code == kSqliteLocked || code == kSqliteFull || code == kSqliteIoError;
}
