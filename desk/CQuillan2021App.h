// The application object: start-up in a fixed order, the three connections
// for the whole run, and shutdown.
#pragma once

#include <memory>
#include <wx/app.h>
#include "DataSources.h"
#include "InstanceLock.h"

class CQuillan2021App : public wxApp, public DataConnections
{
public:
    // Runs InitInstance. A start-up that ends early still returns true, so that
    // the shutdown (OnExit) runs and the process ends with the class library's
    // exit code, 0, instead of wx's -1 for a failed initialisation.
    bool OnInit() override;
    int OnRun() override;
    int OnExit() override;
    // InitInstance went through: the main window is up and the loop runs.
    bool HasStarted() const { return m_bStarted; }

    // The program's command ids (32772 and up, 57600 and up) lie above the range
    // wx's menu check expects, though wx handles them; that one check is passed over.
    void OnAssertFailure(const wxChar* file, int line, const wxChar* func, const wxChar* cond,
                         const wxChar* msg) override;
    static bool IsCommandIdRangeCheck(const wxChar* cond);
    bool OnExceptionInMainLoop() override;

    BOOL InitInstance();
    int ExitInstance();

    BOOL ProbeDataSources() { return ::ProbeDataSources(*this); }
    void CreateDataSources() { ::CreateDataSources(*this); }
    BOOL OpenDataSources() { return ::OpenDataSources(*this); }

private:
    bool LockTheHotel();
    bool CreateBoard();

    std::unique_ptr<InstanceLock> m_instanceLock;
    bool m_bStarted = false;
    // Set once the settings were read, so that a copy that ended before that
    // never writes its defaults over the settings of the running copy.
    bool m_bSettingsRead = false;
};

// The running application object, whose connections every recordset is built on.
CQuillan2021App& GetTheApp();

// Shows message boxes of platform/ and data/ through wxMessageBox.
void BindMessageBoxesToWx();

// Why the program does not start when the lock file at `path` cannot be used
// (errno `error`), in the UI language.
CString InstanceLockFailedMessage(const std::string& path, int error);
