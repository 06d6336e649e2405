#include "CAccountBookDlg.h"

#include "AppConnections.h"
#include "CPasswordDlg.h"
#include "Globals.h"
#include "LockSettings.h"

CString NotCashbookFileMessage(int language)
{
    if (language == 2)
        return "Can't open cashbook file,please retry.";
    return wxString::FromUTF8("打开的不是账本文件，请重新选择文件。");
}

CAccountBookDlg::CAccountBookDlg(wxWindow* parent)
    : CCsvPage(parent), m_pCashbookset(new CCashbookset(&AppConnections().m_dbCashbook))
{
    OpenTable(*m_pCashbookset);
}

bool CAccountBookDlg::MayImport()
{
    if (!g_lockSettings.m_bCashBookLock)
        return true;
    CPasswordDlg prompt(this);
    return prompt.ShowModal() == wxID_OK;
}

CsvTable CAccountBookDlg::Table()
{
    return CashbookCsvTable(*m_pCashbookset);
}

CString CAccountBookDlg::WrongFileMessage() const
{
    return NotCashbookFileMessage(g_nLanguage);
}
