// What the two pages of the import/export dialog share: an import path with
// its "打开" (Open) button, an export path with its "保存" (Save) button and a
// progress bar. Each button asks for its file with a file dialog; the edits
// show the path last chosen.
#pragma once

#include <wx/panel.h>

#include "CsvTransfer.h"
#include "WinTypes.h"

class wxGauge;

enum : int {
    IDC_IE_TAB = 1048,
    IDC_IE_IMPORT_LABEL = 1052,
    IDC_IE_IMPORT_PATH = 1029,
    IDC_IE_IMPORT = 1032,
    IDC_IE_EXPORT_LABEL = 1051,
    IDC_IE_EXPORT_PATH = 1030,
    IDC_IE_EXPORT = 1033,
    IDC_IE_PROGRESS = 1034,
};

// "Can't open file " and the path, in both languages.
CString CantOpenFileMessage(const CString& path);
// The export could not be written in full (a full disk, a lost device): it
// says, in the UI language, that the file of that name was left as it was.
CString CantWriteFileMessage(const CString& path, int language);
// The file chosen for an import is no regular file (a FIFO, a device), which
// is never read: reading it could wait without end.
CString NotRegularFileMessage(const CString& path, int language);
// Asked before an export replaces an existing file.
CString ReplaceFileQuestion(const CString& path, int language);
// Why a file with a row that cannot be read was not imported, naming the line
// of the file; `fields` is the number of fields of the page's format.
CString UnreadableRowMessage(const CsvImportResult& result, size_t fields, int language);

class CCsvPage : public wxPanel
{
public:
    explicit CCsvPage(wxWindow* parent);

    CString m_strExportPath;  // shown in edit 1030
    CString m_strImportPath;  // shown in edit 1029
    wxGauge* m_progress = nullptr;

    // Button 1032: asks what MayImport asks, then for the file, and imports it.
    void OnImport();
    // Button 1033: asks for the file and exports to it.
    void OnExport();

    // The transfers themselves, between the page's table and the file at
    // `path`, without any dialog of their own but their messages. True when
    // the command ran to its end. An import stores the whole file or, when a
    // row cannot be read or a write fails, nothing of it; each row is a new
    // one, compared with nothing already stored.
    bool ImportFrom(const CString& path);
    bool ExportTo(const CString& path);

    // true: the edits into the two paths; false: the paths into the edits.
    void UpdateData(bool bSaveAndValidate = true);

protected:
    // Runs before the import chooses its file; false ends the import.
    virtual bool MayImport() { return true; }

    // What sets the pages apart: their table as its file holds it, and the message.
    virtual CsvTable Table() = 0;
    // The file is not of this page's kind.
    virtual CString WrongFileMessage() const = 0;

    // Opens the table unless it is open. When the database refuses, the clerk
    // is told and the program ends once control returns to the event loop;
    // false then. The pages open theirs to append only (which reads no row)
    // until an export needs the rows: a large table costs nothing while the
    // dialog is merely open.
    static bool OpenTable(CRecordset& set, DWORD options = CRecordset::appendOnly);
    void StartProgress();
    // Moves the bar and repaints the dialog at once: a transfer keeps the
    // event loop waiting until it ends, and the clerk should see it go on.
    void ShowProgress(int percent);

    // A transfer is running: the buttons start no other meanwhile.
    bool m_bTransferring = false;

private:
    // Why an import that stored nothing was refused.
    CString ImportRefusalMessage(const CsvImportResult& result, const CString& path, size_t fields) const;
    void OnImportButton(wxCommandEvent& event);
    void OnExportButton(wxCommandEvent& event);
    // The file dialog; empty when cancelled.
    CString AskPath(bool save);
};
