// The guest-records window end to end: the list, the search dialog, modify
// through the check-in dialog, delete, clear behind the password prompt and
// the detail pop-ups of closed stays. The window is driven without being shown
// (as the board's ShowModal would run it); its modeless search dialog and
// pop-ups are real windows. The tables are read back afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <dlfcn.h>
#include <memory>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/combobox.h>
#include <wx/dcmemory.h>
#include <wx/display.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>
#include <wx/toolbar.h>

#include "CCashbookset.h"
#include "CMainFrame.h"
#include "CNoticeDlg.h"
#include "CPasswordDlg.h"
#include "CQuillan2021App.h"
#include "CRegisterset.h"
#include "CUserRWnd.h"
#include "CUserSearchDlg.h"
#include "DialogDrivers.h"
#include "Globals.h"
#include "GuiTestSupport.h"
#include "LockSettings.h"
#include "SqliteFiles.h"

namespace {

wxString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

// ------------------------------------------------------------- tables

struct StaySeed
{
    const char* room;
    const char* name;
    const char* checkIn;
    const char* checkOut;  // nullptr: the guest is still in
    const char* idNumber = "110101198001010011";
    const char* paid = "100";
    const char* deposit = "0";
    const char* nation = "汉族";
    int sex = 1;
    const char* birth = "1980-01-01 00:00:00";  // nullptr: none stored
};

wxString Quoted(const char* text)
{
    wxString s = U(text);
    s.Replace("'", "''");
    return "'" + s + "'";
}

void SeedStays(const std::vector<StaySeed>& rows)
{
    CDatabase& db = GetTheApp().m_dbRegister;
    db.ExecuteSQL("DELETE FROM [register]");
    for (const StaySeed& s : rows)
        db.ExecuteSQL(U("INSERT INTO [register]([房间号],[姓名],[性别],[民族],[出生年月],[住房日期],[退房日期],"
                        "[证件号],[籍贯],[本人职务备注],[交钱],[押金]) VALUES (") +
                      Quoted(s.room) + "," + Quoted(s.name) + wxString::Format(",%d,", s.sex) + Quoted(s.nation) +
                      "," + (s.birth ? Quoted(s.birth) : wxString("NULL")) + "," + Quoted(s.checkIn) + "," +
                      (s.checkOut ? Quoted(s.checkOut) : wxString("NULL")) + "," + Quoted(s.idNumber) + "," +
                      Quoted("北京") + "," + Quoted("") + "," + Quoted(s.paid) + "," + Quoted(s.deposit) + ")");
}

void SeedCashRow(const char* room, const char* name, const char* time, const char* amount)
{
    GetTheApp().m_dbCashbook.ExecuteSQL(U("INSERT INTO [cashbook]([房间号],[姓名],[时间],[交钱],[押金],[交易金额],"
                                          "[状态]) VALUES (") +
                                        Quoted(room) + "," + Quoted(name) + "," + Quoted(time) + ",'100','0'," +
                                        Quoted(amount) + ",1)");
}

struct StoredStay
{
    CString room, name, paid, deposit;
    bool open = false;
    bool hasBirthday = true;
};

std::vector<StoredStay> ReadStays()
{
    CRegisterset rs(&GetTheApp().m_dbRegister);
    rs.Open(CRecordset::dynaset);
    std::vector<StoredStay> stays;
    for (; !rs.IsEOF(); rs.MoveNext())
        stays.push_back({rs.m_strRoomNo, rs.m_strName, rs.m_strPaid, rs.m_strDeposit,
                         rs.m_dtCheckOut.GetStatus() == COleDateTime::null,
                         rs.m_dtBirth.GetStatus() == COleDateTime::valid});
    return stays;
}

std::vector<CString> StoredNames()
{
    std::vector<CString> names;
    for (const StoredStay& s : ReadStays())
        names.push_back(s.name);
    return names;
}

// ------------------------------------------------------------- the window

std::vector<CString> ListedNames(const CUserRWnd& w)
{
    std::vector<CString> names;
    for (long row = 0; row < w.m_listRecords->GetItemCount(); ++row)
        names.push_back(w.m_listRecords->GetItemText(row, 1));
    return names;
}

// Rows and entries must tell the same stays, row for row.
void ExpectListInStep(const CUserRWnd& w)
{
    ASSERT_EQ(size_t(w.m_listRecords->GetItemCount()), w.m_vRecords.size());
    for (size_t i = 0; i < w.m_vRecords.size(); ++i)
        EXPECT_EQ(w.m_listRecords->GetItemText(long(i), 1), w.m_vRecords[i].m_strName) << "row " << i;
}

void SendListEvent(CUserRWnd& w, wxEventType type, long row)
{
    wxListEvent event(type, IDC_RECORDS_LIST);
    event.SetEventObject(w.m_listRecords);
    event.m_itemIndex = row;
    w.m_listRecords->GetEventHandler()->ProcessEvent(event);
}

// A click on a row: the row takes the selection and the window hears of it.
void ClickRow(CUserRWnd& w, long row)
{
    if (row >= 0)
        w.m_listRecords->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    SendListEvent(w, wxEVT_LIST_ITEM_SELECTED, row);
}

void DoubleClickRow(CUserRWnd& w, long row)
{
    ClickRow(w, row);
    SendListEvent(w, wxEVT_LIST_ITEM_ACTIVATED, row);
}

void Command(CUserRWnd& w, int id)
{
    wxCommandEvent event(wxEVT_TOOL, id);
    event.SetEventObject(w.m_wndToolBar);
    w.m_wndToolBar->GetEventHandler()->ProcessEvent(event);
}

bool ModifyEnabled(const CUserRWnd& w)
{
    return w.m_wndToolBar->GetToolEnabled(ID_RECORDS_MODIFY);
}

// Opens the window as the board does, without showing it.
std::unique_ptr<CUserRWnd> OpenRecords()
{
    auto window = std::make_unique<CUserRWnd>(MainFrame());
    window->InitDialog();
    return window;
}

// Types into the search dialog and presses its search button; the posted
// message is handled before this returns.
void SearchFor(CUserRWnd& w, int key, const wxString& text)
{
    CUserSearchDlg* dlg = w.m_pSearchDlg.get();
    ASSERT_NE(dlg, nullptr);
    dlg->m_comboKey->SetSelection(key);
    DialogDriving::EnterText(dlg, IDC_SEARCH_TEXT, text);
    ASSERT_TRUE(DialogDriving::PressButton(dlg, IDC_SEARCH_OK));
    wxTheApp->ProcessPendingEvents();
}

// Every test starts in Chinese from the same four stays, two of them closed,
// and a cash book holding the check-out of the first closed one.
class Records : public testing::Test
{
protected:
    void SetUp() override
    {
        m_language = g_nLanguage;
        m_password = g_lockSettings.m_strPassword;
        g_nLanguage = 1;
        SeedStays({
            {"101", "张三", "2021-03-01 09:05:00", "2021-03-04 14:05:30", "110101198001010011", "100", "0"},
            {"102", "李梅", "2021-03-02 10:00:00", nullptr, "320102199005170026", "120", "20", "回族", 0},
            {"103", "王五", "2021-03-03 11:00:00", "2021-03-05 08:00:00", "110101198001010022", "80", "0"},
            {"101", "张三", "2021-04-01 12:00:00", nullptr, "110101198001010011", "90", "10"},
        });
        GetTheApp().m_dbCashbook.ExecuteSQL("DELETE FROM [cashbook]");
        SeedCashRow("103", "王五", "2021-03-05 08:00:00", "999");  // another stay's check-out
        SeedCashRow("101", "张三", "2021-03-04 14:05:30", "300.000000");
    }
    void TearDown() override
    {
        g_nLanguage = m_language;
        g_lockSettings.m_strPassword = m_password;
    }

