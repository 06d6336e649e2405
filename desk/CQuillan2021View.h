// The room board: the document's one view, a list control in the main frame
// with one row per room of the rooms table and ten columns. Every room command
// acts on the marked row.
#pragma once

#include <wx/docview.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/timer.h>
#include <memory>
#include <optional>
#include "CHouseset.h"
#include "CRoomList.h"
#include "RoomOperations.h"

class ChangeWatch;
class CQuillan2021Doc;
class CRoomIconBoard;
class wxMenu;

class CQuillan2021View : public wxView
{
public:
    CQuillan2021View();

    // Builds the list control inside the main frame.
    bool OnCreate(wxDocument* doc, long flags) override;
    // Stops the timers and takes the list control away with the view.
    bool OnClose(bool deleteWindow) override;
    void OnDraw(wxDC*) override {}

    CQuillan2021Doc* GetDocument() const;
    wxListCtrl& GetListCtrl() const { return *m_pList; }
    // The extra-large mode's icons, drawn from the list's rows.
    CRoomIconBoard* GetIconBoard() const { return m_pIconBoard; }

    void OnInitialUpdate();
    void LoadRooms();
    // nMode 1 inserts a row at nItem; nMode 0 refreshes the row of strRoomNo.
    BOOL UpdateRoomItem(int nItem, CString strRoomNo, int nMode);
    int FindRoomItem(CString strRoomNo);

    void OnLanguageChinese();
    void OnLanguageEnglish();

    // Stays, on the marked row.
    void OnRegister();
    void OnCheckOut();
    void OnChangeRoom();
    void OnReserve();
    void OnCancelReservation();

    // Room maintenance, on the marked row.
    void OnCleanRoom();
    void OnRepairRoom();
    void OnAddRoom();
    void OnModifyRoom();
    void OnDeleteRoom();

    // Windows opened from the board.
    void OnViewRecords();
    // The cash book, behind the password when its lock is on.
    void OnCashBook();
    void OnImportExport();
    void OnPassword();
    void OnReward();
    void OnCalculator();
    // The app store's review page, when the store is recent enough.
    void OnComment();

    // Display modes: 1000 large rows, 1001 small rows, 1002 extra-large icons.
    void SetViewMode(int nMode);
    void OnLargeIcons();
    void OnSmallIcons();
    void OnExtraLargeIcons();
    int m_nViewMode = 1000;

    // The right-click menu of the marked row, texts and grayed items set;
    // nullptr when no row is marked or its room is not in the table.
    wxMenu* BuildContextMenu();

    // One tick of the hourly-room timers: 1000 counts the rooms' flags, 1001 blinks.
    void OnTimer(UINT_PTR nIDEvent);

    // Whether the selected room has guests: enables check-out and change room.
    BOOL m_bCanCheckOut = TRUE;
    // Whether the room under the context menu is reserved.
    BOOL m_bCanCancelReserve = FALSE;
    BOOL m_bCanChangeRoom = FALSE;

    // The row holding the selection mark, -1 when none.
    int GetSelectionMark() const;
    // The room a row shows: its number and which of the rooms of that number.
    RoomRef RoomOfRow(int row) const;

private:
    void BindCommands();
    void BindListEvents();
    BOOL OpenRooms();
    // Selects a row, puts the mark on it and scrolls it into view.
    void MarkRow(int row);
    // `row` when it shows that room number, else the first row that does.
    int RowShowing(int row, const CString& roomNo) const;
    // A room added or renumbered gets its row in the board's order, the other
    // rows staying as they are; the row, or -1 when the room is not in the table.
    int InsertRoomRow(const CString& roomNo);
    void RemoveRoomRow(int row);
    // Tells the clerk why a room was not added, changed or deleted; true when it was.
    bool ChangedRooms(std::optional<RoomChange> change, const CString& roomNo);
    void OnKeyDown(wxKeyEvent& event);
    void OnContextMenu(wxContextMenuEvent& event);
    void OnItemChanged(wxListEvent& event);
    // A row's contents changed: the marked room is read again, as its selection would.
    void OnRowChanged();
    // The one place where the board follows a room: its guests flags, the
    // status line and, with extra-large icons, the room's card are read from
    // the table. -1 (or a room no longer there) clears them.
    void ReadRoomOfRow(int row);
    // A double-click anywhere on the board checks a guest in.
    void OnDblClk();
    // The list's reader of the rows it draws (CRoomList::DetailsReader).
    void ReadRowDetails(long first, long last);
    void OnTimerEvent(wxTimerEvent& event);
    // The timers work from the rooms as the board shows them: every command
    // that changes a room redraws its row from the table.
    void FillHourlyFlags();
    void BlinkOverdueRooms();
    void SetRowImageList(int size);
    // Rewrites menus, headings and toolbar in the language and stores the choice.
    void ApplyLanguage(int language);
    // Shows the detail pane's picture for the current display mode.
    void RefreshDetailPane(bool showPane);
    void SetStatusLine(const wxString& text);
    wxWindow* DialogParent() const;

    wxWindow* m_pBoardWindow = nullptr;  // holds the list and the icon board
    CRoomList* m_pList = nullptr;
    CRoomIconBoard* m_pIconBoard = nullptr;
    wxTimer m_fillTimer;
    wxTimer m_blinkTimer;
    std::unique_ptr<ChangeWatch> m_otherDesks;  // from the first tick
    wxImageList m_imageList;

    wxDECLARE_DYNAMIC_CLASS(CQuillan2021View);
};

// Why a room is not deleted, by language.
wxString RoomHasGuestsMessage(int language, const CString& roomNo);

// The status line for the selected room, by language.
wxString FormatRoomStatusLine(int language, const CString& roomNo, int persons);

// Whether an hourly stay's booked time has run out by 'now', whatever the day;
// an end stored before its start passes midnight. Dates that are not valid
// compare their times of day, whose parts are then -1.
BOOL IsHourlyPeriodOverAt(COleDateTime start, COleDateTime end, COleDateTime now);
BOOL IsHourlyPeriodOver(COleDateTime start, COleDateTime end);

// Writes the board row of the room the recordset stands on: its texts, its
// pictures and its hourly stay.
void FormatRoomRow(const CHouseset& room, BoardRow& row);
// The same for the columns read when the row is drawn (BoardRow::IsDetail) and `reserved`.
void FormatRoomDetails(const CHouseset& room, BoardRow& row);
// The same for the hourly stay that the hourly timers watch: its picture in column 8.
void FormatRoomHourly(BOOL hourly, const COleDateTime& start, const COleDateTime& end, BoardRow& row);

// The window of a list that holds its rows and takes its mouse clicks.
wxWindow* ListRowsWindow(wxListCtrl& list);
