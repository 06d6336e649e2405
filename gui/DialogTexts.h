// Setting a dialog's texts from the language tables.
#pragma once

#include <wx/window.h>

// Gives control `id` of `dialog` the text; an empty text keeps the built-in one.
void SetControlLabel(wxWindow* dialog, int id, const wxString& text);
