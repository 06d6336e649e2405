// The import/export dialog with its two pages: an export and an import of the
// same file on each page (exact bytes, rows read back), the password in front
// of the cash-book import, files of the wrong kind, and exports that fail.
// The real buttons are pressed and their file dialogs answered.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <gtk/gtk.h>
#include <wx/filedlg.h>
#include <wx/gauge.h>
#include <wx/msgdlg.h>
#include <wx/notebook.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include "CAccountBookDlg.h"
#include "CCashbookset.h"
#include "CCustomerDlg.h"
#include "CCsvPage.h"
#include "CIEDlg.h"
#include "CMainFrame.h"
#include "CPasswordDlg.h"
#include "CQuillan2021App.h"
#include "CQuillan2021View.h"
#include "CRegisterset.h"
#include "CodePage.h"
#include "DialogDrivers.h"
#include "Globals.h"
#include "GuiTestSupport.h"
#include "LockSettings.h"
#include "SqliteFiles.h"

namespace {

namespace fs = std::filesystem;

wxString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

std::string Gbk(const char* utf8)
{
    return ToCodePage(U(utf8), CP_OEMCP);
}

CString Seconds(const COleDateTime& t)
{
    return t.Format("%Y-%m-%d %H:%M:%S");
}

// ------------------------------------------------------------- tables

struct CashRow
{
    CString room, name, time, paid, deposit, amount;
    BOOL status = FALSE;
    bool operator==(const CashRow& o) const
    {
        return room == o.room && name == o.name && time == o.time && paid == o.paid && deposit == o.deposit &&
               amount == o.amount && status == o.status;
    }
};

void PrintTo(const CashRow& r, std::ostream* os)
{
    *os << r.room.utf8_str() << "," << r.name.utf8_str() << "," << r.time.utf8_str() << "," << r.paid.utf8_str()
        << "," << r.deposit.utf8_str() << "," << r.amount.utf8_str() << "," << r.status;
}

std::vector<CashRow> ReadCashBook()
{
    CCashbookset rs(&GetTheApp().m_dbCashbook);
    rs.Open(CRecordset::dynaset);
    std::vector<CashRow> rows;
    for (; !rs.IsEOF(); rs.MoveNext())
        rows.push_back({rs.m_strRoomNo, rs.m_strName, Seconds(rs.m_dtTime), rs.m_strPaid, rs.m_strDeposit,
                        rs.m_strAmount, rs.m_bStatus});
    return rows;
}

struct Stay
{
    CString room, name, nation, birth, checkIn, checkOut, idNumber, nativePlace, remarks, paid, deposit;
    BOOL man = FALSE;
    bool running = false;
};

std::vector<Stay> ReadStays()
{
    CRegisterset rs(&GetTheApp().m_dbRegister);
    rs.Open(CRecordset::dynaset);
    std::vector<Stay> stays;
    for (; !rs.IsEOF(); rs.MoveNext())
        stays.push_back({rs.m_strRoomNo, rs.m_strName, rs.m_strNation, Seconds(rs.m_dtBirth),
                         Seconds(rs.m_dtCheckIn), Seconds(rs.m_dtCheckOut), rs.m_strIdNumber, rs.m_strNativePlace,
                         rs.m_strRemarks, rs.m_strPaid, rs.m_strDeposit, rs.m_bSex,
                         rs.m_dtCheckOut.GetStatus() == COleDateTime::null});
    return stays;
}

void ExpectSameStay(const Stay& copy, const Stay& original)
{
    EXPECT_EQ(copy.room, original.room);
    EXPECT_EQ(copy.name, original.name);
    EXPECT_EQ(copy.man, original.man);
    EXPECT_EQ(copy.nation, original.nation);
    EXPECT_EQ(copy.birth, original.birth);
    EXPECT_EQ(copy.checkIn, original.checkIn);
    EXPECT_EQ(copy.checkOut, original.checkOut);
    EXPECT_EQ(copy.running, original.running);
    EXPECT_EQ(copy.idNumber, original.idNumber);
    EXPECT_EQ(copy.nativePlace, original.nativePlace);
    EXPECT_EQ(copy.paid, original.paid);
    EXPECT_EQ(copy.deposit, original.deposit);
}

// ------------------------------------------------------------- the pages

wxString EditText(wxWindow* page, int id)
{
    return DialogDriving::TextOf(page, id);
}

void Press(wxWindow* page, int id)
{
    EXPECT_TRUE(DialogDriving::PressButton(page, id)) << "button " << id;
}

// The file dialog of a command, answered with `path`.
wxExpectModal<wxFileDialog> Choosing(const std::string& path)
{
    return wxExpectModal<wxFileDialog>(wxString::FromUTF8(path));
}

// Presses Open or Save and chooses `path` in the file dialog.
void Transfer(wxWindow* page, int button, const std::string& path)
{
    wxTEST_DIALOG(Press(page, button), Choosing(path));
}

int Progress(wxWindow* page)
{
    auto* bar = wxDynamicCast(page->FindWindow(IDC_IE_PROGRESS), wxGauge);
    return bar ? bar->GetValue() : -1;
}

// Every test starts in Chinese with empty stays and cash book, no lock, and a
// folder of its own for the files.
class ImportExport : public testing::Test
{
protected:
    void SetUp() override
    {
        if (g_nLanguage != 1)
            View()->OnLanguageChinese();
        GetTheApp().m_dbCashbook.ExecuteSQL("DELETE FROM [cashbook]");
        GetTheApp().m_dbRegister.ExecuteSQL("DELETE FROM [register]");
        m_savedLocks = g_lockSettings;
        g_lockSettings.m_bCashBookLock = false;
        m_folder = GuiEnvironment().Folder() + "/csv";
        fs::create_directories(m_folder);
    }
    void TearDown() override
    {
        g_lockSettings = m_savedLocks;
        if (g_nLanguage != 1)
            View()->OnLanguageChinese();
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    std::string PathOf(const char* name) const { return m_folder + "/" + name; }
    std::string Write(const char* name, const std::string& bytes) const
    {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
        return PathOf(name);
    }

    void SeedCashBook(const char* values)
    {
        GetTheApp().m_dbCashbook.ExecuteSQL(
            U("INSERT INTO [cashbook]([房间号],[姓名],[时间],[交钱],[押金],[交易金额],[状态]) VALUES ") + U(values));
    }

    LockSettings m_savedLocks;
    std::string m_folder;
};

const char* const kCashHeader = "房间号,姓名,时间,交钱,押金,金额,状态\r";
const char* const kGuestHeader = "房间号,姓名,性别,民族,生日,入住时间,退房时间,证件号,地址,职务备注,交钱,押金\r";

}  // namespace

TEST_F(ImportExport, OpensOnTheGuestRecordsTabInTheUiLanguage)
{
    {
        CIEDlg dialog(MainFrame());
        EXPECT_EQ(dialog.GetTitle(), U("导入导出"));
        ASSERT_EQ(dialog.m_tab->GetPageCount(), 2u);
        EXPECT_EQ(dialog.m_tab->GetSelection(), 0);
        EXPECT_EQ(dialog.m_tab->GetPage(0), dialog.m_dlgCustomer);
        EXPECT_EQ(dialog.m_tab->GetPageText(1), U("账本记录"));
        EXPECT_EQ(dialog.m_dlgAccountBook->FindWindow(IDC_IE_IMPORT)->GetLabel(), U("打开"));
    }
    View()->OnLanguageEnglish();
    CIEDlg dialog(MainFrame());
    EXPECT_EQ(dialog.GetTitle(), "ImportExport");
    EXPECT_EQ(dialog.m_tab->GetPageText(0), "Customer Record");
    EXPECT_EQ(dialog.m_tab->GetPageText(1), "CashBook Record");
    for (wxWindow* page : {static_cast<wxWindow*>(dialog.m_dlgCustomer), static_cast<wxWindow*>(dialog.m_dlgAccountBook)}) {
        EXPECT_EQ(page->FindWindow(IDC_IE_IMPORT_LABEL)->GetLabel(), "Import:");
        EXPECT_EQ(page->FindWindow(IDC_IE_EXPORT_LABEL)->GetLabel(), "Export:");
        EXPECT_EQ(page->FindWindow(IDC_IE_IMPORT)->GetLabel(), "Open");
        EXPECT_EQ(page->FindWindow(IDC_IE_EXPORT)->GetLabel(), "Save");
    }
}

// ------------------------------------------------------------- cash book

TEST_F(ImportExport, CashBookExportWritesTheFileAndItsImportAppendsACopyOfEveryRow)
{
    SeedCashBook(
        "('101','GuestA','2021-03-05 14:07:09','300','100','200',1),"
        "('102','张三','2021-12-31 23:59:58','150.000000','0','150.000000',0)");
    const std::vector<CashRow> before = ReadCashBook();
    ASSERT_EQ(before.size(), 2u);
    const std::string file = PathOf("账本.csv");

    CIEDlg dialog(MainFrame());
    CAccountBookDlg* page = dialog.m_dlgAccountBook;
    Transfer(page, IDC_IE_EXPORT, file);
    EXPECT_EQ(ReadFileText(file), Gbk(kCashHeader) + "101,GuestA,2021-03-05 14:07:09,300,100,200,1\r" +
                                      Gbk("102,张三,2021-12-31 23:59:58,150.000000,0,150.000000,0\r"));
    EXPECT_EQ(Progress(page), 100);
    EXPECT_EQ(ReadCashBook(), before) << "an export changes nothing";

    Transfer(page, IDC_IE_IMPORT, file);
    std::vector<CashRow> expected = before;
    expected.insert(expected.end(), before.begin(), before.end());
    EXPECT_EQ(ReadCashBook(), expected) << "the header is never stored";
    EXPECT_EQ(Progress(page), 100);

    EXPECT_EQ(EditText(page, IDC_IE_IMPORT_PATH), wxString::FromUTF8(file)) << "the edit shows the file chosen";

    // A cancelled file dialog changes nothing.
    wxTEST_DIALOG(Press(page, IDC_IE_IMPORT),
                  wxExpectModal<wxFileDialog>(wxString(), wxID_CANCEL).Describe("the open dialog"));
    EXPECT_EQ(ReadCashBook().size(), 4u);
    EXPECT_EQ(EditText(page, IDC_IE_IMPORT_PATH), wxString::FromUTF8(file));
}

TEST_F(ImportExport, CashBookImportAsksForThePasswordWhileTheLockIsOn)
{
    g_lockSettings.m_bCashBookLock = true;
    g_lockSettings.m_strPassword = "abc";
    const std::string file = Write("in.csv", Gbk(kCashHeader) + "101,GuestA,2021-03-05 14:07:09,300,100,200,10\r");

    CIEDlg dialog(MainFrame());
    CAccountBookDlg* page = dialog.m_dlgAccountBook;
    // Refused at the prompt, the import asks for no file.
    wxTEST_DIALOG(Press(page, IDC_IE_IMPORT), ExpectPasswordPrompt(wxString(), true));
    EXPECT_TRUE(ReadCashBook().empty());
    wxTEST_DIALOG(Press(page, IDC_IE_IMPORT), ExpectPasswordPrompt("ABC"));
    EXPECT_TRUE(ReadCashBook().empty()) << "a wrong password imports nothing";

    wxTEST_DIALOG(Press(page, IDC_IE_IMPORT), ExpectPasswordPrompt("abc"), Choosing(file));
    const std::vector<CashRow> rows = ReadCashBook();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (CashRow{"101", "GuestA", "2021-03-05 14:07:09", "300", "100", "200", TRUE}));