    int m_language = 1;
    std::string m_password;
};

using EnglishStart = Records;

}  // namespace

// ------------------------------------------------------------- the list

TEST_F(Records, ListsEveryStayInTableOrder)
{
    auto w = OpenRecords();
    EXPECT_EQ(w->GetTitle(), U("客户记录"));
    EXPECT_EQ(ListedNames(*w), (std::vector<CString>{U("张三"), U("李梅"), U("王五"), U("张三")}));
    ExpectListInStep(*w);
    wxListCtrl& list = *w->m_listRecords;
    EXPECT_EQ(list.GetColumnCount(), 12);
    EXPECT_EQ(list.GetItemText(0, 6), U("2021年03月04日14时05分"));
    EXPECT_EQ(list.GetItemText(1, 6), "") << "a running stay has no check-out";
    EXPECT_EQ(list.GetItemText(1, 2), U("女"));
    EXPECT_EQ(list.GetItemText(1, 3), U("回族"));
    EXPECT_EQ(list.GetItemText(1, 10), "120");
    EXPECT_FALSE(ModifyEnabled(*w)) << "nothing is selected yet";
    EXPECT_FALSE(w->m_pRegisterset->IsOpen()) << "the recordset is closed between commands";
}

TEST_F(Records, EnglishChangesTheHeadersButNotTheCells)
{
    g_nLanguage = 2;
    auto w = OpenRecords();
    EXPECT_EQ(w->GetTitle(), "User Record");
    wxListItem header;
    header.SetMask(wxLIST_MASK_TEXT);
    w->m_listRecords->GetColumn(5, header);
    EXPECT_EQ(header.GetText(), "HouseingDate");
    EXPECT_EQ(w->m_listRecords->GetItemText(1, 2), U("女"));
    EXPECT_EQ(w->m_listRecords->GetItemText(0, 5), U("2021年03月01日09时05分"));
}

