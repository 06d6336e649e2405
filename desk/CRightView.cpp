#include "CRightView.h"

#include <wx/sizer.h>
#include "CDlgRightView.h"

CRightView::CRightView(wxWindow* parent)
    : wxPanel(parent, kRightViewId, wxDefaultPosition, GetPanelSize()), m_pPanel(new CDlgRightView(this))
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pPanel, 1, wxEXPAND);
    SetSizer(sizer);
}

wxSize CRightView::GetPanelSize()
{
    // Wide enough for the 350-pixel clock with a margin on either side.
    return wxSize(400, 240);
}

wxSize CRightView::GetMinPanelSize()
{
    // Room for the card's lines, which start 80 pixels in.
    return wxSize(200, 240);
}
