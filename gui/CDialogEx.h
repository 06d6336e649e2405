// The base of the program's dialogs. EndDialog records the result and ends the
// dialog whether it runs modally or was driven without being shown (as the
// tests and the benchmark do), so the caller reads the same result either way.
#pragma once

#include <wx/dialog.h>
#include "CDBException.h"
#include "OpenFailure.h"

class CDialogEx : public wxDialog
{
public:
    using wxDialog::wxDialog;

    void EndDialog(int nResult)
    {
        SetReturnCode(nResult);
        wxDialog::EndDialog(nResult);
    }

    // A dialog reads its lists as it opens. A database that cannot serve just
    // then (a lock another program holds, a full disk) is reported, and the
    // dialog ends as cancelled instead of standing half filled.
    void InitDialog() override
    {
        try {
            wxDialog::InitDialog();
        } catch (const CDBException& e) {
            e.ReportError();
            CallAfter([this] { EndDialog(wxID_CANCEL); });
        }
    }

protected:
    // What follows when a table the dialog needs would not open.
    enum class AfterOpenFailure { endDialog, endDialogAndQuit };
    // Tells the clerk; once the current event is handled, the dialog ends as
    // cancelled, and with endDialogAndQuit the run ends after it.
    void EndForOpenFailure(AfterOpenFailure after)
    {
        ReportOpenFailure();
        CallAfter([this, after] {
            EndDialog(wxID_CANCEL);
            if (after == AfterOpenFailure::endDialogAndQuit)
                QuitAfterOpenFailure();
        });
    }

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