    // The export is not guarded: any prompt here would fail the test.
    Transfer(page, IDC_IE_EXPORT, PathOf("out.csv"));
    EXPECT_TRUE(fs::exists(PathOf("out.csv")));
}

// ------------------------------------------------------------- guest records

TEST_F(ImportExport, GuestRecordsExportWritesTheFileAndItsImportAppendsACopyOfEveryStay)
{
    GetTheApp().m_dbRegister.ExecuteSQL(
        U("INSERT INTO [register]([房间号],[姓名],[性别],[民族],[出生年月],[住房日期],[退房日期],[证件号],[籍贯],"
          "[本人职务备注],[交钱],[押金]) VALUES "
          "('101','张三',1,'汉族','1980-01-01 00:00:00','2021-03-05 08:07:09','2021-03-07 11:30:00',"
          "'110101198001010011','北京市','','160','0'),"
          "('203','李梅',0,'回族','1990-05-17 00:00:00','2021-03-06 21:00:05',NULL,"
          "'320102199005170026','江苏省南京市','教师,班主任','120','20.000')"));
    const std::vector<Stay> before = ReadStays();
    ASSERT_EQ(before.size(), 2u);
    const std::string file = PathOf("guests.csv");

    CIEDlg dialog(MainFrame());
    CCustomerDlg* page = dialog.m_dlgCustomer;
    Transfer(page, IDC_IE_EXPORT, file);
    const std::string written = ReadFileText(file);
    EXPECT_EQ(written.substr(0, 76), Gbk(kGuestHeader));
    EXPECT_EQ(FromCodePage(written.substr(76), CP_OEMCP),
              U("101,张三,男,汉族,1980-01-01 00:00:00,2021-03-05 08:07:09,2021-03-07 11:30:00,"
                "110101198001010011,北京市,,160,0\r"
                "203,李梅,女,回族,1990-05-17 00:00:00,2021-03-06 21:00:05,-1--1--1 -1:-1:-1,"
                "320102199005170026,江苏省南京市,\"教师,班主任\",120,20.000\r"))
        << "a remark with a comma is quoted, not changed";
    EXPECT_EQ(Progress(page), 100);

    Transfer(page, IDC_IE_IMPORT, file);
    const std::vector<Stay> after = ReadStays();
    ASSERT_EQ(after.size(), 4u);
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        ExpectSameStay(after[i + 2], before[i]);
    }
    EXPECT_TRUE(after[3].running) << "a stay exported while running comes back running";
    EXPECT_EQ(after[3].remarks, U("教师,班主任"));
    EXPECT_EQ(Progress(page), 100);
}

