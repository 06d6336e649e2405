// The check-out dialog takes the stay it bills by its key: a guest whose name
// reads as nothing checks out all the same, and a stay closed meanwhile is
// told and writes nothing. The files are read back afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CMainFrame.h"
#include "CQuillan2021App.h"
#include "CQuillan2021View.h"
#include "CRegEndDlg.h"
#include "DialogDrivers.h"
#include "Globals.h"
#include "GuiTestSupport.h"
#include "SqliteFiles.h"
#include "StayOperations.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

std::string File(const char* name)
{
    return GuiEnvironment().DataSaveFolder() + name;
}

std::string Dumps()
{
    return DumpDatabase(File("Hotel.db")) + DumpDatabase(File("Register.db")) + DumpDatabase(File("Cashbook.db"));
}

// Room 101 with one guest whose name another program wrote as bytes that are no text.
class CheckOutByKey : public testing::Test
{
protected:
    void SetUp() override
    {
        m_language = g_nLanguage;
        SeedRooms("[房间号],[住房],[房价],[房间人数],[房间介绍]", "('101',1,'80',1,'')");
        GetTheApp().m_dbCashbook.ExecuteSQL("DELETE FROM [cashbook]");
        GetTheApp().m_dbRegister.ExecuteSQL("DELETE FROM [register]");
        ExecuteOnDatabase(File("Register.db"), "INSERT INTO [register]([房间号],[姓名],[住房日期],[交钱],[押金]) "
                                               "VALUES ('101',CAST(X'FFFE41' AS TEXT),'2026-03-01 10:00:00','100','0')");
        Select(0);
    }
    void TearDown() override { g_nLanguage = m_language; }

    int m_language = 1;
};

}  // namespace

TEST_F(CheckOutByKey, AGuestWhoseNameIsNoTextChecksOut)
{
    wxExpectModal<CRegEndDlg> clerk{CheckOutForm()};
    wxTEST_DIALOG(View()->OnCheckOut(), clerk);
    EXPECT_TRUE(clerk.Seen().problems.empty()) << clerk.Seen().problems.front();
    EXPECT_EQ(clerk.Seen().result, wxID_OK);
    EXPECT_DOUBLE_EQ(clerk.Seen().paid, 100.0) << "the bill is the stay's";
    EXPECT_EQ(QueryDatabase(File("Register.db"), "SELECT [退房日期] IS NOT NULL FROM [register]"), (Rows{{"1"}}));
    EXPECT_EQ(QueryDatabase(File("Cashbook.db"), "SELECT [房间号],[交钱] FROM [cashbook]"),
              (Rows{{"101", "100.000000"}}));
    EXPECT_EQ(QueryDatabase(File("Hotel.db"), "SELECT [房间人数] FROM [house]"), (Rows{{"0"}}));
}

TEST_F(CheckOutByKey, AStayClosedMeanwhileIsToldAndNothingIsWritten)
{
    for (int language : {1, 2}) {
        g_nLanguage = language;
        CRegEndDlg dlg(MainFrame());
        dlg.m_strRoomNo = "101";
        dlg.InitDialog();
        ASSERT_EQ(dlg.m_comboName->GetCount(), 1u);
        // Another desk takes the guest out while this one shows the bill.
        GetTheApp().m_dbRegister.ExecuteSQL("UPDATE [register] SET [退房日期] = '2026-03-02 11:00:00'");
        const std::string before = Dumps();
        ExpectMessageBox told;
        wxTEST_DIALOG(DialogDriving::PressButton(&dlg, IDC_REGEND_OK), told);
        EXPECT_EQ(told.Shown(), StayGoneMessage(language));
        EXPECT_EQ(dlg.GetReturnCode(), wxID_CANCEL);
        EXPECT_EQ(Dumps(), before) << "a bill was booked without a stay it closes";
        GetTheApp().m_dbRegister.ExecuteSQL("UPDATE [register] SET [退房日期] = NULL");
    }
}
