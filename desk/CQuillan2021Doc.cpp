#include "CQuillan2021Doc.h"

#include "BoardOrder.h"
#include "CQuillan2021App.h"
#include "OpenFailure.h"
#include "RecordsetUse.h"

wxIMPLEMENT_DYNAMIC_CLASS(CQuillan2021Doc, wxDocument);

CQuillan2021Doc::~CQuillan2021Doc()
{
    ReleaseRecordsets();
}

// A recordset closes itself when it is destroyed.
void CQuillan2021Doc::ReleaseRecordsets()
{
    m_pHouseset.reset();
    m_pRegisterset.reset();
}

bool CQuillan2021Doc::OnNewDocument()
{
    if (!wxDocument::OnNewDocument())
        return false;
    ReleaseRecordsets();
    CQuillan2021App& app = GetTheApp();
    m_pHouseset = std::make_unique<CHouseset>(&app.m_dbHotel);
    m_pRegisterset = std::make_unique<CRegisterset>(&app.m_dbRegister);
    // The board lists the rooms in its own order; the document's rooms follow it.
    m_pHouseset->m_strSort = BoardSortText();
    // Nothing reads the document's stays: opening them only proves the table is
    // there, without reading the whole history at every start.
    if (TryOpen(*m_pHouseset) && TryOpen(*m_pRegisterset, CRecordset::appendOnly))
        return true;
    ReportOpenFailure();
    return false;
}
