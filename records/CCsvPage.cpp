#include "CCsvPage.h"

#include <wx/evtloop.h>
#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/gauge.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "CCsvReader.h"
#include "Database.h"
#include "DialogTexts.h"
#include "Globals.h"
#include "MessageBox.h"
#include "OpenFailure.h"
#include "RecordsetUse.h"
#include "TextFields.h"
#include "UndoneOperation.h"

namespace {

const char* const kCsvFilter = "CSV File(*.csv)|*.csv";

// Marks a page busy for as long as a transfer runs.
class Transferring
{
public:
    explicit Transferring(bool& flag) : m_flag(flag) { m_flag = true; }
    ~Transferring() { m_flag = false; }
    Transferring(const Transferring&) = delete;
    Transferring& operator=(const Transferring&) = delete;

private:
    bool& m_flag;
};

}  // namespace

CString CantOpenFileMessage(const CString& path)
{
    return "Can't open file " + path;
}

CString CantWriteFileMessage(const CString& path, int language)
{
    if (language == 2)
        return "Can't write file " + path + ": the export was not done, and the file that was there has not changed.";
    return wxString::FromUTF8("无法写入文件 ") + path + wxString::FromUTF8("：导出没有完成，原来的文件没有改动。");
}

CString NotRegularFileMessage(const CString& path, int language)
{
    if (language == 2)
        return path + " is not a regular file: nothing was imported.";
    return path + wxString::FromUTF8(" 不是普通文件，没有导入任何记录。");
}

CString ReplaceFileQuestion(const CString& path, int language)
{
    if (language == 2)
        return path + " already exists.\nDo you want to replace it?";
    return path + wxString::FromUTF8(" 已存在。\n要替换它吗？");
}

namespace {

// Why the row cannot be read, to follow "Line n cannot be read: ".
CString UnreadableRowReason(const CsvImportResult& r, size_t fields, bool english)
{
    const char* encoding = r.utf8 ? "UTF-8" : "GBK";
    switch (r.kind) {
    case CsvImportResult::fieldCount:
        return english ? wxString::Format("it has %zu fields instead of %zu", r.fields, fields)
                       : wxString::Format(wxString::FromUTF8("有%zu个字段，应为%zu个"), r.fields, fields);
    case CsvImportResult::tooManyFields:
        return english ? wxString::Format("it has more than %zu fields", fields)
                       : wxString::Format(wxString::FromUTF8("字段多于%zu个"), fields);
    case CsvImportResult::unclosedQuote:
        return english ? wxString("a field in quotes has no closing quote")
                       : wxString::FromUTF8("引号中的字段没有结束的引号");
    case CsvImportResult::nulByte:
        return english ? wxString("it holds a NUL byte, which no text file holds")
                       : wxString::FromUTF8("含有空字节（NUL），不是文本文件");
    case CsvImportResult::rowTooLong:
        return english ? wxString::Format("it is longer than %zu KB", CCsvReader::kMaxRowBytes / 1024)
                       : wxString::Format(wxString::FromUTF8("长度超过%zu KB"), CCsvReader::kMaxRowBytes / 1024);
    case CsvImportResult::notText:
        return english ? wxString::Format("field %zu is not %s text", r.field, encoding)
                       : wxString::Format(wxString::FromUTF8("第%zu个字段不是%s编码的文字"), r.field, encoding);
    case CsvImportResult::notDate:
        return english ? wxString::Format("field %zu is not a date", r.field)
                       : wxString::Format(wxString::FromUTF8("第%zu个字段不是日期"), r.field);
    default:
        return CString();
    }
}

}  // namespace

CString UnreadableRowMessage(const CsvImportResult& result, size_t fields, int language)
{
    const bool english = language == 2;
    const CString reason = UnreadableRowReason(result, fields, english);
    if (english)
        return wxString::Format("Line %ld cannot be read: %s. Nothing of the file was imported.", result.line,
                                reason);
    return wxString::Format(wxString::FromUTF8("第%ld行无法读取：%s。文件中的记录都没有导入。"), result.line, reason);
}

