#include "FindNarrowing.h"

void FindNarrowing::AddEqual(const CString& column, const CString& text)
{
    if (text.empty())
        return;
    Add(column + " = ?");
    m_values.push_back(text);
}

void FindNarrowing::Add(const CString& condition)
{
    m_strWhere += (m_strWhere.empty() ? "" : " AND ") + condition;
}
