#include "CCashbookset.h"


CCashbookset::CCashbookset(CDatabase* pdb) : CRecordset(pdb)
{
    m_nFields = 8;
    m_nDefaultType = snapshot;
}

CString CCashbookset::GetDefaultConnect()
{
    return wxT("ODBC;DSN=cashbook");
}

CString CCashbookset::GetDefaultSQL()
{
    return wxT("[cashbook]");
}

void CCashbookset::DoFieldExchange(CFieldExchange* pFX)
{
    RFX_Long(pFX, wxT("[ID]"), m_nID);
    RFX_Text(pFX, wxString::FromUTF8("[房间号]"), m_strRoomNo);
    RFX_Text(pFX, wxString::FromUTF8("[姓名]"), m_strName);
    RFX_Date(pFX, wxString::FromUTF8("[时间]"), m_dtTime);
    RFX_Text(pFX, wxString::FromUTF8("[交钱]"), m_strPaid);
    RFX_Text(pFX, wxString::FromUTF8("[押金]"), m_strDeposit);
    RFX_Text(pFX, wxString::FromUTF8("[交易金额]"), m_strAmount);
    RFX_Bool(pFX, wxString::FromUTF8("[状态]"), m_bStatus);
}

BOOL CCashbookset::AddRecord(CString strRoomNo, CString strName, COleDateTime dtTime, CString strPaid,
                             CString strDeposit, CString strAmount, BOOL bStatus)
{
    if (!CanAppend())
        return FALSE;
    AddNew();
    m_strRoomNo = strRoomNo;
    m_strName = strName;
    m_dtTime = dtTime;
    m_strPaid = strPaid;
    m_strDeposit = strDeposit;
    m_strAmount = strAmount;
    m_bStatus = bStatus;
    return Update();
}

namespace {
// The amounts are parsed back with '.' as decimal point (totals, chart, CSV), so they
// are written in the C locale whatever locale the user interface runs in.
CString FormatAmount(double value)
{
    wxString text = wxString::FromCDouble(value, 6);
    return text;
}
}  // namespace

BOOL CCashbookset::AppendRecord(CString strRoomNo, CString strName, COleDateTime dtTime, double dPaid,
                                double dDeposit, double dAmount, BOOL bStatus)
{
    return AddRecord(strRoomNo, strName, dtTime, FormatAmount(dPaid), FormatAmount(dDeposit),
                     FormatAmount(dAmount), bStatus);
}
