// The about box: the program's pictures and its version line, the same in both languages.
#pragma once

#include <wx/dialog.h>

class CAboutDlg : public wxDialog
{
public:
    explicit CAboutDlg(wxWindow* parent);
};
