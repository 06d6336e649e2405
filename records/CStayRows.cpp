#include "CStayRows.h"

#include "CUserRWnd.h"
#include "FindNarrowing.h"
#include "RecordsetUse.h"

CStayRows::CStayRows(CDatabase* pDatabase) : m_set(pDatabase), m_cursor(m_set) {}

bool CStayRows::Open()
{
    m_cursor.Forget();
    m_matches.clear();
    m_count = 0;
    try {
        if (m_set.IsOpen())
            m_set.Close();
        return TryOpen(m_set);
    } catch (const CDBException&) {
        return false;
    }
}

bool CStayRows::ShowAll()
{
    m_set.m_strFilter.clear();
    m_set.m_filterValues.clear();
    m_bMatchesOnly = false;
    if (!Open())
        return false;
    m_count = size_t(m_set.GetRecordCount());
    return true;
}

bool CStayRows::ShowMatches(int key, const CString& text)
{
    // The database hands over the stays that hold the text; the exact
    // comparison of the search decides which of them are listed.
    FindNarrowing narrowing;
    narrowing.AddEqual(wxString::FromUTF8(key == SEARCH_BY_NAME ? "[姓名]" : "[证件号]"), text);
    m_set.m_strFilter = narrowing.Where();
    m_set.m_filterValues.assign(narrowing.Values().begin(), narrowing.Values().end());
    m_bMatchesOnly = true;
    if (!Open())
        return false;
    long ordinal = 0;
    for (m_set.MoveFirst(); !m_set.IsEOF(); m_set.MoveNext(), ++ordinal)
        if (RecordMatchesSearch(m_set.GetGuestRecord(), key, text))
            m_matches.push_back(ordinal);
    m_count = m_matches.size();
    return true;
}

void CStayRows::clear()
{
    m_set.Close();
    m_bMatchesOnly = false;
    m_matches.clear();
    m_count = 0;
    m_cursor.Forget();
}

long CStayRows::OrdinalOf(size_t row) const
{
    return m_bMatchesOnly ? m_matches[row] : long(row);
}

GuestRecord CStayRows::operator[](size_t row) const
{
    if (row >= m_count)
        throw CDBException("No such row of the guest records");
    m_cursor.MoveTo(OrdinalOf(row));
    return m_set.GetGuestRecord();
}

void CStayRows::erase(size_t row)
{
    if (row >= m_count)
        return;
    if (m_bMatchesOnly) {
        // The recordset's rows after the one that went move up by one.
        for (size_t i = row + 1; i < m_matches.size(); ++i)
            --m_matches[i];
        m_matches.erase(m_matches.begin() + long(row));
    }
    --m_count;
    m_cursor.Forget();
}
