// The cash-book window: every row of the cash book with a closing total of the
// rows that count, a toolbar to flip a row between 成功 and 失败 and to open a
// yearly revenue chart (up to five at once), and "更新" to read the table again.
// The list reads the rows it shows from a recordset of the window's own, open
// while the window is; "更新" opens it again on the table as it is then.
#pragma once

#include <memory>
#include <wx/timer.h>

#include "CCashBookList.h"
#include "CCashBookRows.h"
#include "CDialogEx.h"
#include "CDrawCount.h"
#include "WinTypes.h"

class wxCloseEvent;
class wxInitDialogEvent;
class wxKeyEvent;
class wxToolBar;
class ChangeWatch;

enum : int {
    IDC_CASHBOOK_LIST = 1030,
    IDC_CASHBOOK_UPDATE = 1,  // IDOK: refills the list, the window stays open
    IDC_CASHBOOK_CLOSE = 2,   // IDCANCEL: the close box and Esc
    ID_CASHBOOK_MODIFYSTATUS = 32844,
    ID_CASHBOOK_STAT = 32880,
};

class CCashBookDlg : public CDialogEx
{
public:
    static constexpr int kChartSlots = 5;

    explicit CCashBookDlg(wxWindow* parent = nullptr);
    ~CCashBookDlg() override;

    // Lists every cash-book record and the total row "合计" as the table holds them now.
    void FillList();

    wxToolBar* m_wndToolBar = nullptr;
    // The chart of each slot; a slot is free while its window is not open.
    CDrawCount m_drawCount[kChartSlots];
    CCashBookRows m_records;  // what the list shows
    CCashBookList* m_listCashBook = nullptr;

private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnModifyStatus(wxCommandEvent& event);
    void OnBnClickedOk(wxCommandEvent& event);
    void OnStat(wxCommandEvent& event);
    void OnBnClickedCancel(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnCharHook(wxKeyEvent& event);

    void CloseWindow();
    // Widens the list, and the window with it, until every column lies inside.
    void FitListToColumns();
    // The table cannot be opened, for the list or for a chart: the clerk is
    // told once, and the window closes with its charts so that the program ends.
    void ReportOpenFailure();

    // Reads the book anew where another desk changed the hotel.
    void FollowOtherDesks();

    bool m_bEnding = false;  // the program ends for a table that would not open
    std::unique_ptr<ChangeWatch> m_otherDesks;
    wxTimer m_followTimer;
};