TEST_F(Records, AStayWithoutNationDoesNotHideTheOthers)
{
    SeedStays({{"101", "张三", "2021-03-01 09:05:00", nullptr, "1", "100", "0", ""},
               {"102", "李梅", "2021-03-02 10:00:00", nullptr}});
    auto w = OpenRecords();
    EXPECT_EQ(ListedNames(*w), (std::vector<CString>{U("张三"), U("李梅")}));

    SeedStays({});
    auto empty = OpenRecords();
    EXPECT_EQ(empty->m_listRecords->GetItemCount(), 0);
    EXPECT_TRUE(empty->m_vRecords.empty());
}

TEST_F(Records, ModifyButtonFollowsTheSelectedRow)
{
    auto w = OpenRecords();
    ClickRow(*w, 1);
    EXPECT_TRUE(ModifyEnabled(*w)) << "an open stay";
    ClickRow(*w, 2);
    EXPECT_FALSE(ModifyEnabled(*w)) << "a closed stay";
    ClickRow(*w, 3);
    EXPECT_TRUE(ModifyEnabled(*w));
    ClickRow(*w, -1);
    EXPECT_FALSE(ModifyEnabled(*w)) << "a click beside the rows";
}

// ------------------------------------------------------------- search

TEST_F(Records, SearchListsOnlyExactMatchesAndKeepsTheResult)
{
    auto w = OpenRecords();
    Command(*w, ID_RECORDS_SEARCH);
    CUserSearchDlg* dlg = w->m_pSearchDlg.get();
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(dlg->IsShown());
    EXPECT_EQ(dlg->GetTitle(), U("客户记录搜索"));
    EXPECT_EQ(DialogDriving::Entries(dlg, IDC_SEARCH_KEY), (std::vector<wxString>{U("姓名"), U("证件号")}));
    EXPECT_EQ(w->m_bSearchMode, 1);

    SearchFor(*w, SEARCH_BY_NAME, U("张三"));
    EXPECT_EQ(ListedNames(*w), (std::vector<CString>{U("张三"), U("张三")}));
    ExpectListInStep(*w);
    EXPECT_EQ(w->m_listRecords->GetItemText(1, 10), "90") << "the second stay of the same guest";

    SearchFor(*w, SEARCH_BY_NAME, U(""));
    EXPECT_EQ(w->m_listRecords->GetItemCount(), 2) << "an empty search text changes nothing";

    SearchFor(*w, SEARCH_BY_NAME, U("张三 "));
    EXPECT_EQ(w->m_listRecords->GetItemCount(), 0);
    SearchFor(*w, SEARCH_BY_NAME, U("张"));
    EXPECT_EQ(w->m_listRecords->GetItemCount(), 0);

    SearchFor(*w, SEARCH_BY_ID_NUMBER, "320102199005170026");
    EXPECT_EQ(ListedNames(*w), (std::vector<CString>{U("李梅")}));
    EXPECT_EQ(DialogDriving::TextOf(dlg, IDC_SEARCH_TEXT), "320102199005170026") << "the dialog stays with its text";

    // Enter in the text field searches as the button does.
    DialogDriving::EnterText(dlg, IDC_SEARCH_TEXT, U("王五"));
    dlg->m_comboKey->SetSelection(SEARCH_BY_NAME);
    wxCommandEvent enter(wxEVT_TEXT_ENTER, IDC_SEARCH_TEXT);
    enter.SetEventObject(dlg->FindWindow(IDC_SEARCH_TEXT));
    dlg->FindWindow(IDC_SEARCH_TEXT)->GetEventHandler()->ProcessEvent(enter);
    wxTheApp->ProcessPendingEvents();
    EXPECT_EQ(ListedNames(*w), (std::vector<CString>{U("王五")}));

    // Closing the dialog ends search mode but keeps the result listed.
    dlg->Close();
    wxTheApp->ProcessPendingEvents();
    EXPECT_EQ(w->m_bSearchMode, 0);
    EXPECT_EQ(ListedNames(*w), (std::vector<CString>{U("王五")}));
    EXPECT_TRUE(DialogDriving::PumpUntil([&] { return w->m_pSearchDlg.get() == nullptr; }, 5000))
        << "the closed dialog goes";
}

