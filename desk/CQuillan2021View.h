// The room board: one row per room of the rooms table, ten columns.
#pragma once

#include <memory>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include "CHouseset.h"

class CQuillan2021View : public wxListCtrl
{
public:
    explicit CQuillan2021View(wxWindow* parent);

    void OnInitialUpdate();
    void LoadRooms();
    // nMode 1 inserts a row at nItem; nMode 0 refreshes the row of strRoomNo.
    BOOL UpdateRoomItem(int nItem, CString strRoomNo, int nMode);
    int FindRoomItem(CString strRoomNo);

    void OnLanguageChinese();
    void OnLanguageEnglish();

    // Room maintenance, on the marked row.
    void OnCleanRoom();
    void OnRepairRoom();
    void OnAddRoom();
    void OnModifyRoom();
    void OnDeleteRoom();
    // The row holding the selection mark, -1 when none.
    int GetSelectionMark() const;

private:
    BOOL OpenRooms();
    // Opens a rooms table of a handler's own, in the board's order.
    static BOOL OpenRoomsInBoardOrder(CHouseset& rooms);
    void MarkRow(int row);
    void OnKeyDown(wxKeyEvent& event);
    void SetRowImageList(int size);
    // Rewrites menus, headings and toolbar in the language and stores the choice.
    void ApplyLanguage(int language);

    wxImageList m_imageList;

    std::unique_ptr<CHouseset> m_pHouseset;
};

// The texts of columns 1 to 9 of a room's row; pictures are not texts and read empty.
struct RoomRowTexts
{
    wxString price, reserveDate, persons, hourStart, hourEnd, intro;
};
RoomRowTexts FormatRoomRow(const CHouseset& room);
