// The cash-book window and its revenue charts, driven through their own
// handlers on the real cash-book connection; the table is read back afterwards.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <gtk/gtk.h>
#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/listctrl.h>
#include <wx/settings.h>
#include <wx/toolbar.h>
#include <wx/uiaction.h>

#include "CCashBookDlg.h"
#include "CCashbookset.h"
#include "CashBookFigures.h"
#include "CMainFrame.h"
#include "CQuillan2021App.h"
#include "DialogDrivers.h"
#include "Globals.h"
#include "GuiTestSupport.h"

namespace {

wxString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

int ThisYear()
{
    return COleDateTime::GetCurrentTime().GetYear();
}

// One cash-book row: room, name, time (SQL text or NULL), paid, deposit, amount, status.
wxString CashValues(const char* room, const char* name, const wxString& time, const char* paid, const char* deposit,
                    const char* amount, int status)
{
    return wxString::Format("('%s','%s',%s,'%s','%s','%s',%d)", room, U(name), time, paid, deposit, amount, status);
}

wxString At(int year, int month, int day, int hour = 12, int minute = 0)
{
    return wxString::Format("'%04d-%02d-%02d %02d:%02d:00'", year, month, day, hour, minute);
}

void SeedCashBook(const std::vector<wxString>& rows)
{
    CDatabase& db = GetTheApp().m_dbCashbook;
    db.ExecuteSQL("DELETE FROM [cashbook]");
    for (const wxString& row : rows)
        db.ExecuteSQL(U("INSERT INTO [cashbook]([房间号],[姓名],[时间],[交钱],[押金],[交易金额],[状态]) VALUES ") + row);
}

std::vector<BOOL> StoredStatuses()
{
    CCashbookset rs(&GetTheApp().m_dbCashbook);
    rs.Open(CRecordset::dynaset);
    std::vector<BOOL> statuses;
    for (; !rs.IsEOF(); rs.MoveNext())
        statuses.push_back(rs.m_bStatus);
    return statuses;
}

std::vector<std::vector<wxString>> Rows(const wxListCtrl& list)
{
    std::vector<std::vector<wxString>> rows;
    for (long row = 0; row < list.GetItemCount(); ++row) {
        std::vector<wxString> cells;
        for (int column = 0; column < list.GetColumnCount(); ++column)
            cells.push_back(list.GetItemText(row, column));
        rows.push_back(cells);
    }
    return rows;
}

wxString TotalOf(const wxListCtrl& list)
{
    return list.GetItemText(list.GetItemCount() - 1, 5);
}

void SelectRow(CCashBookDlg& dlg, long row)
{
    dlg.m_listCashBook->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
}

void Tool(CCashBookDlg& dlg, int id)
{
    wxCommandEvent click(wxEVT_TOOL, id);
    click.SetEventObject(dlg.m_wndToolBar);
    dlg.m_wndToolBar->GetEventHandler()->ProcessEvent(click);
}

int OpenCharts(const CCashBookDlg& dlg)
{
    int open = 0;
    for (const CDrawCount& chart : dlg.m_drawCount)
        open += chart.IsWindowOpen() ? 1 : 0;
    return open;
}

bool IsWhite(const wxImage& image, int x, int y)
{
    return image.GetRed(x, y) == 255 && image.GetGreen(x, y) == 255 && image.GetBlue(x, y) == 255;
}

class CashBook : public testing::Test
{
protected:
    void SetUp() override
    {
        m_language = g_nLanguage;
        g_nLanguage = 1;
        // Three rows: a check-out that counts, one that was marked failed, and
        // an imported one with no time and an amount that is no number.
        SeedCashBook({CashValues("101", "张三", At(2024, 3, 5, 14, 7), "200.000000", "50.000000", "150.000000", 1),
                      CashValues("102", "李四", At(2024, 3, 6, 9, 30), "80", "0", "80", 0),
                      CashValues("103", "王五", "NULL", "12.5", "", "12.5", 1)});
    }
    void TearDown() override
    {
        g_nLanguage = m_language;
        GetTheApp().m_dbCashbook.ExecuteSQL("DELETE FROM [cashbook]");
    }

private:
    int m_language = 1;
};

TEST_F(CashBook, ListsEveryRowAndTotalsOnlyTheRowsThatCount)
{
    CCashBookDlg dlg(MainFrame());
    dlg.InitDialog();
    EXPECT_EQ(dlg.GetTitle(), U("小账本"));
    const wxListCtrl& list = *dlg.m_listCashBook;
    ASSERT_EQ(list.GetColumnCount(), 7);
    wxListItem status;
    status.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH);
    list.GetColumn(6, status);
    EXPECT_EQ(status.GetText(), U("状态"));