TEST_F(Records, SearchDialogPostsTheKeyAndClosesOnce)
{
    // A stand-in records window that counts what the dialog posts.
    wxFrame receiver(nullptr, wxID_ANY, "receiver");
    std::vector<std::pair<int, int>> posted;
    receiver.Bind(EVT_RECORD_MESSAGE, [&](wxCommandEvent& e) { posted.push_back({e.GetId(), e.GetInt()}); });

    g_nLanguage = 2;
    auto* dlg = new CUserSearchDlg(&receiver);
    dlg->Show();
    EXPECT_EQ(dlg->GetTitle(), "Search record");
    EXPECT_EQ(DialogDriving::TextOf(dlg, IDC_SEARCH_OK), "Search");
    DialogDriving::PickEntry(dlg, IDC_SEARCH_KEY, "IDNumber");
    DialogDriving::PressButton(dlg, IDC_SEARCH_OK);
    EXPECT_TRUE(posted.empty()) << "posted, not sent";
    wxTheApp->ProcessPendingEvents();
    dlg->Close();
    dlg->Close();  // a second close of a window on its way out
    wxTheApp->ProcessPendingEvents();
    EXPECT_EQ(posted, (std::vector<std::pair<int, int>>{{WM_SEARCH_RECORD, 1}, {WM_SEARCH_CLOSED, 1}}));
    wxTheApp->ProcessIdle();
}

// ------------------------------------------------------------- modify

TEST_F(Records, ModifyWritesTheStayAndMoneyInItsNormalForm)
{
    auto w = OpenRecords();
    ClickRow(*w, 1);
    CheckInForm form;
    form.name = U("李梅梅");
    form.paid = "88.5";
    form.deposit = "abc";
    wxExpectModal<CRegisterDlg> clerk(form);
    wxTEST_DIALOG(Command(*w, ID_RECORDS_MODIFY), clerk);
    for (const std::string& p : clerk.Seen().problems)
        ADD_FAILURE() << "dialog driver: " << p;
    EXPECT_EQ(clerk.Seen().roomOffered, "102");

    const std::vector<StoredStay> stays = ReadStays();
    ASSERT_EQ(stays.size(), 4u);
    EXPECT_EQ(stays[1].name, U("李梅梅"));
    EXPECT_EQ(stays[1].paid, "88.5000");
    EXPECT_EQ(stays[1].deposit, ".0000");
    EXPECT_TRUE(stays[1].open) << "modifying keeps the stay running";
    EXPECT_EQ(stays[0].name, U("张三")) << "no other stay changes";

    EXPECT_EQ(w->m_listRecords->GetItemText(1, 1), U("李梅梅"));
    EXPECT_EQ(w->m_listRecords->GetItemText(1, 10), "88.5000");
    EXPECT_EQ(w->m_listRecords->GetItemText(1, 11), ".0000");
    EXPECT_EQ(w->m_vRecords[1].m_strPaid, "88.5000");

    // The same row can be modified again: the entry still finds its stay.
    CheckInForm again;
    again.remarks = U("回头客");
    wxExpectModal<CRegisterDlg> second(again);
    wxTEST_DIALOG(Command(*w, ID_RECORDS_MODIFY), second);
    EXPECT_EQ(w->m_listRecords->GetItemText(1, 9), U("回头客"));
    EXPECT_EQ(w->m_listRecords->GetItemText(1, 10), "88.5000");
}

TEST_F(Records, ModifyLeavesAMissingBirthdayMissing)
{
    SeedStays({{"102", "李梅", "2021-03-02 10:00:00", nullptr, "320102199005170026", "120", "20", "回族", 0, nullptr}});
    auto w = OpenRecords();
    ClickRow(*w, 0);
    CheckInForm form;
    form.remarks = U("改过");
    wxExpectModal<CRegisterDlg> clerk(form);
    wxTEST_DIALOG(Command(*w, ID_RECORDS_MODIFY), clerk);
    const std::vector<StoredStay> stays = ReadStays();
    ASSERT_EQ(stays.size(), 1u);
    EXPECT_FALSE(stays[0].hasBirthday) << "the picker's today was stored as the birthday";
}

TEST_F(Records, ModifyAsksForARowAndLeavesADeletedStayAlone)
{
    auto w = OpenRecords();
    ExpectMessageBox ask;
    wxTEST_DIALOG(Command(*w, ID_RECORDS_MODIFY), ask);
    EXPECT_EQ(ask.Shown(), U("请选择一条记录！"));

    ClickRow(*w, 1);
    GetTheApp().m_dbRegister.ExecuteSQL(U("DELETE FROM [register] WHERE [姓名]='李梅'"));
    Command(*w, ID_RECORDS_MODIFY);  // no dialog, no message
    EXPECT_EQ(w->m_listRecords->GetItemText(1, 1), U("李梅"));
}

TEST_F(Records, DoubleClickOnAnOpenStayModifiesItInEitherMode)
{
    auto w = OpenRecords();
    CheckInForm form;
    form.paid = "0";
    wxExpectModal<CRegisterDlg> clerk(form);
    wxTEST_DIALOG(DoubleClickRow(*w, 3), clerk);
    EXPECT_EQ(ReadStays()[3].paid, ".0000");

    Command(*w, ID_RECORDS_SEARCH);
    CheckInForm inSearch;
    inSearch.paid = "15";
    wxExpectModal<CRegisterDlg> searching(inSearch);
    wxTEST_DIALOG(DoubleClickRow(*w, 1), searching);
    EXPECT_EQ(ReadStays()[1].paid, "15.0000");
}

