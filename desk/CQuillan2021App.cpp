#include "CQuillan2021App.h"

#include <wx/docview.h>
#include <wx/msgdlg.h>
#include "CMainFrame.h"
#include "CMessageBox.h"
#include "CQuillan2021Doc.h"
#include "CQuillan2021View.h"
#include "LockSettings.h"
#include "MessageBox.h"
#include "Profile.h"
#include "UiLocale.h"
#include "SchemaUpgrade.h"

void BindMessageBoxesToWx()
{
    SetMessageBoxHandler([](const CString& text, const CString& caption, UINT style) {
        const UINT buttons = style & 0xF;
        long wxStyle = buttons == MB_YESNO ? wxYES_NO : buttons == MB_OKCANCEL ? (wxOK | wxCANCEL) : wxOK;
        if ((style & 0xF0) == MB_ICONQUESTION)
            wxStyle |= wxICON_QUESTION;
        else if ((style & 0xF0) == MB_ICONERROR)
            wxStyle |= wxICON_ERROR;
        else if ((style & 0xF0) == MB_ICONWARNING)
            wxStyle |= wxICON_WARNING;
        CMessageBox box(nullptr, text, caption, wxStyle | wxCENTRE);
        switch (box.ShowModal()) {
        case wxID_YES: return IDYES;
        case wxID_NO: return IDNO;
        case wxID_CANCEL: return IDCANCEL;
        default: return IDOK;
        }
    });
}

bool CQuillan2021App::OnInit()
{
    SetAppName("Quillan2021");
    // Before any window: the splash, the password prompt and their buttons.
    ApplyUiLocale(int(GetPrivateProfileIntW(L"LANGUAGE", L"Language", 0, kSettingsFile)));
    BindMessageBoxesToWx();
    m_bStarted = InitInstance() != FALSE;
    return true;
}

int CQuillan2021App::OnRun()
{
    return m_bStarted ? wxApp::OnRun() : 0;
}

int CQuillan2021App::OnExit()
{
    delete wxDocManager::GetDocumentManager();
    return ExitInstance();
}

bool CQuillan2021App::OnExceptionInMainLoop()
{
    // A database error in a command is shown with the driver's text and the
    // program goes on, as every handler leaves the tables consistent.
    try {
        throw;
    } catch (const CDBException& e) {
        e.ReportError();
        return true;
    }
}

bool CQuillan2021App::IsCommandIdRangeCheck(const wxChar* cond)
{
    return cond && wxString(cond).Contains("itemid < 0x7fff");
}

void CQuillan2021App::OnAssertFailure(const wxChar* file, int line, const wxChar* func, const wxChar* cond,
                                      const wxChar* msg)
{
    if (!IsCommandIdRangeCheck(cond))
        wxApp::OnAssertFailure(file, line, func, cond, msg);
}

BOOL CQuillan2021App::InitInstance()
{
    // Held until the process ends, however it ends.
    m_instanceLock = std::make_unique<InstanceLock>("Quillan2021");
    if (m_instanceLock->IsAnotherRunning())
        return FALSE;

    ReadLockSettings();
    m_bSettingsRead = true;

    if (!ProbeDataSources())
        CreateDataSources();
    // An early end leaves the shutdown (ExitInstance) to the framework, as any end does.
    if (!OpenDataSources() || !UpgradeSchema(*this) || !CreateBoard())
        return FALSE;
    GetTopWindow()->Show(true);
    GetTopWindow()->SetLabel(wxString::FromUTF8("青禾旅馆"));
    return TRUE;
}

// The single-document template: the main frame first (splash, language,
// password), then the document with its recordsets and the board in the frame.
bool CQuillan2021App::CreateBoard()
{
    // The program opens no files, so the manager keeps no recent-file list.
    auto* manager = new wxDocManager;
    manager->SetMaxDocsOpen(1);
    new wxDocTemplate(manager, "Quillan2021", "", "", "", "Quillan2021.Document", "Quillan2021.Document",
                      wxCLASSINFO(CQuillan2021Doc), wxCLASSINFO(CQuillan2021View));
    CMainFrame* frame = new CMainFrame(manager);
    SetTopWindow(frame);
    wxDocument* doc = manager->CreateDocument(wxString(), wxDOC_NEW);
    if (!doc) {
        frame->Destroy();
        return false;
    }
    wxStaticCast(doc->GetFirstView(), CQuillan2021View)->OnInitialUpdate();
    return true;
}

int CQuillan2021App::ExitInstance()
{
    CloseDataSources(*this);
    if (m_bSettingsRead) {
        SaveLockSettings();
        m_bSettingsRead = false;
    }
    return 0;
}

CQuillan2021App& GetTheApp()
{
    return *static_cast<CQuillan2021App*>(wxApp::GetInstance());
}