    const std::vector<std::vector<wxString>> expected{
        {"101", U("张三"), U("2024年03月05日14时07分"), "200.000000", "50.000000", "150.000000", U("成功")},
        {"102", U("李四"), U("2024年03月06日09时30分"), "80", "0", "80", U("失败")},
        {"103", U("王五"), "", "12.5", "", "12.5", U("成功")},
        {U("合计"), "", "", "", "", "162.500000", ""},
    };
    EXPECT_EQ(Rows(list), expected);
}

TEST_F(CashBook, AnEmptyBookShowsOnlyAZeroTotalAndTheStatusCommandChangesNothing)
{
    SeedCashBook({});
    CCashBookDlg dlg(MainFrame());
    dlg.InitDialog();
    const std::vector<std::vector<wxString>> expected{{U("合计"), "", "", "", "", "0.000000", ""}};
    EXPECT_EQ(Rows(*dlg.m_listCashBook), expected);
    Tool(dlg, ID_CASHBOOK_MODIFYSTATUS);
    SelectRow(dlg, 0);
    Tool(dlg, ID_CASHBOOK_MODIFYSTATUS);
    EXPECT_EQ(Rows(*dlg.m_listCashBook), expected);
    EXPECT_TRUE(StoredStatuses().empty());
}

TEST_F(CashBook, TheStatusCommandFlipsTheMarkedRowInTheTableAndTheTotalFollows)
{
    CCashBookDlg dlg(MainFrame());
    dlg.InitDialog();
    wxListCtrl& list = *dlg.m_listCashBook;

    // No row marked, then the total row marked: nothing changes.
    Tool(dlg, ID_CASHBOOK_MODIFYSTATUS);
    SelectRow(dlg, 3);
    Tool(dlg, ID_CASHBOOK_MODIFYSTATUS);
    EXPECT_EQ(StoredStatuses(), (std::vector<BOOL>{TRUE, FALSE, TRUE}));
    EXPECT_EQ(TotalOf(list), "162.500000");

    SelectRow(dlg, 1);
    Tool(dlg, ID_CASHBOOK_MODIFYSTATUS);
    EXPECT_EQ(StoredStatuses(), (std::vector<BOOL>{TRUE, TRUE, TRUE}));
    EXPECT_EQ(list.GetItemText(1, 6), U("成功"));
    EXPECT_EQ(TotalOf(list), "242.500000");

    SelectRow(dlg, 0);
    Tool(dlg, ID_CASHBOOK_MODIFYSTATUS);
    EXPECT_EQ(StoredStatuses(), (std::vector<BOOL>{FALSE, TRUE, TRUE}));
    EXPECT_EQ(list.GetItemText(0, 6), U("失败"));
    EXPECT_EQ(list.GetItemText(1, 6), U("成功"));
    EXPECT_EQ(TotalOf(list), "92.500000");

    // "更新" reads the table again, rows written since included; the window stays open.
    GetTheApp().m_dbCashbook.ExecuteSQL(U("INSERT INTO [cashbook]([房间号],[姓名],[时间],[交钱],[押金],[交易金额],[状态]) "
                                          "VALUES ") +
                                        CashValues("104", "赵六", At(2024, 4, 1), "10", "0", "10", 1));
    dlg.SetReturnCode(-1);
    ASSERT_TRUE(DialogDriving::PressButton(&dlg, IDC_CASHBOOK_UPDATE));
    EXPECT_EQ(dlg.GetReturnCode(), -1);
    ASSERT_EQ(list.GetItemCount(), 5);
    EXPECT_EQ(list.GetItemText(3, 0), "104");
    EXPECT_EQ(list.GetItemText(0, 6), U("失败"));
    EXPECT_EQ(TotalOf(list), "102.500000");
}