CCsvPage::CCsvPage(wxWindow* parent) : wxPanel(parent, wxID_ANY)
{
    // The same controls and places on both pages, in dialog units.
    auto du = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
    auto dus = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };

    new wxStaticText(this, IDC_IE_IMPORT_LABEL, wxString::FromUTF8("导入："), du(22, 16), dus(29, 8));
    new wxTextCtrl(this, IDC_IE_IMPORT_PATH, wxEmptyString, du(53, 14), dus(142, 14));
    LimitText(FindWindow(IDC_IE_IMPORT_PATH), kPathChars);
    new wxButton(this, IDC_IE_IMPORT, wxString::FromUTF8("打开"), du(207, 13), dus(50, 14));
    new wxStaticText(this, IDC_IE_EXPORT_LABEL, wxString::FromUTF8("导出："), du(22, 42), dus(28, 8));
    new wxTextCtrl(this, IDC_IE_EXPORT_PATH, wxEmptyString, du(53, 39), dus(142, 14));
    LimitText(FindWindow(IDC_IE_EXPORT_PATH), kPathChars);
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
    // The replace question is the page's own, asked once about the very file
    // that will be written and in the program's language, not the toolkit's.
    const long style = save ? wxFD_SAVE : (wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    wxFileDialog dialog(this, title, wxFileName::GetHomeDir(), wxString(), kCsvFilter, style);
    if (dialog.ShowModal() != wxID_OK)
        return CString();
    // The chooser's folder is the one it showed, not the one of a path typed
    // in full: only the path names the file chosen. The chooser knows it only
    // once it was shown; a dialog answered unseen holds the path it was given.
    CString path = dialog.GetPath();
    if (path.empty())
        path = dialog.wxFileDialogBase::GetPath();
    if (!save)
        return path;
    // A name typed without its extension gets the filter's, so that the open
    // dialog lists the file later.
    if (wxFileName(path).GetExt().empty())
        path += ".csv";
    if (wxFileName::FileExists(path) &&
        AfxMessageBox(ReplaceFileQuestion(path, g_nLanguage), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return CString();
    return path;
}

// The edits only show the paths: every command asks for its file.
void CCsvPage::OnImport()
{
    if (m_bTransferring || !MayImport())
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
    if (m_bTransferring)
        return;
    const CString path = AskPath(true);
    if (path.empty())
        return;
    m_strExportPath = path;
    UpdateData(false);
    ExportTo(path);
}

bool CCsvPage::OpenTable(CRecordset& set, DWORD options)
{
    if (TryOpen(set, options))
        return true;
    ReportOpenFailureAndQuit();
    return false;
}

void CCsvPage::StartProgress()
{
    m_progress->SetRange(100);
    ShowProgress(0);
}

void CCsvPage::ShowProgress(int percent)
{
    m_progress->SetValue(percent);
    // The toolkit draws the bar in its own paint cycle, which Update does not
    // run: let the event loop paint (the window repaints what was covered too)
    // while the clerk's clicks and keys wait until the transfer is over.
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive())
        loop->YieldFor(wxEVT_CATEGORY_UI);
}

bool CCsvPage::ExportTo(const CString& path)
{
    const Transferring busy(m_bTransferring);
    // The chosen file is replaced only by a whole export: a full disk or a
    // kill leaves it as it was.
    CCsvFile file;
    if (!file.Open(path.ToStdWstring(), CCsvFile::modeReplace)) {
        AfxMessageBox(CantOpenFileMessage(path), MB_OK);
        return false;
    }
    const CsvTable table = Table();
    // The rows as they are now, not as they were when the dialog opened.
    CloseIfOpen(table.set);
    if (!OpenTable(table.set, CRecordset::none))
        return false;

    StartProgress();
    bool written = false;
    try {
        written = ExportCsv(table, file, [this](int percent) { ShowProgress(percent); });
    } catch (const CDBException& e) {
        CloseIfOpen(table.set);
        ShowProgress(0);
        e.ReportError();
        return false;
    }
    CloseIfOpen(table.set);
    if (!written) {
        ShowProgress(0);
        AfxMessageBox(CantWriteFileMessage(path, g_nLanguage), MB_OK);
        return false;
    }
    return true;
}

CString CCsvPage::ImportRefusalMessage(const CsvImportResult& result, const CString& path, size_t fields) const
{
    switch (result.kind) {
    case CsvImportResult::notRegularFile:
        return NotRegularFileMessage(path, g_nLanguage);
    case CsvImportResult::notOfThisKind:
        // A file that cannot be read gives no rows, and is refused as of the wrong kind.
        return WrongFileMessage();
    default:
        return UnreadableRowMessage(result, fields, g_nLanguage);
    }
}

bool CCsvPage::ImportFrom(const CString& path)
{
    const Transferring busy(m_bTransferring);
    const CsvTable table = Table();
    if (!OpenTable(table.set))
        return false;
    StartProgress();
    CsvImportResult result;
    try {
        result = ImportCsv(table, path, [this](int percent) { ShowProgress(percent); });
    } catch (const CDBException& e) {
        // The import is undone as a desk operation is: the clerk is told so
        // in the UI language, above the driver's reason.
        CloseIfOpen(table.set);
        ShowProgress(0);
        ReportUndoneOperation(e);
        return false;
    }
    CloseIfOpen(table.set);
    if (result.kind == CsvImportResult::imported)
        return true;
    ShowProgress(0);
    AfxMessageBox(ImportRefusalMessage(result, path, table.fields), MB_OK);
    return false;
}