// ------------------------------------------------------------- delete

TEST_F(Records, DeleteInAFilteredListRemovesThatStayOnly)
{
    auto w = OpenRecords();
    Command(*w, ID_RECORDS_SEARCH);
    SearchFor(*w, SEARCH_BY_NAME, U("张三"));
    ASSERT_EQ(w->m_listRecords->GetItemCount(), 2);

    ClickRow(*w, 1);
    wxTEST_DIALOG(Command(*w, ID_RECORDS_DELETE), wxExpectModal<wxMessageDialog>(wxID_NO));
    EXPECT_EQ(ReadStays().size(), 4u) << "No keeps the stay";

    wxTEST_DIALOG(Command(*w, ID_RECORDS_DELETE), wxExpectModal<wxMessageDialog>(wxID_YES));
    const std::vector<StoredStay> stays = ReadStays();
    ASSERT_EQ(stays.size(), 3u);
    EXPECT_EQ(stays[0].paid, "100") << "the other stay of the same guest stays";
    EXPECT_EQ(StoredNames(), (std::vector<CString>{U("张三"), U("李梅"), U("王五")}));
    ExpectListInStep(*w);
    EXPECT_EQ(w->GetSelectionMark(), 0) << "the row above takes the selection";

    // Deleting the first and then the last remaining row.
    ClickRow(*w, 0);
    wxTEST_DIALOG(Command(*w, ID_RECORDS_DELETE), wxExpectModal<wxMessageDialog>(wxID_YES));
    EXPECT_EQ(w->m_listRecords->GetItemCount(), 0);
    EXPECT_TRUE(w->m_vRecords.empty());
    EXPECT_EQ(ReadStays().size(), 2u);

    ExpectMessageBox ask;
    wxTEST_DIALOG(Command(*w, ID_RECORDS_DELETE), ask);
    EXPECT_EQ(ask.Shown(), U("请选择一条记录！"));
}

// Another program holds the stays file: the clerk is told once, in the
// window's language, that nothing changed and why; the stay stays listed and stored.
TEST_F(Records, DeleteOnALockedFileSaysNothingChanged)
{
    g_nLanguage = 2;
    auto w = OpenRecords();
    ClickRow(*w, 0);
    ExpectMessageBox report;
    {
        FileWriteLock otherProgram(GuiEnvironment().DataSaveFolder() + "Register.db");
        wxTEST_DIALOG(Command(*w, ID_RECORDS_DELETE), wxExpectModal<wxMessageDialog>(wxID_YES), report);
    }
    EXPECT_TRUE(report.Shown().StartsWith("This was not done: nothing in the records has changed.")) << report.Shown();
    EXPECT_NE(report.Shown().Find("locked"), wxNOT_FOUND) << report.Shown();
    EXPECT_EQ(ReadStays().size(), 4u);
    ExpectListInStep(*w);
}

TEST_F(Records, DeletingTheFirstRowSelectsTheNewFirstRow)
{
    auto w = OpenRecords();
    ClickRow(*w, 0);
    wxTEST_DIALOG(Command(*w, ID_RECORDS_DELETE), wxExpectModal<wxMessageDialog>(wxID_YES));
    EXPECT_EQ(ListedNames(*w), (std::vector<CString>{U("李梅"), U("王五"), U("张三")}));
    EXPECT_EQ(w->GetSelectionMark(), 0);
    EXPECT_TRUE(ModifyEnabled(*w)) << "the new first row is an open stay";
}

// ------------------------------------------------------------- clear

TEST_F(Records, ClearDeletesClosedStaysBehindThePassword)
{
    g_lockSettings.m_strPassword = "abc";
    auto w = OpenRecords();

    wxTEST_DIALOG(Command(*w, ID_RECORDS_CLEAR), ExpectPasswordPrompt("", true));
    EXPECT_EQ(ReadStays().size(), 4u);
    wxTEST_DIALOG(Command(*w, ID_RECORDS_CLEAR), ExpectPasswordPrompt("ABC"));
    EXPECT_EQ(ReadStays().size(), 4u) << "a wrong password clears nothing";
    EXPECT_EQ(w->m_listRecords->GetItemCount(), 4);

    wxTEST_DIALOG(Command(*w, ID_RECORDS_CLEAR), ExpectPasswordPrompt("abc"));
    const std::vector<StoredStay> stays = ReadStays();
    ASSERT_EQ(stays.size(), 2u);
    EXPECT_TRUE(stays[0].open && stays[1].open);
    EXPECT_EQ(ListedNames(*w), (std::vector<CString>{U("李梅"), U("张三")}));
    ExpectListInStep(*w);
    CCashbookset cash(&GetTheApp().m_dbCashbook);
    cash.Open(CRecordset::dynaset);
    EXPECT_EQ(cash.GetRecordCount(), 2) << "the cash book is not touched";

    // Row 1 is now the second open stay, not the second stay listed before.
    CheckInForm form;
    form.remarks = U("续住");
    wxExpectModal<CRegisterDlg> clerk(form);
    wxTEST_DIALOG(DoubleClickRow(*w, 1), clerk);
    EXPECT_EQ(clerk.Seen().roomOffered, "101");
    EXPECT_EQ(w->m_listRecords->GetItemText(1, 9), U("续住"));
}

