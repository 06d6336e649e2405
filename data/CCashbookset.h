// The cash book [cashbook] of data source Cashbook.
#pragma once

#include "Database.h"

class CCashbookset : public CRecordset
{
public:
    explicit CCashbookset(CDatabase* pdb);

    long m_nID = 0;
    CString m_strRoomNo;
    CString m_strName;
    COleDateTime m_dtTime;
    CString m_strPaid;
    CString m_strDeposit;
    CString m_strAmount;
    BOOL m_bStatus = FALSE;  // TRUE counts (成功), FALSE does not (失败)

    CString GetDefaultConnect() override;
    CString GetDefaultSQL() override;
    void DoFieldExchange(CFieldExchange* pFX) override;

    BOOL AddRecord(CString strRoomNo, CString strName, COleDateTime dtTime, CString strPaid, CString strDeposit,
                   CString strAmount, BOOL bStatus);
    // The three numbers are stored as "%f" texts.
    BOOL AppendRecord(CString strRoomNo, CString strName, COleDateTime dtTime, double dPaid, double dDeposit,
                      double dAmount, BOOL bStatus);
};
