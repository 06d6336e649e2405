#include "CHouseset.h"

#include "FindNarrowing.h"

CHouseset::CHouseset(CDatabase* pdb) : CRecordset(pdb)
{
    m_nFields = 11;
    m_nDefaultType = snapshot;
}

CString CHouseset::GetDefaultConnect()
{
    return wxT("ODBC;DSN=Hotel");
}

CString CHouseset::GetDefaultSQL()
{
    return wxT("[house]");
}

void CHouseset::DoFieldExchange(CFieldExchange* pFX)
{
    RFX_Text(pFX, wxString::FromUTF8("[房间号]"), m_strRoomNo);
    RFX_Bool(pFX, wxString::FromUTF8("[住房]"), m_bOccupied);
    RFX_Text(pFX, wxString::FromUTF8("[房价]"), m_strPrice);
    RFX_Bool(pFX, wxString::FromUTF8("[打扫]"), m_bCleaning);
    RFX_Bool(pFX, wxString::FromUTF8("[定房]"), m_bReserved);
    RFX_Date(pFX, wxString::FromUTF8("[定房日期]"), m_dtReserveDate);
    RFX_Byte(pFX, wxString::FromUTF8("[房间人数]"), m_nPersons);
    RFX_Bool(pFX, wxString::FromUTF8("[钟点房]"), m_bHourly);
    RFX_Date(pFX, wxString::FromUTF8("[钟点开始]"), m_dtHourStart);
    RFX_Date(pFX, wxString::FromUTF8("[钟点结束]"), m_dtHourEnd);
    RFX_Text(pFX, wxString::FromUTF8("[房间介绍]"), m_strIntro);
}

CString BoardSortText()
{
    // The recordset breaks ties by the rows' keys, which follow the order of adding.
    return wxString::FromUTF8("房间号 ASC");
}

long RoomsBefore(CDatabase& hotel, const CString& strRoomNo)
{
    CHouseset rooms(&hotel);
    rooms.m_strFilter = wxString::FromUTF8("([房间号] IS NULL OR [房间号] < ?)");
    rooms.m_filterValues = {strRoomNo};
    return rooms.CountRows();
}

int CHouseset::FindRoom(CString strRoomNo)
{
    return FindRoom(strRoomNo, 0);
}

int CHouseset::FindRoom(const CString& strRoomNo, int nTwin)
{
    // The database hands over the rows of that number; the exact comparison decides.
    FindNarrowing narrowing;
    narrowing.AddEqual(wxString::FromUTF8("[房间号]"), strRoomNo);
    int twins = 0;
    return int(FindFirst(narrowing.Where(), narrowing.Values(),
                         [&] { return m_strRoomNo == strRoomNo && twins++ == nTwin; }));
}

void CHouseset::SetNumberFilter(const CString& strRoomNo)
{
    m_strSort = BoardSortText();
    if (strRoomNo.empty())
        return;
    m_strFilter = wxString::FromUTF8("[房间号] = ?");
    m_filterValues = {strRoomNo};
}

void CHouseset::SetNumberRange(const CString& strLow, const CString& strHigh)
{
    m_strSort = BoardSortText();
    // An empty number may be stored as none, which no comparison takes.
    m_strFilter = wxString::FromUTF8(strLow.empty() ? "([房间号] IS NULL OR [房间号] <= ?)"
                                                    : "[房间号] >= ? AND [房间号] <= ?");
    m_filterValues.clear();
    if (!strLow.empty())
        m_filterValues.push_back(strLow);
    m_filterValues.push_back(strHigh);
}

BOOL CHouseset::MovePerson(CString strFrom, CString strTo)
{
    if (FindRoom(strFrom) == -1)
        return FALSE;

    BOOL bHourly = m_bHourly;
    COleDateTime dtHourStart = m_dtHourStart;
    COleDateTime dtHourEnd = m_dtHourEnd;

    // A room that records nobody cannot give up a person, so it is left as it is
    // (persons never wrap round to 255); the guest has already been moved to the
    // target, which must then show as occupied.
    if (m_nPersons != 0) {
        Edit();
        m_nPersons = static_cast<BYTE>(m_nPersons - 1);
        m_bHourly = FALSE;
        m_bOccupied = (m_nPersons != 0);
        Update();
    }

    if (FindRoom(strTo) == -1)
        return FALSE;

    Edit();
    if (m_nPersons < 255)
        m_nPersons = static_cast<BYTE>(m_nPersons + 1);
    m_bHourly = bHourly;
    m_dtHourStart = dtHourStart;
    m_dtHourEnd = dtHourEnd;
    m_bCleaning = FALSE;
    m_bOccupied = TRUE;
    return Update();
}

BOOL CHouseset::AddRoom(CString strRoomNo, CString strPrice, CString strIntro)
{
    if (!CanAppend())
        return FALSE;
    AddNew();
    m_strRoomNo = strRoomNo;
    m_strPrice = strPrice;
    m_strIntro = strIntro;
    return Update();
}

BOOL CHouseset::ModifyRoom(int nIndex, CString strRoomNo, CString strPrice, CString strIntro)
{
    MoveFirst();
    for (int i = 0; i < nIndex; ++i)
        MoveNext();
    Edit();
    m_strRoomNo = strRoomNo;
    m_strPrice = strPrice;
    m_strIntro = strIntro;
    return Update();
}