TEST_F(ImportExport, APathTypedInAnotherFolderIsTheOneWrittenAndRead)
{
    SeedCashBook("('101','GuestA','2021-03-05 14:07:09','300','100','200',1)");
    // A file of the same name where the program runs must stay untouched.
    const std::string decoy = GuiEnvironment().Folder() + "/cash.csv";
    std::ofstream(decoy, std::ios::binary) << "decoy";
    const std::string other = PathOf("其他 文件夹");
    fs::create_directories(fs::u8path(other));
    const std::string file = other + "/cash.csv";

    CIEDlg dialog(MainFrame());
    CAccountBookDlg* page = dialog.m_dlgAccountBook;
    Transfer(page, IDC_IE_EXPORT, file);
    EXPECT_EQ(ReadFileText(file), Gbk(kCashHeader) + "101,GuestA,2021-03-05 14:07:09,300,100,200,1\r");
    EXPECT_EQ(EditText(page, IDC_IE_EXPORT_PATH), wxString::FromUTF8(file));

    Transfer(page, IDC_IE_IMPORT, file);
    EXPECT_EQ(ReadCashBook().size(), 2u);
    EXPECT_EQ(ReadFileText(decoy), "decoy");
    fs::remove(decoy);
}

namespace {

// What the screen shows of the progress bar while a transfer runs, looked at
// by a timer: it fires whenever the event loop runs.
struct BarSightings
{
    wxGauge* bar;
    std::set<std::string> looks;  // the bar's pixels
    std::vector<int> values;      // the bar's value at each look
};

void LookAtBar(BarSightings& seen)
{
    const wxPoint at = seen.bar->GetScreenPosition();
    const wxSize size = seen.bar->GetSize();
    if (GdkPixbuf* pixels = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), at.x, at.y, size.x, size.y)) {
        const auto* bytes = reinterpret_cast<const char*>(gdk_pixbuf_get_pixels(pixels));
        seen.looks.insert(std::string(bytes, size_t(gdk_pixbuf_get_rowstride(pixels)) * size_t(size.y)));
        g_object_unref(pixels);
    }
    seen.values.push_back(seen.bar->GetValue());
}

}  // namespace

