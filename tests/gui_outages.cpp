// The desk while the database cannot serve: another program holding a lock on
// a file, or a disk with no byte free. A command waits a few seconds for a
// lock, then tells the clerk in the UI language that nothing was done, with
// the driver's text beneath, and the program goes on; once the files serve
// again, so does the desk.
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <memory>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <wx/statusbr.h>

#include "CHouseset.h"
#include "CMainFrame.h"
#include "CQuillan2021App.h"
#include "CQuillan2021View.h"
#include "DialogDrivers.h"
#include "Globals.h"
#include "GuiTestSupport.h"
#include "SqliteFiles.h"

namespace {

wxString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

// Another program holding a file with SQLite's exclusive lock, which keeps
// readers out too: a process of its own, until this ends.
class ForeignLock
{
public:
    explicit ForeignLock(const std::string& path)
    {
        int ready[2];
        if (pipe(ready) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            sqlite3* db = nullptr;
            const bool locked = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
                                sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
            (void)!write(ready[1], locked ? "y" : "n", 1);
            pause();
            _exit(0);
        }
        char answer = 0;
        m_locked = m_pid > 0 && read(ready[0], &answer, 1) == 1 && answer == 'y';
        close(ready[0]);
        close(ready[1]);
    }
    ~ForeignLock()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    bool Locked() const { return m_locked; }

private:
    pid_t m_pid = -1;
    bool m_locked = false;
};

// What the clerk does, reaching the program as a click or a key does: through
// the toolkit's dispatch, which hands whatever a handler throws to the application.
void AsTheClerk(const std::function<void()>& action)
{
    wxEvtHandler dispatch;
    dispatch.Bind(wxEVT_BUTTON, [&](wxCommandEvent&) { action(); });
    wxCommandEvent event(wxEVT_BUTTON);
    dispatch.SafelyProcessEvent(event);
}

bool Cleaning(const char* number)
{
    CHouseset rooms(&GetTheApp().m_dbHotel);
    rooms.Open(CRecordset::dynaset);
    return rooms.FindRoom(number) != -1 && rooms.m_bCleaning;
}

class Outages : public testing::Test
{
protected:
    void SetUp() override
    {
        if (g_nLanguage != 1)
            View()->OnLanguageChinese();
        SeedRooms("[房间号],[住房],[房价],[打扫],[房间人数],[房间介绍]", "('101',0,'80',0,0,''),('102',0,'90',0,0,'')");
        Select(0);
        m_exits = ExitRequests();
    }
    void TearDown() override
    {
        EXPECT_EQ(ExitRequests(), m_exits) << "the program asked to end";
        View()->OnLanguageChinese();
    }

    std::string DataFile(const char* name) const { return GuiEnvironment().DataSaveFolder() + name; }

