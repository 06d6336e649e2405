#include "CAccountBookDlg.h"

#include "CCsvFile.h"
#include "CPasswordDlg.h"
#include "CQuillan2021App.h"
#include "CsvRecords.h"
#include "Globals.h"
#include "LockSettings.h"
#include "MessageBox.h"
#include "RecordsetUse.h"

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

bool CAccountBookDlg::ExportTo(const CString& path)
{
    CCsvFile file;
    if (!file.Open(path.ToStdWstring(), CCsvFile::modeWrite)) {
        AfxMessageBox(CantOpenFileMessage(path), MB_OK);
        return false;
    }
    CCashbookset& set = *m_pCashbookset;
    if (!OpenTable(set))
        return false;

    StartProgress();
    bool written = file.WriteLine(CashbookCsvHeader());
    try {
        const long total = set.GetRecordCount();
        long done = 0;
        for (set.MoveFirst(); written && !set.IsEOF(); set.MoveNext()) {
            CashbookCsvRecord rec;
            rec.m_strRoomNo = set.m_strRoomNo;
            rec.m_strName = set.m_strName;
            rec.m_dtTime = set.m_dtTime;
            rec.m_strPaid = set.m_strPaid;
            rec.m_strDeposit = set.m_strDeposit;
            rec.m_strAmount = set.m_strAmount;
            rec.m_bStatus = set.m_bStatus;
            written = file.WriteLine(CashbookCsvLine(rec));
            // Full once the last row is written: no message says that the export is done.
            SetProgress(++done, total);
        }
    } catch (const CDBException& e) {
        e.ReportError();
        CloseIfOpen(set);
        return false;
    }
    CloseIfOpen(set);
    if (!file.Close() || !written) {
        AfxMessageBox(CantWriteFileMessage(path), MB_OK);
        return false;
    }
    SetProgress(1, 1);
    return true;
}

bool CAccountBookDlg::ImportFrom(const CString& path)
{
    CCashbookset& set = *m_pCashbookset;
    if (!OpenTable(set))
        return false;
    // A file that cannot be read gives no rows, and is refused as not a cash book.
    std::vector<CsvRow> rows;
    CCsvFile file;
    file.ReadAll(CsvFileSystemName(path.ToStdWstring()), rows);
    // Every row is checked before the first is stored, so a damaged file adds nothing.
    if (!CsvRowsFit(rows, kCashbookCsvFields)) {
        CloseIfOpen(set);
        AfxMessageBox(NotCashbookFileMessage(g_nLanguage), MB_OK);
        return false;
    }

    StartProgress();
    const long count = long(rows.size());
    try {
        // Row 0 is the header.
        for (long k = 1; k < count; ++k) {
            const CashbookCsvRecord rec = CashbookRecordFromCsv(rows[k]);
            set.AddNew();
            set.m_strRoomNo = rec.m_strRoomNo;
            set.m_strName = rec.m_strName;
            set.m_dtTime = rec.m_dtTime;
            set.m_strPaid = rec.m_strPaid;
            set.m_strDeposit = rec.m_strDeposit;
            set.m_strAmount = rec.m_strAmount;
            set.m_bStatus = rec.m_bStatus;
            set.Update();
            SetProgress(k + 1, count);
        }
    } catch (const CDBException& e) {
        // The rows stored before the error stay in the cash book.
        e.ReportError();
        CloseIfOpen(set);
        return false;
    }
    CloseIfOpen(set);
    SetProgress(1, 1);
    return true;
}
