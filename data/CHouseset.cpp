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

    const BOOL bHourly = m_bHourly;
    const COleDateTime dtHourStart = m_dtHourStart;
    const COleDateTime dtHourEnd = m_dtHourEnd;

    // A room that records nobody cannot give up a person, so it is left as it is
    // (persons never wrap round to 255); the guest has already been moved to the
    // target, which must then show as occupied.
    TakePerson();

    if (FindRoom(strTo) == -1)
        return FALSE;
    return AddPerson(bHourly, dtHourStart, dtHourEnd);
}

namespace {

// One person more, counted by the database; a count of 255 stays (a byte column).
const char* const kOnePersonMore =
    "[房间人数] = CASE WHEN [房间人数] < 255 THEN [房间人数] + 1 ELSE [房间人数] END, [打扫] = 0, [住房] = 1";
// Whatever the room counts, one more goes in.
const char* const kAnyCount = "1 = 1";

}  // namespace

BOOL CHouseset::AddPerson()
{
    return UpdateWhere(wxString::FromUTF8(kOnePersonMore), kAnyCount, {});
}

BOOL CHouseset::AddPerson(BOOL bHourly, const COleDateTime& dtStart, const COleDateTime& dtEnd)
{
    const CString assignments =
        wxString::FromUTF8(kOnePersonMore) + wxString::FromUTF8(", [钟点房] = ?, [钟点开始] = ?, [钟点结束] = ?");
    return UpdateWhere(assignments, kAnyCount, {bHourly ? 1 : 0, dtStart, dtEnd});
}

BOOL CHouseset::TakePerson()
{
    // The right-hand sides read the row as it was before the statement.
    return UpdateWhere(wxString::FromUTF8("[房间人数] = [房间人数] - 1, [钟点房] = 0, "
                                          "[住房] = CASE WHEN [房间人数] > 1 THEN 1 ELSE 0 END"),
                       wxString::FromUTF8("[房间人数] > 0"), {});
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
