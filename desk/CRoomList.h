// The board's list: one row per room, drawn from rows it holds, so that the
// toolkit keeps no copy of them. Loading thousands of rooms then costs only
// reading them (a list that holds its own cells measures each one as it is
// set), and a row changes by replacing its values.
#pragma once

#include <vector>
#include <wx/listctrl.h>
#include "COleDateTime.h"

// What one board row shows, column by column, whether its room is reserved
// (also without a date to show), and its hourly stay, which the board's timers watch.
struct BoardRow
{
    static constexpr int kColumns = 10;

    wxString texts[kColumns];  // column 0 holds the room number
    int pictures[kColumns] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    bool reserved = false;
    bool hourly = false;
    COleDateTime hourStart, hourEnd;
};

class CRoomList : public wxListCtrl
{
public:
    CRoomList(wxWindow* parent, long style);

    // Replaces all rows; the selection goes.
    void SetRows(std::vector<BoardRow> rows);
    void InsertRow(long row, BoardRow values);
    void SetRow(long row, BoardRow values);
    const BoardRow& Row(long row) const { return m_rows[size_t(row)]; }
    // Changes one picture of a row; it is drawn again when it is in view.
    void SetPicture(long row, int column, int picture);
    // The first row from `from` on whose room number is exactly `room`, -1 when none.
    long FindRoom(const wxString& room, long from = 0) const;
    // How many rows before `row` show its room number: which of the rooms that
    // share a number the row is, in the board's order.
    int TwinOfRow(long row) const;

protected:
    wxString OnGetItemText(long item, long column) const override;
    int OnGetItemImage(long item) const override;
    int OnGetItemColumnImage(long item, long column) const override;

private:
    std::vector<BoardRow> m_rows;
};
