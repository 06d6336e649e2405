// The program's message box: the question, warning or error icon it is asked
// for, the toolkit's own buttons in the UI language, and at least the width
// at which its caption reads in full. To whoever answers message boxes in
// its place (the tests) it is a wxMessageDialog.
#pragma once

#include <memory>
#include <wx/msgdlg.h>

class CMessageBox : public wxMessageDialog
{
public:
    CMessageBox(wxWindow* parent, const wxString& text, const wxString& caption, long style);

    int ShowModal() override;
};

// The window a message box shows, laid out but not shown.
std::unique_ptr<wxDialog> BuildMessageBoxWindow(wxWindow* parent, const wxString& text, const wxString& caption,
                                                long style);

// The least width of a window whose title bar shows `caption` whole beside its buttons.
int CaptionWidth(const wxString& caption);