TEST_F(CashBook, EnglishChangesHeadersWidthsTitleAndButtonButNotTheRowTexts)
{
    g_nLanguage = 2;
    CCashBookDlg dlg(MainFrame());
    dlg.InitDialog();
    EXPECT_EQ(dlg.GetTitle(), "CashBook");
    EXPECT_EQ(DialogDriving::TextOf(&dlg, IDC_CASHBOOK_UPDATE), "Update");
    std::vector<wxString> headers;
    for (int column = 0; column < 7; ++column) {
        wxListItem item;
        item.SetMask(wxLIST_MASK_TEXT);
        dlg.m_listCashBook->GetColumn(column, item);
        headers.push_back(item.GetText());
    }
    EXPECT_EQ(headers, (std::vector<wxString>{"House", "Name", "Time", "Money", "Deposit", "TotalMoney", "Status"}));
    EXPECT_EQ(dlg.m_listCashBook->GetColumnWidth(6), 80);
    EXPECT_EQ(dlg.m_wndToolBar->GetToolShortHelp(ID_CASHBOOK_MODIFYSTATUS), "Modify record status");
    EXPECT_EQ(dlg.m_listCashBook->GetItemText(1, 6), U("失败"));
    EXPECT_EQ(dlg.m_listCashBook->GetItemText(3, 0), U("合计"));
}

TEST_F(CashBook, AtMostFiveChartsAndClosingTheWindowClosesThemAll)
{
    g_nSelectedRoomIndex = 2;
    {
        CCashBookDlg dlg(MainFrame());
        dlg.InitDialog();
        for (int i = 0; i < 6; ++i)
            Tool(dlg, ID_CASHBOOK_STAT);
        EXPECT_EQ(OpenCharts(dlg), 5);
        ASSERT_TRUE(dlg.m_drawCount[0].GetFrame());
        EXPECT_EQ(dlg.m_drawCount[0].GetFrame()->GetTitle(), U("统计"));
        EXPECT_EQ(dlg.m_drawCount[0].GetFrame()->GetClientSize(), wxSize(640, 480));

        // A chart closed by its close box frees its slot, and the next command fills the lowest free one.
        wxFrame* second = dlg.m_drawCount[1].GetFrame();
        second->Close();
        EXPECT_FALSE(dlg.m_drawCount[1].IsWindowOpen());
        dlg.m_drawCount[3].GetFrame()->Close();
        Tool(dlg, ID_CASHBOOK_STAT);
        EXPECT_TRUE(dlg.m_drawCount[1].IsWindowOpen());
        EXPECT_FALSE(dlg.m_drawCount[3].IsWindowOpen());
        EXPECT_EQ(OpenCharts(dlg), 4);

        // The close box of the cash-book window closes every chart with it.
        dlg.SetReturnCode(-1);
        dlg.Close();
        EXPECT_EQ(OpenCharts(dlg), 0);
        EXPECT_EQ(dlg.GetReturnCode(), 0);

        // Esc closes too; charts left open when the window object goes are closed with it.
        Tool(dlg, ID_CASHBOOK_STAT);
        wxKeyEvent esc(wxEVT_CHAR_HOOK);
        esc.m_keyCode = WXK_ESCAPE;
        dlg.ProcessWindowEvent(esc);
        EXPECT_EQ(OpenCharts(dlg), 0);
        Tool(dlg, ID_CASHBOOK_STAT);
        Tool(dlg, ID_CASHBOOK_STAT);
    }
    wxTheApp->ProcessIdle();
    for (wxWindow* window : wxTopLevelWindows)
        EXPECT_NE(window->GetLabel(), U("统计")) << "a chart outlived the cash-book window";
    // The charts keep no count in the board's selection.
    EXPECT_EQ(g_nSelectedRoomIndex, 2);
    g_nSelectedRoomIndex = 0;
}

