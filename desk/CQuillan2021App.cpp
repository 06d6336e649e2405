#include "CQuillan2021App.h"

#include <cstring>
#include <wx/docview.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>
#include "CMainFrame.h"
#include "CMessageBox.h"
#include "CQuillan2021Doc.h"
#include "CQuillan2021View.h"
#include "Globals.h"
#include "LockSettings.h"
#include "MessageBox.h"
#include "Profile.h"
#include "SchemaUpgrade.h"
#include "UiLocale.h"
#include "Utf8Text.h"

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

CString InstanceLockFailedMessage(const std::string& path, int error)
{
    const CString sentence = UiText("无法使用本旅馆数据的锁文件：\n%s\n不能保证只有这一个程序在处理这些数据，所以程序不启动。",
                                    "The lock file of this hotel's data cannot be used:\n%s\nThe program cannot make "
                                    "sure that it alone works on that data, so it does not start.");
    return WithSystemText(wxString::Format(sentence, wxString::FromUTF8(path)),
                          wxString::FromUTF8(std::strerror(error)));
}

bool CQuillan2021App::OnInit()
{
    SetAppName("Quillan2021");
    // Before any window: the splash, the password prompt and their buttons.
    const int storedLanguage = int(GetPrivateProfileIntW(L"LANGUAGE", L"Language", 0, kSettingsFile));
    ApplyUiLocale(storedLanguage);
    BindMessageBoxesToWx();
    // Until the main frame takes the language over, messages follow the stored one.
    SetUiLanguageSource([storedLanguage] { return g_nLanguage != 0 ? g_nLanguage : storedLanguage; });
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
    // A database error in a command (also a table that cannot be read just
    // now) is reported, that nothing was done, with the driver's text, and the
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
    // An early end leaves the shutdown (ExitInstance) to the framework, as any end does.
    if (!ProbeDataSources())
        CreateDataSources();
    if (!OpenDataSources() || !LockTheHotel())
        return FALSE;

    ReadLockSettings();
    m_bSettingsRead = true;

    try {
        if (!UpgradeSchema(*this) || !CreateBoard())
            return FALSE;
    } catch (const CDBException& e) {
        // The rooms could not be read just now (a lock another program holds).
        e.ReportError();
        return FALSE;
    }
    GetTopWindow()->Show(true);
    GetTopWindow()->SetLabel(wxString::FromUTF8("青禾旅馆"));
    return TRUE;
}

// One copy per hotel: the lock lies beside the hotel's data, wherever the data
// sources point, so that it also holds between two logins sharing those files.
// A database server holds its own locks for its several desks: there the lock
// is the login's. A second copy ends without a word; a lock that cannot be
// taken is never passed over.
bool CQuillan2021App::LockTheHotel()
{
    CString folder = GetHotelDataFolder(*this);
    if (folder.empty())
        folder = wxGetHomeDir();
    // Held until the process ends, however it ends.
    m_instanceLock = std::make_unique<InstanceLock>(ToUtf8(folder), "Quillan2021.lock");
    if (m_instanceLock->IsHeld())
        return true;
    if (!m_instanceLock->IsAnotherRunning())
        AfxMessageBox(InstanceLockFailedMessage(m_instanceLock->GetPath(), m_instanceLock->GetError()),
                      MB_OK | MB_ICONERROR);
    return false;
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