// ------------------------------------------------------------- detail pop-ups

TEST_F(Records, DoubleClickOnAClosedStayShowsItsDetailsAndConsumption)
{
    auto w = OpenRecords();
    DoubleClickRow(*w, 0);
    CNoticeDlg* popup = w->m_dlgNotice[0].get();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->IsShown());
    EXPECT_EQ(popup->m_nMode, 1);
    EXPECT_EQ(popup->GetTitle(), U("查看"));
    EXPECT_EQ(w->m_nNoticeSlot, 0x10100);
    EXPECT_TRUE(popup->m_strText1.StartsWith(U("房间号:101 \n姓名:张三 \n性别:男 ")));
    EXPECT_NE(popup->m_strText1.Find(U("退房时间:2021年3月4日14:5 ")), wxNOT_FOUND);
    EXPECT_EQ(popup->m_strText2, U("消费:￥ 300.000000")) << "the cash-book row written at its check-out";
    EXPECT_FALSE(w->m_pCashbookset->IsOpen());

    // A closed stay without a cash-book row of its check-out time.
    GetTheApp().m_dbCashbook.ExecuteSQL("DELETE FROM [cashbook]");
    DoubleClickRow(*w, 2);
    CNoticeDlg* second = w->m_dlgNotice[1].get();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->m_strText2, U("消费:￥ 0.00f"));

    DoubleClickRow(*w, -1);  // beside the rows: nothing
    EXPECT_EQ(w->FreeNoticeSlot(), 2);
}

TEST_F(Records, FivePopUpsAtMostAndAClosedOneFreesItsSlot)
{
    auto w = OpenRecords();
    for (int i = 0; i < CUserRWnd::kNoticeSlots; ++i)
        DoubleClickRow(*w, i % 2 == 0 ? 0 : 2);
    EXPECT_EQ(w->FreeNoticeSlot(), -1);
    CNoticeDlg* third = w->m_dlgNotice[2].get();

    DoubleClickRow(*w, 0);  // a sixth: nothing happens
    EXPECT_EQ(w->m_dlgNotice[2].get(), third);
    EXPECT_EQ(w->m_nNoticeSlot, 0x10104);

    third->Close();
    EXPECT_EQ(w->FreeNoticeSlot(), 2);
    DoubleClickRow(*w, 2);
    EXPECT_EQ(w->m_nNoticeSlot, 0x10102);
    ASSERT_NE(w->m_dlgNotice[2].get(), nullptr);
    EXPECT_TRUE(w->m_dlgNotice[2]->m_strText1.Contains(U("王五")));
}

TEST_F(Records, NoPopUpWhileSearching)
{
    auto w = OpenRecords();
    Command(*w, ID_RECORDS_SEARCH);
    DoubleClickRow(*w, 0);
    EXPECT_EQ(w->FreeNoticeSlot(), 0);

    w->m_pSearchDlg->Close();
    wxTheApp->ProcessPendingEvents();
    DoubleClickRow(*w, 0);
    EXPECT_NE(w->m_dlgNotice[0].get(), nullptr) << "search mode ended with the dialog";
}

namespace {

// A detail pop-up (mode 1) with these texts, painted on white for a client area of `client`.
wxImage PaintPopUp(const CString& text1, const CString& text2, const wxSize& client)
{
    CNoticeDlg popup(MainFrame());
    popup.m_nMode = 1;
    popup.m_strText1 = text1;
    popup.m_strText2 = text2;
    wxBitmap picture(client);
    {
        wxMemoryDC dc(picture);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        popup.Draw(dc, client);
    }
    return picture.ConvertToImage();
}

}  // namespace