    int m_exits = 0;
};

TEST_F(Outages, AClickOnTheBoardDuringALockIsReportedAndTheDeskGoesOn)
{
    {
        ForeignLock otherProgram(DataFile("Hotel.db"));
        ASSERT_TRUE(otherProgram.Locked());
        ExpectMessageBox told;
        wxTEST_DIALOG(AsTheClerk([] { Select(1); }), told);
        EXPECT_TRUE(told.Shown().StartsWith(U("没有完成：记录没有任何改动。"))) << told.Shown();
        EXPECT_NE(told.Shown().Find("database is locked"), wxNOT_FOUND) << told.Shown();
    }
    // The lock gone, the same click reads the room into the status line.
    AsTheClerk([] { Select(0); });
    AsTheClerk([] { Select(1); });
    EXPECT_NE(MainFrame()->GetStatusBar()->GetStatusText(0).Find("102"), wxNOT_FOUND)
        << MainFrame()->GetStatusBar()->GetStatusText(0);
}

// Each write on a full disk says, in the UI language, that nothing was done,
// with the driver's text beneath; the room stays as the table has it.
TEST_F(Outages, ABoardCommandOnAFullDiskSaysNothingWasDoneInTheUiLanguage)
{
    const std::pair<int, const char*> languages[] = {{1, "没有完成：记录没有任何改动。"},
                                                     {2, "This was not done: nothing in the records has changed."}};
    for (const auto& [language, sentence] : languages) {
        SCOPED_TRACE(language);
        if (language == 2)
            View()->OnLanguageEnglish();
        Select(0);
        ExpectMessageBox told;
        {
            FileSizeLimit diskIsFull(0);
            wxTEST_DIALOG(AsTheClerk([] { View()->OnCleanRoom(); }), told);
        }
        EXPECT_TRUE(told.Shown().StartsWith(U(sentence))) << told.Shown();
        EXPECT_NE(told.Shown().Find("\n\n[SQLite]"), wxNOT_FOUND) << "the driver's text beneath: " << told.Shown();
        EXPECT_FALSE(Cleaning("101"));
    }
    // With room on the disk again the same command goes through.
    AsTheClerk([] { View()->OnCleanRoom(); });
    EXPECT_TRUE(Cleaning("101"));
}

// After a check-out the disk undid, the board reads the room again; when that
// read fails too (here: another program takes the file meanwhile), it is
// reported like any database error and the program stays up.
TEST_F(Outages, AnUndoneCheckOutWhoseRoomCannotBeReadAgainLeavesTheProgramUp)
{
    SeedRooms("[房间号],[住房],[房价],[打扫],[房间人数],[房间介绍]", "('101',1,'80',0,1,'')");
    GetTheApp().m_dbRegister.ExecuteSQL("DELETE FROM [register]");
    GetTheApp().m_dbRegister.ExecuteSQL(
        U("INSERT INTO [register]([房间号],[姓名],[住房日期],[证件号],[交钱],[押金],[性别],[民族],[出生年月],[籍贯],"
          "[本人职务备注]) VALUES ('101','王五','2024-03-01 10:00:00','1','100','0',1,'汉族','1980-01-01 00:00:00','','')"));
    AsTheClerk([] { Select(0); });

    // The clerk reads the report of the undone check-out; meanwhile another program takes Hotel.db.
    std::unique_ptr<ForeignLock> otherProgram;
    class ThenAnotherProgramLocks : public ExpectMessageBox
    {
    public:
        explicit ThenAnotherProgramLocks(std::function<void()> lock) : m_lock(std::move(lock)) {}

    protected:
        int OnInvoked(wxMessageDialog* dlg) const override
        {
            const int answer = ExpectMessageBox::OnInvoked(dlg);
            m_lock();
            return answer;
        }

    private:
        std::function<void()> m_lock;
    };
    ThenAnotherProgramLocks undone([&] { otherProgram = std::make_unique<ForeignLock>(DataFile("Hotel.db")); });
    ExpectMessageBox rereadFailed;
    CheckOutForm form;
    form.name = U("王五");
    wxExpectModal<CRegEndDlg> clerk(form);
    {
        FileSizeLimit diskIsFull(0);
        wxTEST_DIALOG(AsTheClerk([] { View()->OnCheckOut(); }), clerk, undone, rereadFailed);
    }
    EXPECT_EQ(clerk.Seen().result, wxID_CANCEL);
    EXPECT_TRUE(undone.Shown().StartsWith(U("没有完成：记录没有任何改动。"))) << undone.Shown();
    EXPECT_TRUE(rereadFailed.Shown().StartsWith(U("没有完成：记录没有任何改动。"))) << rereadFailed.Shown();
    EXPECT_NE(rereadFailed.Shown().Find("database is locked"), wxNOT_FOUND) << rereadFailed.Shown();
    otherProgram.reset();

    // The guest is still in, and the board shows it once the file serves again.
    AsTheClerk([] { Select(0); });
    EXPECT_EQ(Board().GetItemText(0, 5), U("1人"));
    EXPECT_NE(MainFrame()->GetStatusBar()->GetStatusText(0).Find("101"), wxNOT_FOUND);
}

}  // namespace
