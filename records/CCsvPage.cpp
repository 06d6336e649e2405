#include "CCsvPage.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/gauge.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "CCsvFile.h"
#include "CsvRecords.h"
#include "Database.h"
#include "DialogTexts.h"
#include "Globals.h"
#include "MessageBox.h"
#include "RecordsetUse.h"

namespace {

const char* const kCsvFilter = "CSV File(*.csv)|*.csv";

}  // namespace

CString CantOpenFileMessage(const CString& path)
{
    return "Can't open file " + path;
}

CString CantWriteFileMessage(const CString& path)
{
    return "Can't write file " + path;
}

CString ReplaceFileQuestion(const CString& path, int language)
{
    if (language == 2)
        return path + " already exists.\nDo you want to replace it?";
    return path + wxString::FromUTF8(" 已存在。\n要替换它吗？");
}

CCsvPage::CCsvPage(wxWindow* parent) : wxPanel(parent, wxID_ANY)
{
    // The same controls and places on both pages, in dialog units.
    auto du = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
    auto dus = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };

    new wxStaticText(this, IDC_IE_IMPORT_LABEL, wxString::FromUTF8("导入："), du(22, 16), dus(29, 8));
    new wxTextCtrl(this, IDC_IE_IMPORT_PATH, wxEmptyString, du(53, 14), dus(142, 14));
    new wxButton(this, IDC_IE_IMPORT, wxString::FromUTF8("打开"), du(207, 13), dus(50, 14));
    new wxStaticText(this, IDC_IE_EXPORT_LABEL, wxString::FromUTF8("导出："), du(22, 42), dus(28, 8));
    new wxTextCtrl(this, IDC_IE_EXPORT_PATH, wxEmptyString, du(53, 39), dus(142, 14));
    new wxButton(this, IDC_IE_EXPORT, wxString::FromUTF8("保存"), du(207, 40), dus(50, 14));
    m_progress = new wxGauge(this, IDC_IE_PROGRESS, 100, du(23, 77), dus(235, 14));
    // Room below and beside the bar, as the page's template has.
    SetMinSize(dus(284, 100));

    if (g_nLanguage == 2) {
        SetControlLabel(this, IDC_IE_IMPORT_LABEL, "Import:");
        SetControlLabel(this, IDC_IE_EXPORT_LABEL, "Export:");
        SetControlLabel(this, IDC_IE_IMPORT, "Open");
        SetControlLabel(this, IDC_IE_EXPORT, "Save");
    }

    Bind(wxEVT_BUTTON, &CCsvPage::OnImportButton, this, IDC_IE_IMPORT);
    Bind(wxEVT_BUTTON, &CCsvPage::OnExportButton, this, IDC_IE_EXPORT);
}

void CCsvPage::UpdateData(bool bSaveAndValidate)
{
    auto* importEdit = wxDynamicCast(FindWindow(IDC_IE_IMPORT_PATH), wxTextCtrl);
    auto* exportEdit = wxDynamicCast(FindWindow(IDC_IE_EXPORT_PATH), wxTextCtrl);
    if (bSaveAndValidate) {
        m_strImportPath = importEdit->GetValue();
        m_strExportPath = exportEdit->GetValue();
    } else {
        importEdit->ChangeValue(m_strImportPath);
        exportEdit->ChangeValue(m_strExportPath);
    }
}

void CCsvPage::OnImportButton(wxCommandEvent&)
{
    OnImport();
}

void CCsvPage::OnExportButton(wxCommandEvent&)
{
    OnExport();
}

