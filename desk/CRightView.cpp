#include "CRightView.h"

#include <wx/sizer.h>
#include "CDlgRightView.h"

CRightView::CRightView(wxWindow* parent)
    : wxPanel(parent, kRightViewId, wxDefaultPosition, GetPanelSize(parent)), m_pPanel(new CDlgRightView(this))
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pPanel, 1, wxEXPAND);
    SetSizer(sizer);
}

wxSize CRightView::GetPanelSize(wxWindow* window)
{
    return window->ConvertDialogToPixels(wxSize(310, 175));
}
