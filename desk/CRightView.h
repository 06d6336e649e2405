// The right-hand docking pane of the main window: it holds the room detail
// panel and keeps it at the pane's size.
#pragma once

#include <wx/panel.h>

class CDlgRightView;

enum { kRightViewId = 0x1010 };

class CRightView : public wxPanel
{
public:
    explicit CRightView(wxWindow* parent);

    CDlgRightView* GetPanel() const { return m_pPanel; }

    // The pane's size as it is created; its height follows the frame.
    static wxSize GetPanelSize();
    // The least the clerk can make it.
    static wxSize GetMinPanelSize();

private:
    CDlgRightView* m_pPanel;
};
