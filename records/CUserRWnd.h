// The guest-records window: every stay of the stays table, one row each, with
// the clerk's work on them: clear the closed stays behind the password, search
// by name or ID number, modify or delete a stay, and show a closed stay's
// details in a pop-up.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>
#include <wx/font.h>
#include <wx/imaglist.h>
#include <wx/timer.h>
#include <wx/weakref.h>

#include "CDialogEx.h"
#include "CNoticeDlg.h"
#include "CRecordList.h"
#include "CUserSearchDlg.h"
#include "GuestRecord.h"
#include "WinTypes.h"

class wxListEvent;
class wxToolBar;
class CRegisterset;
class CCashbookset;
class ChangeWatch;

enum : int {
    IDC_RECORDS_LIST = 1009,
    ID_RECORDS_CLEAR = 32888,
    ID_RECORDS_SEARCH = 32811,
    ID_RECORDS_MODIFY = 32845,
    ID_RECORDS_DELETE = 32887,
};

// The search keys of the search dialog, as its list offers them.
enum : int { SEARCH_BY_NAME = 0, SEARCH_BY_ID_NUMBER = 1 };

// The twelve cell texts of a stay's row: room, name, sex, nation, birth date,
// check-in, check-out (empty while the stay is open), ID number, native place,
// remarks, paid, deposit. Sex and dates read in Chinese in both languages.
std::vector<CString> RecordRowTexts(const GuestRecord& rec);
// One of those texts; empty for a column outside 0 to 11.
CString RecordCellText(const GuestRecord& rec, int column);

// The heading and the width of a column of the list, by language.
CString RecordColumnHeading(int column, int language);
int RecordColumnWidth(int column, int language);
// Room beside a heading or a cell's text within its column.
constexpr int kRecordCellMargin = 10;
// Whether every heading, and the longest form of the date and ID-number
// cells, read whole in their columns in `font`.
bool RecordColumnsFit(const wxWindow& list, const wxFont& font, int language);
// The list's font: the template's 8 points, or less (down to 7) where this
// system's fonts need it, so that every column keeps its width, all of them fit
// in the window, and headings and cells read whole.
wxFont FitRecordListFont(const wxWindow& list, int language);

// TRUE when the stay's name (key 0) or ID number (key 1) is exactly `text`:
// whole text, case-sensitive, nothing trimmed. Other keys match nothing.
bool RecordMatchesSearch(const GuestRecord& rec, int key, const CString& text);

// The two texts of a closed stay's pop-up: the twelve detail lines and the
// consumption line, which shows `amount` when the stay's cash-book row was
// found. False, and nothing written, for a language other than 1 and 2.
bool FormatStayDetail(const GuestRecord& rec, int language, bool cashFound, const CString& amount, CString& text1,
                      CString& text2);

class CUserRWnd : public CDialogEx
{
public:
    explicit CUserRWnd(wxWindow* parent = nullptr);
    ~CUserRWnd() override;

    static constexpr int kNoticeSlots = 5;

    wxToolBar* m_wndToolBar = nullptr;
    wxImageList m_imageList;
    std::unique_ptr<CRegisterset> m_pRegisterset;  // the window's own stays recordset
    std::unique_ptr<CCashbookset> m_pCashbookset;  // the window's own cash-book recordset
    // Detail pop-ups; a slot is free while it holds no window.
    std::array<wxWeakRef<CNoticeDlg>, kNoticeSlots> m_dlgNotice;
    int m_nNoticeSlot = 0;  // 0x10100 + the slot taken last; 0 before the first pop-up
    wxWeakRef<CUserSearchDlg> m_pSearchDlg;
    CStayRows m_vRecords;  // stay i is the one shown in list row i
    int m_bSearchMode = 0;                // 1 from the search command until the search dialog closes
    CRecordList* m_listRecords = nullptr;  // row i draws stay i of m_vRecords

    // Lists every stay of the stays table.
    void LoadRecords();
    // Row nItem of the list: mode 1 shows entry nItem as a new row, mode 0
    // finds entry nItem in the stays table and redraws the row from the table
    // (leaving the stays recordset on it), mode 2 removes the row before the
    // caller removes the entry. FALSE after a failure message.
    BOOL AddRecordRow(int nItem, int nMode);

    // The commands of the toolbar.
    void OnClearRecords();
    void OnSearchRecord();
    void OnModifyRecord();
    void OnDeleteRecord();

    // The messages of the search dialog (WM_SEARCH_RECORD, WM_SEARCH_CLOSED).
    std::intptr_t WindowProc(UINT message, UINT_PTR wParam, std::intptr_t lParam);
    void SearchByName();
    void SearchByIdNumber();

    // A click on a row (the selection moving to it) and a double-click (or Enter).
    void OnClickList(wxListEvent& event);
    void OnDblclkList(wxListEvent& event);

    // Fills a pop-up's texts from entry nItem and the current cash-book row.
    void ShowRecordDetail(CNoticeDlg* pDlg, int nItem);

    // The selected row, -1 when none.
    int GetSelectionMark() const;
    // A pop-up slot that holds no window, -1 when all are in use.
    int FreeNoticeSlot() const;

private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnRecordMessage(wxCommandEvent& event);
    void OnDeselectList(wxListEvent& event);
    void Search(int key);
    void EnableModify(bool enable);
    void UpdateModifyForRow(long row);
    void SelectRow(long row);
    bool OpenStays();
    // Lists the stays anew where another desk changed the hotel.
    void FollowOtherDesks();

    // What the list shows: every stay (-1), or the stays a search by that key found for that text.
    int m_nListedKey = -1;
    CString m_strListedText;
    std::unique_ptr<ChangeWatch> m_otherDesks;
    wxTimer m_followTimer;
};