TEST_F(Records, PopUpPaintsDetailsOnCreamAndConsumptionInRedBelow)
{
    CString text1, text2;
    FormatStayDetail(GuestRecord(), 1, true, "120.0000", text1, text2);
    const wxSize client(420, 460);
    const wxImage image = PaintPopUp(text1, text2, client);
    auto isCream = [&](int x, int y) {
        return image.GetRed(x, y) == 254 && image.GetGreen(x, y) == 248 && image.GetBlue(x, y) == 230;
    };
    auto isRed = [&](int x, int y) { return image.GetRed(x, y) > 200 && image.GetGreen(x, y) < 80; };
    EXPECT_TRUE(isCream(15, 15)) << "inside the frame";
    EXPECT_FALSE(isCream(5, 5)) << "outside the frame";
    int firstRed = -1, darkAbove = 0;
    for (int y = 0; y < client.y; ++y)
        for (int x = 0; x < client.x; ++x) {
            if (firstRed < 0 && isRed(x, y))
                firstRed = y;
            if (y > 11 && y < 355 && x > 11 && x < client.x - 11 && image.GetRed(x, y) < 60)
                ++darkAbove;
        }
    EXPECT_GE(firstRed, 355) << "the consumption line starts 355 pixels down";
    EXPECT_GT(darkAbove, 0) << "the detail text is drawn in black";
}

namespace {

// The baselines of a pop-up's detail lines, each of which has an H at the
// centre alone in its column of pixels: where each run of dark rows ends.
std::vector<int> CentreBaselines(const CString& text)
{
    const wxSize client(420, 460);
    const wxImage image = PaintPopUp(text, CString(), client);
    std::vector<int> baselines;
    bool inInk = false;
    for (int y = 25; y < 355; ++y) {
        bool dark = false;
        for (int x = client.x / 2 - 1; x <= client.x / 2 + 1; ++x)
            dark = dark || image.GetRed(x, y) < 100;
        if (inInk && !dark)
            baselines.push_back(y);
        inInk = dark;
    }
    return baselines;
}

}  // namespace

// Every detail line stands in one line height, the one a line with Chinese
// characters needs, whatever the lines hold: in English only some lines hold
// Chinese (a name, a nation) and the last one none, which today packs all the
// lines at the height of Latin letters.
TEST_F(Records, PopUpLinesKeepOneLineHeightWhateverTheirCharacters)
{
    const std::vector<int> english = CentreBaselines(U("H\n张H张\nH\n张H张\nH\nHHH"));
    const std::vector<int> chinese = CentreBaselines(U("张H张\n张H张\n张H张\n张H张"));
    ASSERT_EQ(english.size(), 6u);
    ASSERT_EQ(chinese.size(), 4u);
    // Glyphs fall on the pixel grid a pixel either way: pitches are compared over several lines.
    const double pitch = (chinese[3] - chinese[0]) / 3.0;
    EXPECT_NEAR(english[5] - english[0], 5 * pitch, 2) << "the lines are packed closer in English";
    for (size_t i = 1; i < english.size(); ++i)
        EXPECT_NEAR(english[i] - english[i - 1], pitch, 1.5) << "line " << i;
    EXPECT_NEAR(english[0], chinese[0], 1) << "the first line stands as high in both";
}

// ------------------------------------------------------------- on screen

namespace {

// Whether a text reads whole in a column `width` pixels wide, in the list's font.
bool ReadsWhole(const wxListCtrl& list, const wxString& text, int width)
{
    return list.GetTextExtent(text).x + kRecordCellMargin <= width;
}

// The X stacking of two top-level windows: true when `upper` lies above `lower`.
bool StandsAbove(wxWindow* upper, wxWindow* lower)
{
    using Fn0 = void* (*)();
    using WindowOf = void* (*)(void*);
    using Xid = unsigned long (*)(void*);
    using Root = unsigned long (*)(void*);
    using Sync = int (*)(void*, int);
    using Query = int (*)(void*, unsigned long, unsigned long*, unsigned long*, unsigned long**, unsigned*);
    using Free = int (*)(void*);
    const auto display = reinterpret_cast<Fn0>(dlsym(RTLD_DEFAULT, "gdk_x11_get_default_xdisplay"));
    const auto windowOf = reinterpret_cast<WindowOf>(dlsym(RTLD_DEFAULT, "gtk_widget_get_window"));
    const auto xid = reinterpret_cast<Xid>(dlsym(RTLD_DEFAULT, "gdk_x11_window_get_xid"));
    const auto root = reinterpret_cast<Root>(dlsym(RTLD_DEFAULT, "XDefaultRootWindow"));
    const auto sync = reinterpret_cast<Sync>(dlsym(RTLD_DEFAULT, "XSync"));
    const auto query = reinterpret_cast<Query>(dlsym(RTLD_DEFAULT, "XQueryTree"));
    const auto release = reinterpret_cast<Free>(dlsym(RTLD_DEFAULT, "XFree"));
    if (!display || !windowOf || !xid || !root || !sync || !query || !release)
        return false;
    void* x = display();
    sync(x, 0);
    unsigned long rootReturn = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!query(x, root(x), &rootReturn, &parent, &children, &count))
        return false;
    // Bottom first.
    const std::vector<unsigned long> stack(children, children + count);
    release(children);
    const auto at = [&](wxWindow* w) {
        return std::find(stack.begin(), stack.end(), xid(windowOf(w->GetHandle()))) - stack.begin();
    };
    return at(upper) > at(lower) && at(upper) < long(stack.size());
}

