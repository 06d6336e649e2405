// The stays table [register] of data source Register.
#pragma once

#include "Database.h"
#include "GuestRecord.h"

class CRegisterset : public CRecordset
{
public:
    explicit CRegisterset(CDatabase* pdb);

    long m_nID = 0;
    CString m_strRoomNo;
    CString m_strName;
    BOOL m_bSex = FALSE;
    CString m_strNation;
    COleDateTime m_dtBirth;
    COleDateTime m_dtCheckIn;
    COleDateTime m_dtCheckOut;  // null while the guest stays
    CString m_strIdNumber;
    CString m_strNativePlace;
    CString m_strRemarks;
    CString m_strPaid;
    CString m_strDeposit;

    CString GetDefaultConnect() override;
    CString GetDefaultSQL() override;
    void DoFieldExchange(CFieldExchange* pFX) override;

    // 0-based position of the first row that matches rec, or -1; the cursor stays on it.
    int FindRecord(GuestRecord rec);
    // Whether the current row is the stay of rec, by the rules of FindRecord.
    bool Matches(const GuestRecord& rec) const;
    BOOL AddRecord(CString strRoomNo, CString strName, BOOL bSex, CString strNation, COleDateTime dtBirth,
                   COleDateTime dtCheckIn, CString strIdNumber, CString strNativePlace, CString strRemarks,
                   CString strPaid, CString strDeposit);
    // The current row as the user interface passes it around.
    GuestRecord GetGuestRecord() const;
    // Every column but [ID] from a record, after AddNew or Edit.
    void SetGuestRecord(const GuestRecord& rec);

    // Writes now as the check-out of the open stay of that room and guest; a
    // database error is reported here and gives FALSE.
    BOOL CloseStay(CString strRoomNo, CString strName, COleDateTime dt);
    // The same without the report: a database error passes to the caller, so
    // that an operation of several writes can undo them all.
    void CloseOpenStay(const CString& strRoomNo, const CString& strName);
    // Moves to the first stay of that room and guest whose check-out is empty
    // and gives its position, or -1 at the end.
    long FindOpenStay(const CString& strRoomNo, const CString& strName);
};

// The filter that keeps only the stays still running (no check-out yet), so
// that the front desk's dialogs need not read the whole history.
CString OpenStaysFilter();

// Two dates are the same when both are valid and less than half a second apart, or both null.
bool SameStayDate(const COleDateTime& a, const COleDateTime& b);
