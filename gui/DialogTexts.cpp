#include "DialogTexts.h"

void SetControlLabel(wxWindow* dialog, int id, const wxString& text)
{
    if (text.empty())
        return;
    if (wxWindow* control = dialog->FindWindow(id))
        control->SetLabel(text);
}