TEST_F(ImportExport, TheBarMovesOnTheScreenWhileAFileImports)
{
    std::string rows;
    // Enough rows for the import to outlast several of the screen's frames.
    for (int i = 0; i < 20000; ++i)
        rows += "101,GuestA,2021-03-05 14:07:09,300,100,200,1\r";
    const std::string file = Write("many.csv", Gbk(kCashHeader) + rows);

    CIEDlg dialog(MainFrame());
    dialog.m_tab->SetSelection(1);
    CAccountBookDlg* page = dialog.m_dlgAccountBook;
    dialog.Show();
    for (int i = 0; i < 100; ++i)
        wxYield();

    BarSightings seen{page->m_progress, {}, {}};
    wxTimer looking;
    looking.Bind(wxEVT_TIMER, [&seen](wxTimerEvent&) { LookAtBar(seen); });
    looking.Start(2);
    EXPECT_TRUE(page->ImportFrom(wxString::FromUTF8(file)));
    looking.Stop();
    dialog.Hide();

    EXPECT_EQ(ReadCashBook().size(), 20000u);
    EXPECT_TRUE(std::any_of(seen.values.begin(), seen.values.end(), [](int p) { return p > 0 && p < 100; }))
        << "the window was served " << seen.values.size() << " times during the import";
    EXPECT_GE(seen.looks.size(), 3u) << "the bar must be seen at several lengths, not only before and after";
}

// ------------------------------------------------------------- refusals