CString CCsvPage::AskPath(bool save)
{
    const bool english = g_nLanguage == 2;
    const wxString title = save ? (english ? wxString("Save As") : wxString::FromUTF8("另存为"))
                                : (english ? wxString("Open") : wxString::FromUTF8("打开"));
    const long style = save ? (wxFD_SAVE | wxFD_OVERWRITE_PROMPT) : (wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    wxFileDialog dialog(this, title, wxString(), wxString(), kCsvFilter, style);
    if (dialog.ShowModal() != wxID_OK)
        return CString();
    // The folder and the name make the same path as GetPath once the dialog
    // was shown, and also when it was answered without being shown.
    CString path = wxFileName(dialog.GetDirectory(), dialog.GetFilename()).GetFullPath();
    if (save && wxFileName(path).GetExt().empty()) {
        // A name typed without its extension gets the filter's, so that the
        // open dialog lists the file later. The dialog asked about replacing
        // the name as typed, so a file of the new name is asked about here.
        path += ".csv";
        if (wxFileName::FileExists(path) &&
            AfxMessageBox(ReplaceFileQuestion(path, g_nLanguage), MB_YESNO | MB_ICONQUESTION) != IDYES)
            return CString();
    }
    return path;
}

// The edits only show the paths: every command asks for its file.
void CCsvPage::OnImport()
{
    if (!MayImport())
        return;
    const CString path = AskPath(false);
    if (path.empty())
        return;
    m_strImportPath = path;
    UpdateData(false);
    ImportFrom(path);
}

void CCsvPage::OnExport()
{
    const CString path = AskPath(true);
    if (path.empty())
        return;
    m_strExportPath = path;
    UpdateData(false);
    ExportTo(path);
}

bool CCsvPage::OpenTable(CRecordset& set)
{
    if (TryOpen(set))
        return true;
    AfxMessageBox(OpenFailedMessage());
    wxTheApp->ExitMainLoop();
    return false;
}

void CCsvPage::StartProgress()
{
    m_progress->SetRange(100);
    m_progress->SetValue(0);
}

void CCsvPage::SetProgress(long done, long total)
{
    m_progress->SetValue(total > 0 ? int(100 * done / total) : 100);
}

bool CCsvPage::ExportTo(const CString& path)
{
    CCsvFile file;
    if (!file.Open(path.ToStdWstring(), CCsvFile::modeWrite)) {
        AfxMessageBox(CantOpenFileMessage(path), MB_OK);
        return false;
    }
    CRecordset& set = Table();
    if (!OpenTable(set))
        return false;

    StartProgress();
    bool written = file.WriteLine(CsvHeader());
    try {
        const long total = set.GetRecordCount();
        long done = 0;
        for (set.MoveFirst(); written && !set.IsEOF(); set.MoveNext()) {
            written = file.WriteLine(CsvLine());
            // Full once the last row is written: no message says that the export is done.
            SetProgress(++done, total);
        }
    } catch (const CDBException& e) {
        e.ReportError();
        CloseIfOpen(set);
        return false;
    }
    CloseIfOpen(set);
    if (!file.Close() || !written) {
        AfxMessageBox(CantWriteFileMessage(path), MB_OK);
        return false;
    }
    SetProgress(1, 1);
    return true;
}

bool CCsvPage::ImportFrom(const CString& path)
{
    CRecordset& set = Table();
    if (!OpenTable(set))
        return false;
    // A file that cannot be read gives no rows, and is refused as of the wrong kind.
    std::vector<CsvRow> rows;
    CCsvFile file;
    file.ReadAll(CsvFileSystemName(path.ToStdWstring()), rows);
    if (!CsvRowsFit(rows, CsvFields())) {
        CloseIfOpen(set);
        AfxMessageBox(WrongFileMessage(), MB_OK);
        return false;
    }

    StartProgress();
    const long count = long(rows.size());
    // The rows go into the file together, in one commit; those stored before
    // an error are kept, as they would be one by one.
    CDatabase& db = *set.m_pDatabase;
    db.BeginTrans();
    try {
        for (long k = 1; k < count; ++k) {  // row 0 is the header
            set.AddNew();
            SetFromCsv(rows[k]);
            set.Update();
            SetProgress(k + 1, count);
        }
        db.CommitTrans();
    } catch (const CDBException& e) {
        db.CommitTrans();
        e.ReportError();
        CloseIfOpen(set);
        return false;
    }
    CloseIfOpen(set);
    SetProgress(1, 1);
    return true;
}
