#include "RecordsCommands.h"

#include "CCashBookDlg.h"
#include "CIEDlg.h"
#include "CPasswordDlg.h"
#include "CUserRWnd.h"
#include "LockSettings.h"

void OpenGuestRecords(wxWindow* parent)
{
    CUserRWnd window(parent);
    window.ShowModal();
}

void OpenCashBook(wxWindow* parent)
{
    CCashBookDlg dialog(parent);
    if (g_lockSettings.m_bCashBookLock) {
        CPasswordDlg prompt(parent);
        if (prompt.ShowModal() == wxID_CANCEL)
            return;
    }
    dialog.ShowModal();
}

void OpenImportExport(wxWindow* parent)
{
    CIEDlg dialog(parent);
    dialog.ShowModal();
}