// The window manager's close request reaches a chart through the toolkit,
// which refuses it for a plain frame while a modal dialog runs: the cash book
// runs for real here.
TEST_F(CashBook, AChartClosesByItsCloseBoxWhileTheCashBookIsUp)
{
    CCashBookDlg dlg(MainFrame());
    bool opened = false, closed = false;
    dlg.CallAfter([&] {
        Tool(dlg, ID_CASHBOOK_STAT);
        opened = dlg.m_drawCount[0].IsWindowOpen();
        if (opened) {
            gtk_window_close(GTK_WINDOW(dlg.m_drawCount[0].GetFrame()->GetHandle()));
            closed = DialogDriving::PumpUntil([&] { return !dlg.m_drawCount[0].IsWindowOpen(); }, 3000);
        }
        dlg.Close();
    });
    RealModals real;
    dlg.ShowModal();
    ASSERT_TRUE(opened);
    EXPECT_TRUE(closed) << "the close box left the chart open";
}

TEST_F(CashBook, TheChartSumsTheCountedRowsOfItsYearAndTheArrowKeysStepTheYear)
{
    const int year = ThisYear();
    SeedCashBook({CashValues("101", "张三", At(year, 3, 10), "", "", "99.99", 1),
                  CashValues("102", "李四", At(year, 3, 11), "", "", "1000", 0),
                  CashValues("103", "王五", At(year, 6, 1), "", "", "50", 1),
                  CashValues("104", "赵六", At(year - 1, 5, 20), "", "", "40", 1)});
    CCashBookDlg dlg(MainFrame());
    dlg.InitDialog();
    CDrawCount& chart = dlg.m_drawCount[0];
    EXPECT_EQ(chart.m_nYear, year);

    // The drawing: March, the largest month, fills the plot (310 pixels above the
    // axis at y 380); June stands half as high; January has no bar.
    wxBitmap picture(640, 480, 24);
    {
        wxMemoryDC dc(picture);
        EXPECT_TRUE(chart.PaintChart(dc));
    }
    ASSERT_EQ(g_vMonthSums.size(), 12u);
    EXPECT_NEAR(g_vMonthSums[2], 99.99, 1e-9) << "the cents count, as in the cash book's total";
    EXPECT_EQ(g_vMonthSums[5], 50.0);
    EXPECT_EQ(g_vMonthSums[4], 0.0) << "a row of the year before";
    const wxImage image = picture.ConvertToImage();
    const int march = 60 + 2 * 44 + 5, june = 60 + 5 * 44 + 5, january = 60 + 5;
    EXPECT_FALSE(IsWhite(image, march, 380 - 305));
    EXPECT_FALSE(IsWhite(image, march, 380 - 2));
    EXPECT_FALSE(IsWhite(image, june, 380 - 150));
    EXPECT_TRUE(IsWhite(image, june, 380 - 250));
    EXPECT_TRUE(IsWhite(image, january, 380 - 100));
    EXPECT_TRUE(IsWhite(image, march - 10, 380 - 100));

    // The window: the left arrow shows the year before at once.
    Tool(dlg, ID_CASHBOOK_STAT);
    ASSERT_TRUE(chart.GetCanvas());
    g_vMonthSums.clear();
    wxKeyEvent left(wxEVT_KEY_DOWN);
    left.m_keyCode = WXK_LEFT;
    left.SetEventObject(chart.GetCanvas());
    chart.GetCanvas()->ProcessWindowEvent(left);
    EXPECT_EQ(chart.m_nYear, year - 1);
    EXPECT_TRUE(DialogDriving::PumpUntil([] { return g_vMonthSums.size() == 12 && g_vMonthSums[4] == 40.0; }, 5000))
        << "the chart did not repaint for the year before";
    EXPECT_EQ(g_vMonthSums[2], 0.0);

    // A chart opened again in the same slot starts where the last one stood.
    chart.GetFrame()->Close();
    Tool(dlg, ID_CASHBOOK_STAT);
    EXPECT_EQ(chart.m_nYear, year - 1);
    wxKeyEvent right(wxEVT_KEY_DOWN);
    right.m_keyCode = WXK_RIGHT;
    chart.GetCanvas()->ProcessWindowEvent(right);
    EXPECT_EQ(chart.m_nYear, year);
    dlg.Close();
}

