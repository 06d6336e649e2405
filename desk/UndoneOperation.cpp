#include "UndoneOperation.h"

#include "Globals.h"
#include "MessageBox.h"

CString UndoneOperationMessage(int language, const CDBException& e)
{
    const CString done = language == 2 ? CString("This was not done: nothing in the records has changed.")
                                       : wxString::FromUTF8("没有完成：记录没有任何改动。");
    return done + "\n\n" + e.m_strError;
}

void ReportUndoneOperation(const CDBException& e)
{
    AfxMessageBox(UndoneOperationMessage(g_nLanguage, e), MB_OK | MB_ICONERROR);
}
