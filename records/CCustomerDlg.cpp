#include "CCustomerDlg.h"

#include "CCsvFile.h"
#include "CQuillan2021App.h"
#include "CsvRecords.h"
#include "Globals.h"
#include "MessageBox.h"
#include "RecordsetUse.h"

CString NotCustomerFileMessage(int language)
{
    if (language == 2)
        return "Can't open Customerbook file,please retry.";
    return wxString::FromUTF8("打开的不是客户记录文件，请重新选择文件。");
}

CCustomerDlg::CCustomerDlg(wxWindow* parent)
    : CCsvPage(parent), m_pRegisterset(new CRegisterset(&GetTheApp().m_dbRegister))
{
    OpenTable(*m_pRegisterset);
}

bool CCustomerDlg::ExportTo(const CString& path)
{
    CCsvFile file;
    if (!file.Open(path.ToStdWstring(), CCsvFile::modeWrite)) {
        AfxMessageBox(CantOpenFileMessage(path), MB_OK);
        return false;
    }
    CRegisterset& set = *m_pRegisterset;
    if (!OpenTable(set))
        return false;

    StartProgress();
    bool written = file.WriteLine(GuestCsvHeader());
    try {
        const long total = set.GetRecordCount();
        long done = 0;
        for (set.MoveFirst(); written && !set.IsEOF(); set.MoveNext()) {
            GuestRecord rec;
            rec.m_strRoomNo = set.m_strRoomNo;
            rec.m_strName = set.m_strName;
            rec.m_bSex = set.m_bSex;
            rec.m_strNation = set.m_strNation;
            rec.m_dtBirth = set.m_dtBirth;
            rec.m_dtCheckIn = set.m_dtCheckIn;
            rec.m_dtCheckOut = set.m_dtCheckOut;
            rec.m_strIdNumber = set.m_strIdNumber;
            rec.m_strNativePlace = set.m_strNativePlace;
            rec.m_strRemarks = set.m_strRemarks;
            rec.m_strPaid = set.m_strPaid;
            rec.m_strDeposit = set.m_strDeposit;
            written = file.WriteLine(GuestCsvLine(rec));
            // Full once the last stay is written: no message says that the export is done.
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

bool CCustomerDlg::ImportFrom(const CString& path)
{
    CRegisterset& set = *m_pRegisterset;
    if (!OpenTable(set))
        return false;
    // A file that cannot be read gives no rows, and is refused as not a guest-records file.
    std::vector<CsvRow> rows;
    CCsvFile file;
    file.ReadAll(CsvFileSystemName(path.ToStdWstring()), rows);
    // Every row is checked before the first is stored, so a damaged file adds nothing.
    if (!CsvRowsFit(rows, kGuestCsvFields)) {
        CloseIfOpen(set);
        AfxMessageBox(NotCustomerFileMessage(g_nLanguage), MB_OK);
        return false;
    }

    StartProgress();
    const long count = long(rows.size());
    try {
        // Row 0 is the header. Every row is a new stay: nothing is compared
        // with the stays already stored.
        for (long k = 1; k < count; ++k) {
            const GuestRecord rec = GuestRecordFromCsv(rows[k]);
            set.AddNew();
            set.m_strRoomNo = rec.m_strRoomNo;
            set.m_strName = rec.m_strName;
            set.m_bSex = rec.m_bSex;
            set.m_strNation = rec.m_strNation;
            set.m_dtBirth = rec.m_dtBirth;
            set.m_dtCheckIn = rec.m_dtCheckIn;
            set.m_dtCheckOut = rec.m_dtCheckOut;
            set.m_strIdNumber = rec.m_strIdNumber;
            set.m_strNativePlace = rec.m_strNativePlace;
            set.m_strRemarks = rec.m_strRemarks;
            set.m_strPaid = rec.m_strPaid;
            set.m_strDeposit = rec.m_strDeposit;
            set.Update();
            SetProgress(k + 1, count);
        }
    } catch (const CDBException& e) {
        // The stays stored before the error stay in the table.
        e.ReportError();
        CloseIfOpen(set);
        return false;
    }
    CloseIfOpen(set);
    SetProgress(1, 1);
    return true;
}
