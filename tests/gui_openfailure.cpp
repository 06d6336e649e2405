// A table that would not open: every window tells the clerk "打开数据库失败！";
// where the program cannot work without the table the run ends, and where the
// window alone needs it only that window closes or the program goes on.
#include <gtest/gtest.h>

#include <wx/testing.h>

#include "CExchangeHDlg.h"
#include "CIEDlg.h"
#include "CMainFrame.h"
#include "CQuillan2021App.h"
#include "CQuillan2021View.h"
#include "CRegEndDlg.h"
#include "CRegisterDlg.h"
#include "CUserRWnd.h"
#include "DialogDrivers.h"
#include "Globals.h"
#include "GuiTestSupport.h"

namespace {

const wxString kOpenFailed = wxString::FromUTF8("打开数据库失败！");

// A table renamed away while this lives, so that opening it fails.
class TableGone
{
public:
    TableGone(CDatabase& db, const char* table) : m_db(db), m_table(table)
    {
        m_db.ExecuteSQL("ALTER TABLE " + m_db.GetSchemaName() + ".[" + m_table + "] RENAME TO [gone]");
    }
    ~TableGone() { m_db.ExecuteSQL("ALTER TABLE " + m_db.GetSchemaName() + ".[gone] RENAME TO [" + m_table + "]"); }

private:
    CDatabase& m_db;
    wxString m_table;
};

class OpenFailures : public testing::Test
{
protected:
    void SetUp() override
    {
        if (g_nLanguage != 1)
            View()->OnLanguageChinese();
        SeedRooms("[房间号],[住房],[房价],[打扫],[房间人数],[房间介绍]", "('101',0,'80',0,0,''),('102',0,'90',0,0,'')");
        m_exits = ExitRequests();
    }

    // Whether the program asked to end since the test began.
    bool AskedToEnd() const { return ExitRequests() > m_exits; }

    // Opens a dialog as ShowModal would, with `table` of `db` gone: the clerk
    // is told once, and the dialog ends as cancelled.
    void ExpectDialogEnds(CDialogEx& dlg, CDatabase& db, const char* table)
    {
        ExpectMessageBox told;
        {
            TableGone gone(db, table);
            wxTEST_DIALOG(dlg.InitDialog(), told);
        }
        EXPECT_EQ(told.Shown(), kOpenFailed);
        EXPECT_TRUE(DialogDriving::PumpUntil([&] { return dlg.GetReturnCode() == wxID_CANCEL; }, 3000))
            << "the dialog stayed open";
    }

    int m_exits = 0;
};

TEST_F(OpenFailures, TheCheckInDialogWithoutItsRoomsEndsAndSoDoesTheRun)
{
    CRegisterDlg dlg(MainFrame());
    ExpectDialogEnds(dlg, GetTheApp().m_dbHotel, "house");
    EXPECT_TRUE(AskedToEnd());
}

TEST_F(OpenFailures, TheCheckOutDialogWithoutItsRoomsEndsAndSoDoesTheRun)
{
    CRegEndDlg dlg(MainFrame());
    dlg.m_strRoomNo = "101";
    ExpectDialogEnds(dlg, GetTheApp().m_dbHotel, "house");
    EXPECT_TRUE(AskedToEnd());
}

// The change of room needs the room list for itself only; without the stays
// the program cannot go on.
TEST_F(OpenFailures, TheChangeRoomDialogEndsAloneWithoutItsRoomsAndWithTheRunWithoutTheStays)
{
    {
        CExchangeHDlg dlg(MainFrame());
        dlg.m_strRoomNo = "101";
        ExpectDialogEnds(dlg, GetTheApp().m_dbHotel, "house");
        EXPECT_FALSE(AskedToEnd());
    }
    CExchangeHDlg dlg(MainFrame());
    dlg.m_strRoomNo = "101";
    ExpectDialogEnds(dlg, GetTheApp().m_dbRegister, "register");
    EXPECT_TRUE(AskedToEnd());
}

// The board reads the room of a row as the clerk marks it; without its rooms
// the program cannot work.
TEST_F(OpenFailures, MarkingABoardRowWithoutTheRoomsEndsTheRun)
{
    // The rows were drawn while the table was there.
    for (long row : {0, 1})
        Board().GetItemText(row, 1);
    ExpectMessageBox told;
    {
        TableGone gone(GetTheApp().m_dbHotel, "house");
        wxTEST_DIALOG(Select(1), told);
    }
    EXPECT_EQ(told.Shown(), kOpenFailed);
    EXPECT_TRUE(AskedToEnd());
}

// The guest records open without their table and say so; each command tries
// again, and the program goes on.
TEST_F(OpenFailures, TheGuestRecordsWithoutTheStaysSayItAndTheProgramGoesOn)
{
    ExpectMessageBox atOpening, atListing;
    {
        TableGone gone(GetTheApp().m_dbRegister, "register");
        wxTEST_DIALOG(
            {
                CUserRWnd window(MainFrame());
                window.InitDialog();
            },
            atOpening, atListing);
    }
    EXPECT_EQ(atOpening.Shown(), kOpenFailed);
    EXPECT_EQ(atListing.Shown(), kOpenFailed);
    EXPECT_FALSE(AskedToEnd());
}

// Each page of the import and export opens its table, and the dialog the
// stays: without the stays table the guest-records page and the dialog say
// so, and the run ends.
TEST_F(OpenFailures, TheImportAndExportWithoutTheStaysEndTheRun)
{
    ExpectMessageBox byThePage, byTheDialog;
    {
        TableGone gone(GetTheApp().m_dbRegister, "register");
        wxTEST_DIALOG({ CIEDlg dlg(MainFrame()); }, byThePage, byTheDialog);
    }
    EXPECT_EQ(byThePage.Shown(), kOpenFailed);
    EXPECT_EQ(byTheDialog.Shown(), kOpenFailed);
    EXPECT_TRUE(AskedToEnd());
}

}  // namespace
