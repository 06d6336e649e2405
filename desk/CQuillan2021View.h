// The room board: one row per room of the rooms table, ten columns.
#pragma once

#include <memory>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/timer.h>
#include "CHouseset.h"

class CQuillan2021View : public wxListCtrl
{
public:
    explicit CQuillan2021View(wxWindow* parent);
    ~CQuillan2021View() override;

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
    // Display modes: 1000 large rows, 1001 small rows, 1002 extra-large icons.
    void SetViewMode(int nMode);
    void OnLargeIcons();
    void OnSmallIcons();
    void OnExtraLargeIcons();
    int m_nViewMode = 1000;

    // Whether the selected room has guests: enables check-out and change room.
    BOOL m_bCanCheckOut = TRUE;
    BOOL m_bCanChangeRoom = FALSE;

    // The row holding the selection mark, -1 when none.
    int GetSelectionMark() const;

private:
    BOOL OpenRooms();
    void MarkRow(int row);
    void OnKeyDown(wxKeyEvent& event);
    void OnItemChanged(wxListEvent& event);
    void OnTimer(wxTimerEvent& event);
    void FillHourlyFlags(CHouseset& rooms);
    void BlinkOverdueRooms(CHouseset& rooms);

    wxTimer m_fillTimer;
    wxTimer m_blinkTimer;
    void SetRowImageList(int size);
    // Rewrites menus, headings and toolbar in the language and stores the choice.
    void ApplyLanguage(int language);

    wxImageList m_imageList;
    wxImageList m_largeImageList;

    std::unique_ptr<CHouseset> m_pHouseset;
};

// The status line for the selected room, by language.
wxString FormatRoomStatusLine(int language, const CString& roomNo, int persons);

// Whether an hourly stay's booked time has run out by 'now', comparing times of
// day; a period whose end lies before its start passes midnight.
BOOL IsHourlyPeriodOverAt(COleDateTime start, COleDateTime end, COleDateTime now);
BOOL IsHourlyPeriodOver(COleDateTime start, COleDateTime end);

// The texts of columns 1 to 9 of a room's row; pictures are not texts and read empty.
struct RoomRowTexts
{
    wxString price, reserveDate, persons, hourStart, hourEnd, intro;
};
RoomRowTexts FormatRoomRow(const CHouseset& room);
