#include "CRoomNumberset.h"

CRoomNumberset::CRoomNumberset(CDatabase* pdb, bool withHourly) : CRecordset(pdb), m_bWithHourly(withHourly)
{
    m_nFields = withHourly ? 4 : 1;
    m_nDefaultType = snapshot;
}

CString CRoomNumberset::GetDefaultConnect()
{
    return wxT("ODBC;DSN=Hotel");
}

CString CRoomNumberset::GetDefaultSQL()
{
    return wxT("[house]");
}

void CRoomNumberset::DoFieldExchange(CFieldExchange* pFX)
{
    RFX_Text(pFX, wxString::FromUTF8("[房间号]"), m_strRoomNo);
    if (!m_bWithHourly)
        return;
    RFX_Bool(pFX, wxString::FromUTF8("[钟点房]"), m_bHourly);
    RFX_Date(pFX, wxString::FromUTF8("[钟点开始]"), m_dtHourStart);
    RFX_Date(pFX, wxString::FromUTF8("[钟点结束]"), m_dtHourEnd);
}