TEST_F(ImportExport, FilesOfTheWrongKindAreRefusedInTheUiLanguageAndAddNothing)
{
    SeedCashBook("('101','GuestA','2021-03-05 14:07:09','300','100','200',1)");
    const std::string sixFields = Write("six.csv", "a,b,c,d,e,f\r101,GuestA,2021-03-05 14:07:09,300,100,200,1\r");
    const std::string shortRow =
        Write("short.csv", Gbk(kCashHeader) + "101,GuestA,2021-03-05 14:07:09,300,100,200,1\r102,GuestB,x\r");
    const std::string cashBook = Write("cash.csv", Gbk(kCashHeader) + "101,GuestA,2021-03-05 14:07:09,300,100,200,1\r");

    auto refused = [](wxWindow* page, const std::string& file) {
        ExpectMessageBox box;
        wxTEST_DIALOG(Press(page, IDC_IE_IMPORT), Choosing(file), box);
        return box.Shown();
    };
    {
        CIEDlg dialog(MainFrame());
        const wxString notCash = U("打开的不是账本文件，请重新选择文件。");
        EXPECT_EQ(refused(dialog.m_dlgAccountBook, sixFields), notCash);
        EXPECT_EQ(refused(dialog.m_dlgAccountBook, shortRow),
                  U("第3行无法读取：有3个字段，应为7个。文件中的记录都没有导入。"))
            << "no row is stored from a damaged file";
        EXPECT_EQ(refused(dialog.m_dlgAccountBook, PathOf("missing.csv")), notCash);
        EXPECT_EQ(refused(dialog.m_dlgCustomer, cashBook), U("打开的不是客户记录文件，请重新选择文件。"));
    }
    View()->OnLanguageEnglish();
    CIEDlg dialog(MainFrame());
    EXPECT_EQ(refused(dialog.m_dlgAccountBook, sixFields), "Can't open cashbook file,please retry.");
    EXPECT_EQ(refused(dialog.m_dlgAccountBook, shortRow),
              "Line 3 cannot be read: it has 3 fields instead of 7. Nothing of the file was imported.");
    EXPECT_EQ(refused(dialog.m_dlgCustomer, cashBook), "Can't open Customerbook file,please retry.");

    EXPECT_EQ(ReadCashBook().size(), 1u);
    EXPECT_TRUE(ReadStays().empty());
}

TEST_F(ImportExport, ExportsThatCannotBeWrittenAreReported)
{
    SeedCashBook("('101','GuestA','2021-03-05 14:07:09','300','100','200',1)");
    CIEDlg dialog(MainFrame());
    CAccountBookDlg* page = dialog.m_dlgAccountBook;

    const std::string noFolder = PathOf("no-such-folder/out.csv");
    ExpectMessageBox cannotOpen;
    wxTEST_DIALOG(Press(page, IDC_IE_EXPORT), Choosing(noFolder), cannotOpen);
    EXPECT_EQ(cannotOpen.Shown(), "Can't open file " + wxString::FromUTF8(noFolder));

    // A device that takes no data; chosen in the dialog it would get ".csv".
    if (fs::exists("/dev/full")) {
        ExpectMessageBox cannotWrite;
        wxTEST_DIALOG(page->ExportTo("/dev/full"), cannotWrite);
        EXPECT_EQ(cannotWrite.Shown(), CantWriteFileMessage("/dev/full", 1));
        EXPECT_EQ(Progress(page), 0) << "the bar goes back as after a failed import";
        EXPECT_TRUE(fs::is_character_file("/dev/full")) << "a device is written, never replaced";
    }
}

// The disk fills half-way through an export to a file that holds the last
// backup: the backup stays as it was, nothing is left beside it, and the
// clerk is told in the UI language.
TEST_F(ImportExport, AnExportOnAFullDiskLeavesTheOldFileAsItWas)
{
    wxString rows;
    for (int i = 0; i < 100; ++i)
        rows += wxString::Format("%s('%d','GuestA','2021-03-05 14:07:09','300','100','200',1)", i ? "," : "", 100 + i);
    SeedCashBook(rows.utf8_str());
    const std::string backup = Write("backup.csv", "precious");
    for (int language : {1, 2}) {
        if (language == 2)
            View()->OnLanguageEnglish();
        CIEDlg dialog(MainFrame());
        CAccountBookDlg* page = dialog.m_dlgAccountBook;
        ExpectMessageBox told;
        {
            FileSizeLimit full(1024);
            wxTEST_DIALOG(page->ExportTo(wxString::FromUTF8(backup)), told);
        }
        EXPECT_EQ(told.Shown(), CantWriteFileMessage(wxString::FromUTF8(backup), language));
        EXPECT_EQ(ReadFileText(backup), "precious");
        EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 1)
            << "a temporary file was left";
        EXPECT_EQ(Progress(page), 0);
    }
    EXPECT_TRUE(CantWriteFileMessage("x.csv", 1).StartsWith(U("无法写入文件 x.csv：")));
    EXPECT_TRUE(CantWriteFileMessage("x.csv", 2).StartsWith("Can't write file x.csv: "));
}

