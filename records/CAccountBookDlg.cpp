#include "CAccountBookDlg.h"

#include "CPasswordDlg.h"
#include "CQuillan2021App.h"
#include "CsvRecords.h"
#include "Globals.h"
#include "LockSettings.h"

CString NotCashbookFileMessage(int language)
{
    if (language == 2)
        return "Can't open cashbook file,please retry.";
    return wxString::FromUTF8("打开的不是账本文件，请重新选择文件。");
}

CAccountBookDlg::CAccountBookDlg(wxWindow* parent)
    : CCsvPage(parent), m_pCashbookset(new CCashbookset(&GetTheApp().m_dbCashbook))
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

CRecordset& CAccountBookDlg::Table()
{
    return *m_pCashbookset;
}

std::string CAccountBookDlg::CsvHeader() const
{
    return CashbookCsvHeader();
}

std::string CAccountBookDlg::CsvLine()
{
    const CCashbookset& set = *m_pCashbookset;
    CashbookCsvRecord rec;
    rec.m_strRoomNo = set.m_strRoomNo;
    rec.m_strName = set.m_strName;
    rec.m_dtTime = set.m_dtTime;
    rec.m_strPaid = set.m_strPaid;
    rec.m_strDeposit = set.m_strDeposit;
    rec.m_strAmount = set.m_strAmount;
    rec.m_bStatus = set.m_bStatus;
    return CashbookCsvLine(rec);
}

size_t CAccountBookDlg::CsvFields() const
{
    return kCashbookCsvFields;
}

void CAccountBookDlg::SetFromCsv(const CsvRow& fields)
{
    const CashbookCsvRecord rec = CashbookRecordFromCsv(fields);
    CCashbookset& set = *m_pCashbookset;
    set.m_strRoomNo = rec.m_strRoomNo;
    set.m_strName = rec.m_strName;
    set.m_dtTime = rec.m_dtTime;
    set.m_strPaid = rec.m_strPaid;
    set.m_strDeposit = rec.m_strDeposit;
    set.m_strAmount = rec.m_strAmount;
    set.m_bStatus = rec.m_bStatus;
}

CString CAccountBookDlg::WrongFileMessage() const
{
    return NotCashbookFileMessage(g_nLanguage);
}
