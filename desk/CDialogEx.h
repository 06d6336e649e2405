// The base of the program's dialogs. EndDialog records the result and ends the
// dialog whether it runs modally or was driven without being shown (as the
// tests and the benchmark do), so the caller reads the same result either way.
#pragma once

#include <wx/dialog.h>

class CDialogEx : public wxDialog
{
public:
    using wxDialog::wxDialog;

    void EndDialog(int nResult)
    {
        SetReturnCode(nResult);
        wxDialog::EndDialog(nResult);
    }

protected:
    // For a dialog without a Cancel button: Escape ends it as its close box does.
    void CloseOnEscape()
    {
        Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
            if (event.GetKeyCode() == WXK_ESCAPE)
                Close();
            else
                event.Skip();
        });
    }
};
