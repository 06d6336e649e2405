// The program's one document: it holds no data of its own and is never saved;
// it owns the rooms and stays recordsets through which the board works.
#pragma once

#include <memory>
#include <wx/docview.h>
#include "CHouseset.h"
#include "CRegisterset.h"

class CQuillan2021Doc : public wxDocument
{
public:
    ~CQuillan2021Doc() override;

    // Opens both recordsets on the application's connections; FALSE, after
    // "打开数据库失败！", when either is refused.
    bool OnNewDocument() override;

    std::unique_ptr<CRegisterset> m_pRegisterset;
    std::unique_ptr<CHouseset> m_pHouseset;

private:
    void ReleaseRecordsets();

    wxDECLARE_DYNAMIC_CLASS(CQuillan2021Doc);
};
