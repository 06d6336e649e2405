#include "CRegisterset.h"

#include <cmath>
#include "FindNarrowing.h"

namespace {
// Half a second in days: times written by different screens of the program agree to this.
const double kHalfSecond = 5.787037037037037e-6;
}  // namespace

bool SameStayDate(const COleDateTime& a, const COleDateTime& b)
{
    if (a.GetStatus() == COleDateTime::valid && b.GetStatus() == COleDateTime::valid)
        return std::fabs(a.m_dt - b.m_dt) < kHalfSecond;
    return a.GetStatus() == COleDateTime::null && b.GetStatus() == COleDateTime::null;
}

CString OpenStaysFilter()
{
    return wxString::FromUTF8("[退房日期] IS NULL");
}

CRegisterset::CRegisterset(CDatabase* pdb) : CRecordset(pdb)
{
    m_nFields = 13;
    m_nDefaultType = snapshot;
}

CString CRegisterset::GetDefaultConnect()
{
    return wxT("ODBC;DSN=Register");
}

CString CRegisterset::GetDefaultSQL()
{
    return wxT("[register]");
}

void CRegisterset::DoFieldExchange(CFieldExchange* pFX)
{
    RFX_Long(pFX, wxT("[ID]"), m_nID);
    RFX_Text(pFX, wxString::FromUTF8("[房间号]"), m_strRoomNo);
    RFX_Text(pFX, wxString::FromUTF8("[姓名]"), m_strName);
    RFX_Bool(pFX, wxString::FromUTF8("[性别]"), m_bSex);
    RFX_Text(pFX, wxString::FromUTF8("[民族]"), m_strNation);
    RFX_Date(pFX, wxString::FromUTF8("[出生年月]"), m_dtBirth);
    RFX_Date(pFX, wxString::FromUTF8("[住房日期]"), m_dtCheckIn);
    RFX_Date(pFX, wxString::FromUTF8("[退房日期]"), m_dtCheckOut);
    RFX_Text(pFX, wxString::FromUTF8("[证件号]"), m_strIdNumber);
    RFX_Text(pFX, wxString::FromUTF8("[籍贯]"), m_strNativePlace);
    RFX_Text(pFX, wxString::FromUTF8("[本人职务备注]"), m_strRemarks);
    RFX_Text(pFX, wxString::FromUTF8("[交钱]"), m_strPaid);
    RFX_Text(pFX, wxString::FromUTF8("[押金]"), m_strDeposit);
}

GuestRecord CRegisterset::GetGuestRecord() const
{
    GuestRecord rec;
    rec.m_strRoomNo = m_strRoomNo;
    rec.m_strName = m_strName;
    rec.m_bSex = m_bSex;
    rec.m_strNation = m_strNation;
    rec.m_dtBirth = m_dtBirth;
    rec.m_dtCheckIn = m_dtCheckIn;
    rec.m_dtCheckOut = m_dtCheckOut;
    rec.m_strIdNumber = m_strIdNumber;
    rec.m_strNativePlace = m_strNativePlace;
    rec.m_strRemarks = m_strRemarks;
    rec.m_strPaid = m_strPaid;
    rec.m_strDeposit = m_strDeposit;
    return rec;
}

void CRegisterset::SetGuestRecord(const GuestRecord& rec)
{
    m_strRoomNo = rec.m_strRoomNo;
    m_strName = rec.m_strName;
    m_bSex = rec.m_bSex;
    m_strNation = rec.m_strNation;
    m_dtBirth = rec.m_dtBirth;
    m_dtCheckIn = rec.m_dtCheckIn;
    m_dtCheckOut = rec.m_dtCheckOut;
    m_strIdNumber = rec.m_strIdNumber;
    m_strNativePlace = rec.m_strNativePlace;
    m_strRemarks = rec.m_strRemarks;
    m_strPaid = rec.m_strPaid;
    m_strDeposit = rec.m_strDeposit;
}

bool CRegisterset::Matches(const GuestRecord& rec) const
{
    bool same = m_strRoomNo == rec.m_strRoomNo && m_strName == rec.m_strName && m_bSex == rec.m_bSex &&
                m_strNation == rec.m_strNation && SameStayDate(m_dtBirth, rec.m_dtBirth) &&
                SameStayDate(m_dtCheckIn, rec.m_dtCheckIn);
    // A record of a running stay (null check-out) does not care what the row's check-out holds.
    if (same && rec.m_dtCheckOut.GetStatus() == COleDateTime::valid)
        same = m_dtCheckOut.GetStatus() == COleDateTime::valid &&
               std::fabs(m_dtCheckOut.m_dt - rec.m_dtCheckOut.m_dt) < kHalfSecond;
    return same && m_strIdNumber == rec.m_strIdNumber && m_strNativePlace == rec.m_strNativePlace &&
           m_strRemarks == rec.m_strRemarks && m_strPaid == rec.m_strPaid && m_strDeposit == rec.m_strDeposit;
}

int CRegisterset::FindRecord(GuestRecord rec)
{
    // The database hands over the stays of that room, guest and ID number (an
    // index on the name makes that cheap); the comparison field by field decides.
    FindNarrowing narrowing;
    narrowing.AddEqual(wxString::FromUTF8("[姓名]"), rec.m_strName);
    narrowing.AddEqual(wxString::FromUTF8("[房间号]"), rec.m_strRoomNo);
    narrowing.AddEqual(wxString::FromUTF8("[证件号]"), rec.m_strIdNumber);
    return int(FindFirst(narrowing.Where(), narrowing.Values(), [&] { return Matches(rec); }));
}

BOOL CRegisterset::AddRecord(CString strRoomNo, CString strName, BOOL bSex, CString strNation,
                             COleDateTime dtBirth, COleDateTime dtCheckIn, CString strIdNumber,
                             CString strNativePlace, CString strRemarks, CString strPaid, CString strDeposit)
{
    if (!CanAppend())
        return FALSE;
    AddNew();
    m_strRoomNo = strRoomNo;
    m_strName = strName;
    m_bSex = bSex;
    m_strNation = strNation;
    m_dtBirth = dtBirth;
    m_dtCheckIn = dtCheckIn;
    m_strIdNumber = strIdNumber;
    m_strNativePlace = strNativePlace;
    m_strRemarks = strRemarks;
    m_strPaid = strPaid;
    m_strDeposit = strDeposit;
    // The check-out is left empty: the stay is running.
    return Update();
}

BOOL CRegisterset::CloseStay(CString strRoomNo, CString strName, COleDateTime dt)
{
    try {
        CloseOpenStay(strRoomNo, strName);
    } catch (const CDBException& e) {
        e.ReportError();
        return FALSE;
    }
    return TRUE;
}

long CRegisterset::FindOpenStay(const CString& strRoomNo, const CString& strName)
{
    // Not narrowed by the check-out: the driver reads any text that is no time
    // as an empty one, which SQL cannot tell apart.
    FindNarrowing narrowing;
    narrowing.AddEqual(wxString::FromUTF8("[房间号]"), strRoomNo);
    narrowing.AddEqual(wxString::FromUTF8("[姓名]"), strName);
    return FindFirst(narrowing.Where(), narrowing.Values(), [&] {
        return m_strRoomNo == strRoomNo && m_strName == strName && m_dtCheckOut.GetStatus() == COleDateTime::null;
    });
}

void CRegisterset::CloseOpenStay(const CString& strRoomNo, const CString& strName)
{
    if (strName.IsEmpty() || FindOpenStay(strRoomNo, strName) == -1)
        return;
    Edit();
    m_dtCheckOut = COleDateTime::GetCurrentTime();
    Update();
}