TEST_F(CashBook, TheChartWindowIsTitledInEnglish)
{
    g_nLanguage = 2;
    CCashBookDlg dlg(MainFrame());
    dlg.InitDialog();
    Tool(dlg, ID_CASHBOOK_STAT);
    ASSERT_TRUE(dlg.m_drawCount[0].GetFrame());
    EXPECT_EQ(dlg.m_drawCount[0].GetFrame()->GetTitle(), "Statistics");
    dlg.Close();
}


// Every column lies inside the list, with room for its scroll bar, and every
// heading reads whole: in English the columns are wider than the template's list.
TEST_F(CashBook, EveryHeadingReadsWholeInEitherLanguage)
{
    for (int language : {1, 2}) {
        g_nLanguage = language;
        CCashBookDlg dlg(MainFrame());
        dlg.InitDialog();
        const wxListCtrl& list = *dlg.m_listCashBook;
        int columns = 0;
        for (int c = 0; c < list.GetColumnCount(); ++c) {
            wxListItem heading;
            heading.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH);
            list.GetColumn(c, heading);
            EXPECT_LE(list.GetTextExtent(heading.GetText()).x + 10, heading.GetWidth()) << heading.GetText();
            columns += heading.GetWidth();
        }
        EXPECT_EQ(list.GetColumnWidth(6), language == 2 ? 80 : 50) << "the columns keep their widths";
        EXPECT_LE(columns + wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, &list), list.GetClientSize().x)
            << "the last column is cut off in language " << language;
        EXPECT_LE(list.GetRect().GetRight(), dlg.GetClientSize().x) << "the list leaves the window";
        const wxRect update = dlg.FindWindow(IDC_CASHBOOK_UPDATE)->GetRect();
        EXPECT_NEAR(update.x + update.width / 2, dlg.GetClientSize().x / 2, 20) << "the button stays in the middle";
    }
}

// Enter refreshes the list as "更新" does, also while the list has the focus.
TEST_F(CashBook, EnterInTheListRefreshesIt)
{
    CCashBookDlg dlg(MainFrame());
    dlg.InitDialog();
    dlg.Show();
    dlg.m_listCashBook->SetFocus();
    SelectRow(dlg, 0);
    DialogDriving::PumpUntil([&] { return dlg.m_listCashBook->HasFocus(); }, 2000);
    GetTheApp().m_dbCashbook.ExecuteSQL(U("INSERT INTO [cashbook]([房间号],[姓名],[时间],[交钱],[押金],[交易金额],[状态]) "
                                          "VALUES ") +
                                        CashValues("104", "赵六", At(2024, 4, 1), "10", "0", "10", 1));
    wxUIActionSimulator keys;
    keys.Char(WXK_RETURN);
    EXPECT_TRUE(DialogDriving::PumpUntil([&] { return dlg.m_listCashBook->GetItemCount() == 5; }, 3000))
        << "Enter did not read the table again";
    EXPECT_TRUE(dlg.IsShown()) << "Enter closed the window";
    dlg.Hide();
}