// At the window's size every column has its designed width and lies inside
// the list, its heading and its date and ID cells whole.
void ExpectEveryColumnWhole(int language)
{
    g_nLanguage = language;
    auto w = OpenRecords();
    EXPECT_EQ(w->GetSize(), wxSize(1075, 550));
    w->Layout();
    const wxListCtrl& list = *w->m_listRecords;
    int total = 0;
    for (int c = 0; c < list.GetColumnCount(); ++c) {
        wxListItem column;
        column.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH);
        list.GetColumn(c, column);
        EXPECT_EQ(column.GetWidth(), RecordColumnWidth(c, language)) << "column " << c << " keeps its width";
        EXPECT_TRUE(ReadsWhole(list, column.GetText(), column.GetWidth())) << column.GetText() << " is clipped";
        total += column.GetWidth();
    }
    EXPECT_LE(total, list.GetClientSize().x) << "some columns lie beyond the window in language " << language;
    for (int c : {4, 5, 6, 7})
        EXPECT_TRUE(ReadsWhole(list, list.GetItemText(0, c), list.GetColumnWidth(c)))
            << list.GetItemText(0, c) << " is clipped";
}

}  // namespace

TEST_F(Records, EveryColumnShowsWholeAtTheWindowsSizeInEitherLanguage)
{
    for (int language : {1, 2})
        ExpectEveryColumnWhole(language);
}

// A program started in English lays its text out as one started in Chinese
// and switched. The EnglishStart tests run in a start of their own, in
// English (ctest gui_tests_english).
TEST_F(EnglishStart, EveryRecordColumnShowsWhole)
{
    ASSERT_EQ(StateAtStart().language, 2) << "run with QUILLAN_TEST_START_LANGUAGE=2";
    ExpectEveryColumnWhole(2);
}

TEST_F(Records, SearchKeysShowWholeInEitherLanguage)
{
    for (int language : {1, 2}) {
        g_nLanguage = language;
        auto w = OpenRecords();
        w->OnSearchRecord();
        CUserSearchDlg* dlg = w->m_pSearchDlg.get();
        ASSERT_NE(dlg, nullptr);
        wxComboBox* keys = dlg->m_comboKey;
        EXPECT_GE(keys->GetSize().x, keys->GetBestSize().x) << "the key list cuts its entries";
        const wxRect edit = dlg->FindWindow(IDC_SEARCH_TEXT)->GetRect();
        EXPECT_GT(edit.x, keys->GetRect().GetRight()) << "the search text lies over the key list";
        for (int id : {IDC_SEARCH_OK, IDC_SEARCH_CANCEL}) {
            const wxRect button = dlg->FindWindow(id)->GetRect();
            EXPECT_GT(button.x, edit.GetRight());
            EXPECT_LE(button.GetRight(), dlg->GetClientSize().x);
        }
        dlg->Destroy();
    }
}

TEST_F(Records, SearchDialogComesBackAboveTheWindowWhenItIsClicked)
{
    auto w = OpenRecords();
    w->Show();
    w->OnSearchRecord();
    CUserSearchDlg* dlg = w->m_pSearchDlg.get();
    ASSERT_NE(dlg, nullptr);
    DialogDriving::PumpUntil([] { return false; }, 200);
    // The window manager raises the clicked window and activates it.
    w->Raise();
    ASSERT_TRUE(StandsAbove(w.get(), dlg));
    wxActivateEvent activated(wxEVT_ACTIVATE, true);
    activated.SetEventObject(w.get());
    w->ProcessWindowEvent(activated);
    EXPECT_TRUE(StandsAbove(dlg, w.get()));
    dlg->Destroy();
    w->Hide();
}

TEST_F(Records, PopUpsStayOnTheScreen)
{
    auto w = OpenRecords();
    const wxRect screen = wxDisplay(0u).GetClientArea();
    w->Move(screen.GetRight() - w->GetSize().x, screen.GetBottom() - w->GetSize().y);
    for (int i = 0; i < CUserRWnd::kNoticeSlots; ++i)
        DoubleClickRow(*w, i % 2 == 0 ? 0 : 2);
    for (int i = 0; i < CUserRWnd::kNoticeSlots; ++i) {
        CNoticeDlg* popup = w->m_dlgNotice[size_t(i)].get();
        ASSERT_NE(popup, nullptr);
        EXPECT_TRUE(screen.Contains(popup->GetScreenRect())) << "pop-up " << i << " leaves the screen";
    }
    EXPECT_EQ(PlaceWithin(wxRect(900, 700, 300, 400), wxRect(0, 0, 1000, 1000)), wxRect(700, 600, 300, 400));
    EXPECT_EQ(PlaceWithin(wxRect(-20, 10, 300, 400), wxRect(0, 0, 1000, 1000)), wxRect(0, 10, 300, 400));
}
