#include "OpenFailure.h"

#include <wx/app.h>
#include "MessageBox.h"
#include "RecordsetUse.h"

void ReportOpenFailure()
{
    AfxMessageBox(OpenFailedMessage());
}

void QuitAfterOpenFailure()
{
    if (wxTheApp)
        wxTheApp->ExitMainLoop();
}

void ReportOpenFailureAndQuit()
{
    ReportOpenFailure();
    QuitAfterOpenFailure();
}