// A long book is read as the list draws it: every row, read in any order,
// shows its record as the table holds it, the status command flips the record
// of the marked row however far down, and the total follows.
TEST_F(CashBook, TheRowsOfALongBookAreTheTablesInAnyOrder)
{
    std::vector<wxString> rows;
    for (int i = 0; i < 700; ++i)
        rows.push_back(CashValues(wxString::Format("%d", 100 + i).utf8_str(), i % 3 ? "张三" : "Smith",
                                  i % 50 == 0 ? wxString("NULL") : At(2020 + i % 5, 1 + i % 12, 1 + i % 28, i % 24, i % 60),
                                  "10", "5", i % 11 == 0 ? "12.5" : wxString::Format("%d.%02d0000", i, i % 100).utf8_str(),
                                  i % 10 == 0 ? 0 : 1));
    SeedCashBook(rows);
    CCashBookDlg dlg(MainFrame());
    dlg.InitDialog();
    const wxListCtrl& list = *dlg.m_listCashBook;

    std::vector<std::vector<wxString>> expected;
    double total = 0;
    {
        CCashbookset rs(&GetTheApp().m_dbCashbook);
        rs.Open(CRecordset::dynaset);
        for (; !rs.IsEOF(); rs.MoveNext()) {
            std::vector<wxString> cells;
            for (int c = 0; c < 7; ++c)
                cells.push_back(CashBookCellText(rs, c));
            expected.push_back(cells);
            total += CountedAmount(rs.m_bStatus, rs.m_strAmount);
        }
    }
    expected.push_back({U("合计"), "", "", "", "", FormatCashBookTotal(total), ""});
    ASSERT_EQ(list.GetItemCount(), 701);
    for (long row : {700L, 699L, 0L, 350L, 3L, 698L, 1L, 351L})
        for (int c = 0; c < 7; ++c)
            EXPECT_EQ(list.GetItemText(row, c), expected[size_t(row)][size_t(c)]) << row << " " << c;
    EXPECT_EQ(Rows(list), expected);

    SelectRow(dlg, 690);
    Tool(dlg, ID_CASHBOOK_MODIFYSTATUS);
    EXPECT_EQ(StoredStatuses()[690], TRUE);
    EXPECT_EQ(list.GetItemText(690, 6), U("成功"));
    EXPECT_EQ(TotalOf(list), FormatCashBookTotal(total + 690.9));
}

// The cash book cannot be opened: the clerk is told once and the window
// closes with its charts, so that the program ends; a chart that finds it so
// at a paint does the same as the list.
TEST_F(CashBook, ATableThatWouldNotOpenEndsTheProgramFromTheListAndFromAChart)
{
    CDatabase& cash = GetTheApp().m_dbCashbook;
    const wxString table = cash.GetSchemaName() + ".[cashbook]";
    for (bool fromChart : {false, true}) {
        SCOPED_TRACE(fromChart ? "chart" : "list");
        CCashBookDlg dlg(MainFrame());
        dlg.InitDialog();
        Tool(dlg, ID_CASHBOOK_STAT);
        Tool(dlg, ID_CASHBOOK_STAT);
        dlg.SetReturnCode(-1);
        cash.ExecuteSQL("ALTER TABLE " + table + " RENAME TO [gone]");
        ExpectMessageBox told;
        wxTEST_DIALOG(
            {
                if (fromChart) {
                    for (CDrawCount& chart : dlg.m_drawCount)
                        if (chart.GetCanvas())
                            chart.GetCanvas()->Refresh();
                } else {
                    DialogDriving::PressButton(&dlg, IDC_CASHBOOK_UPDATE);
                }
                DialogDriving::PumpUntil([&] { return dlg.GetReturnCode() == 0; }, 3000);
            },
            told);
        cash.ExecuteSQL("ALTER TABLE " + cash.GetSchemaName() + ".[gone] RENAME TO [cashbook]");
        EXPECT_EQ(told.Shown(), U("打开数据库失败！"));
        EXPECT_EQ(dlg.GetReturnCode(), 0) << "the cash book stayed open, so the program goes on";
        EXPECT_EQ(OpenCharts(dlg), 0);
    }
}

}  // namespace