// A FIFO chosen for an import is refused at once with a message; the desk
// does not wait for something to write to it.
TEST_F(ImportExport, AnImportFromAFifoIsRefusedAndTheDeskGoesOn)
{
    const std::string fifo = PathOf("pipe.csv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    CIEDlg dialog(MainFrame());
    ExpectMessageBox told;
    wxTEST_DIALOG(Press(dialog.m_dlgCustomer, IDC_IE_IMPORT), Choosing(fifo), told);
    EXPECT_EQ(told.Shown(), wxString::FromUTF8(fifo) + U(" 不是普通文件，没有导入任何记录。"));
    EXPECT_EQ(Progress(dialog.m_dlgCustomer), 0);
    EXPECT_TRUE(ReadStays().empty());
    EXPECT_EQ(NotRegularFileMessage("/dev/zero", 2), "/dev/zero is not a regular file: nothing was imported.");
}

TEST_F(ImportExport, AFailedWriteStoresNothingOfTheFileAndSaysSoAboveTheDriversText)
{
    CDatabase& cash = GetTheApp().m_dbCashbook;
    // A trigger lives in the schema of its table, which is attached beside Hotel's.
    cash.ExecuteSQL("CREATE TRIGGER " + cash.GetSchemaName() +
                    U(".refuse BEFORE INSERT ON [cashbook] WHEN NEW.[姓名] = 'B' "
                      "BEGIN SELECT RAISE(ABORT, 'disk is full'); END"));
    const std::string file = Write("in.csv", Gbk(kCashHeader) + "101,A,2021-03-05 14:07:09,300,100,200,1\r"
                                                                 "102,B,2021-03-05 14:07:09,300,100,200,1\r");
    CIEDlg dialog(MainFrame());
    ExpectMessageBox report;
    wxTEST_DIALOG(Press(dialog.m_dlgAccountBook, IDC_IE_IMPORT), Choosing(file), report);
    cash.ExecuteSQL("DROP TRIGGER refuse");
    EXPECT_TRUE(report.Shown().StartsWith(U("没有完成：记录没有任何改动。"))) << report.Shown();
    EXPECT_NE(report.Shown().find("disk is full"), wxString::npos) << report.Shown();
    EXPECT_TRUE(ReadCashBook().empty());
}

TEST_F(ImportExport, AnExportAsksOnceBeforeReplacingAFile)
{
    const std::string file = Write("keep.csv", "precious");
    CIEDlg dialog(MainFrame());
    CCustomerDlg* page = dialog.m_dlgCustomer;

    for (const std::string& typed : {file, PathOf("keep")}) {
        SCOPED_TRACE(typed);
        ExpectMessageBox no(wxID_NO);
        wxTEST_DIALOG(Press(page, IDC_IE_EXPORT), Choosing(typed), no);
        EXPECT_EQ(no.Shown(), wxString::FromUTF8(file) + U(" 已存在。\n要替换它吗？"));
        EXPECT_EQ(ReadFileText(file), "precious");
    }

    View()->OnLanguageEnglish();
    CIEDlg english(MainFrame());
    ExpectMessageBox yes(wxID_YES);
    wxTEST_DIALOG(Press(english.m_dlgCustomer, IDC_IE_EXPORT), Choosing(PathOf("keep")), yes);
    EXPECT_EQ(yes.Shown(), wxString::FromUTF8(file) + " already exists.\nDo you want to replace it?");
    EXPECT_EQ(ReadFileText(file), Gbk(kGuestHeader)) << "an empty table exports the header alone";
    EXPECT_FALSE(fs::exists(PathOf("keep"))) << "a name typed without extension gets .csv";

    // A new file is written without a question: any box here would fail the test.
    Transfer(english.m_dlgCustomer, IDC_IE_EXPORT, PathOf("new.csv"));
    EXPECT_TRUE(fs::exists(PathOf("new.csv")));
}
