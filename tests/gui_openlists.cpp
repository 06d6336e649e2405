// The guest records and the cash book, left open on one desk, follow what
// another desk on the same data sources commits: within a few ticks of their
// timers, without the clerk asking, and where the clerk has the list.
#include <gtest/gtest.h>

#include <memory>
#include <wx/app.h>
#include <wx/toolbar.h>
#include "CCashBookDlg.h"
#include "CMainFrame.h"
#include "CQuillan2021App.h"
#include "CUserRWnd.h"
#include "CashBookFigures.h"
#include "ChangeWatch.h"
#include "DataSources.h"
#include "DialogDrivers.h"
#include "Globals.h"
#include "GuiTestSupport.h"
#include "StayOperations.h"

namespace {

CString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

GuestRecord Guest(const char* room, const char* name)
{
    GuestRecord guest;
    guest.m_strRoomNo = room;
    guest.m_strName = U(name);
    guest.m_dtCheckIn = COleDateTime::GetCurrentTime();
    guest.m_dtCheckOut.SetStatus(COleDateTime::null);
    guest.m_strPaid = "100";
    return guest;
}

// Long enough for a few ticks of the windows' timers on a busy machine.
constexpr long kFollowMs = 5000;

// Rooms 101 and 102, no stays and an empty cash book; 张三 checked in to 101
// on this desk; a second desk open on the same data sources.
class OpenLists : public testing::Test
{
protected:
    void SetUp() override
    {
        m_language = g_nLanguage;
        g_nLanguage = 1;
        SeedRooms("[房间号],[房价]", "('101','80'),('102','90')");
        GetTheApp().m_dbRegister.ExecuteSQL("DELETE FROM [register]");
        GetTheApp().m_dbCashbook.ExecuteSQL("DELETE FROM [cashbook]");
        ASSERT_TRUE(CheckIn(GetTheApp(), Guest("101", "张三"), std::nullopt));
        ASSERT_TRUE(OpenDataSources(m_other));
    }
    void TearDown() override
    {
        CloseDataSources(m_other);
        GetTheApp().m_dbRegister.ExecuteSQL("DELETE FROM [register]");
        GetTheApp().m_dbCashbook.ExecuteSQL("DELETE FROM [cashbook]");
        g_nLanguage = m_language;
    }

    std::unique_ptr<CUserRWnd> OpenRecords()
    {
        auto window = std::make_unique<CUserRWnd>(MainFrame());
        window->InitDialog();
        return window;
    }

    DataConnections m_other;
    int m_language = 1;
};

}  // namespace

TEST_F(OpenLists, TheGuestRecordsShowAnotherDesksCheckInAndCheckOut)
{
    auto window = OpenRecords();
    wxListCtrl& list = *window->m_listRecords;
    ASSERT_EQ(list.GetItemCount(), 1);
    list.SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);

    ASSERT_TRUE(CheckIn(m_other, Guest("102", "王五"), std::nullopt));
    EXPECT_TRUE(DialogDriving::PumpUntil([&] { return list.GetItemCount() == 2; }, kFollowMs));
    EXPECT_EQ(list.GetItemText(1, 1), U("王五"));

    ASSERT_TRUE(CheckOut(m_other, "101", U("张三"), CheckOutBill{100, 0, 80}));
    EXPECT_TRUE(DialogDriving::PumpUntil([&] { return !list.GetItemText(0, 6).empty(); }, kFollowMs))
        << "the check-out time of 张三";
    EXPECT_EQ(list.GetItemState(0, wxLIST_STATE_SELECTED), wxLIST_STATE_SELECTED) << "the clerk's row stays chosen";
    EXPECT_FALSE(window->m_wndToolBar->GetToolEnabled(ID_RECORDS_MODIFY)) << "a closed stay is not modified";
}

TEST_F(OpenLists, AListedSearchFollowsWithItsOwnMatchesOnly)
{
    auto window = OpenRecords();
    window->OnSearchRecord();
    CUserSearchDlg* search = window->m_pSearchDlg.get();
    ASSERT_NE(search, nullptr);
    search->m_comboKey->SetSelection(SEARCH_BY_NAME);
    DialogDriving::EnterText(search, IDC_SEARCH_TEXT, U("王五"));
    ASSERT_TRUE(DialogDriving::PressButton(search, IDC_SEARCH_OK));
    wxTheApp->ProcessPendingEvents();
    wxListCtrl& list = *window->m_listRecords;
    ASSERT_EQ(list.GetItemCount(), 0);

    ASSERT_TRUE(CheckIn(m_other, Guest("102", "李四"), std::nullopt));
    ASSERT_TRUE(CheckIn(m_other, Guest("102", "王五"), std::nullopt));
    EXPECT_TRUE(DialogDriving::PumpUntil([&] { return list.GetItemCount() == 1; }, kFollowMs));
    EXPECT_EQ(list.GetItemText(0, 1), U("王五"));
    // A few more ticks: the list stays the search's.
    DialogDriving::PumpUntil([] { return false; }, 3 * kChangeWatchMs);
    EXPECT_EQ(list.GetItemCount(), 1);
}

TEST_F(OpenLists, TheCashBookShowsAnotherDesksCheckOutAndItsTotal)
{
    CCashBookDlg dialog(MainFrame());
    dialog.InitDialog();
    wxListCtrl& list = *dialog.m_listCashBook;
    ASSERT_EQ(list.GetItemCount(), 1) << "the total row alone";

    ASSERT_TRUE(CheckOut(m_other, "101", U("张三"), CheckOutBill{100, 0, 80}));
    EXPECT_TRUE(DialogDriving::PumpUntil([&] { return list.GetItemCount() == 2; }, kFollowMs));
    EXPECT_EQ(list.GetItemText(0, 1), U("张三"));
    EXPECT_EQ(list.GetItemText(1, 5), FormatCashBookTotal(80)) << "the total follows with the row";
    dialog.Destroy();
}
