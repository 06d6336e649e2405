// What a find asks the database for before it compares rows itself: the rows
// whose text columns hold exactly the texts looked for. The comparison of the
// find still decides, so the condition only has to keep every row it could
// take; an empty text asks for nothing, as an empty member may stand for an
// empty text or a NULL.
#pragma once

#include <vector>
#include "WinTypes.h"

class FindNarrowing
{
public:
    // Keeps the rows whose `column` equals `text`, when `text` is not empty.
    void AddEqual(const CString& column, const CString& text);
    // Keeps the rows that the program's own condition selects.
    void Add(const CString& condition);

    // The condition, empty when nothing narrows, and the values of its "?".
    const CString& Where() const { return m_strWhere; }
    const std::vector<CString>& Values() const { return m_values; }

private:
    CString m_strWhere;
    std::vector<CString> m_values;
};
