// The board's list: one row per room, drawn from rows it holds, so that the
// toolkit keeps no copy of them. Loading thousands of rooms then costs only
// reading them (a list that holds its own cells measures each one as it is
// set), and a row changes by replacing its values. A row may first hold only
// its room number and hourly stay; the rest is read when the row is drawn or
// asked for, a screenful at a time, so that loading the board reads of each
// room only what the board needs before it draws. The list knows its selected
// row from the selection's own notifications: asking the toolkit would look
// at every row, and the toolbar asks whenever the program is idle.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <vector>
#include <wx/listctrl.h>
#include "COleDateTime.h"

// The texts of a board row's columns. Column 0, the room number, is held in
// place; the others, which a row gets once it is read whole, are held apart
// from the first one written on, so that a board of many rooms holds little
// for the rows out of view. A column not written reads as empty.
class RowTexts
{
public:
    static constexpr size_t kColumns = 10;

    RowTexts() = default;
    RowTexts(const RowTexts& other);
    RowTexts(RowTexts&& other) noexcept;
    RowTexts& operator=(RowTexts other) noexcept;

    wxString& operator[](size_t column);
    const wxString& operator[](size_t column) const;

private:
    wxString m_number;
    std::unique_ptr<std::array<wxString, kColumns - 1>> m_others;
};

// What one board row shows, column by column, whether its room is reserved
// (also without a date to show), and its hourly stay, which the board's timers watch.
struct BoardRow
{
    static constexpr int kColumns = int(RowTexts::kColumns);

    RowTexts texts;  // column 0 holds the room number
    int pictures[kColumns] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    bool reserved = false;
    bool hourly = false;
    COleDateTime hourStart, hourEnd;
    // False while the row holds only the room number and the hourly stay
    // (columns 0 and 8, `hourly`, `hourStart`, `hourEnd`): the texts and
    // pictures of the other columns and `reserved` are still to be read.
    bool detailed = true;

    // Whether a column is one of those read with the details.
    static bool IsDetail(long column) { return column != 0 && column != 8; }
};

class CRoomList : public wxListCtrl
{
public:
    // Reads what rows [first, last] lack into them (RowToFill) and leaves every
    // one of them detailed, also a row whose room is no longer there.
    using DetailsReader = std::function<void(long first, long last)>;
    // How many rows the reader is asked for at a time: more than a screenful.
    static constexpr long kDetailBlock = 64;

    CRoomList(wxWindow* parent, long style);

    void SetDetailsReader(DetailsReader reader) { m_readDetails = std::move(reader); }
    // Replaces all rows; the selection goes.
    void SetRows(std::vector<BoardRow> rows);
    // Inserts or removes a row; the selection goes, as the toolkit keeps it by position.
    void InsertRow(long row, BoardRow values);
    void DeleteRow(long row);
    void SetRow(long row, BoardRow values);
    // The row as held, which may lack its details.
    const BoardRow& Row(long row) const { return m_rows[size_t(row)]; }
    // The room number a row shows, without reading the row's details.
    const wxString& RoomNumber(long row) const { return m_rows[size_t(row)].texts[0]; }
    // The row whole, its details read first when it lacks them.
    const BoardRow& DetailedRow(long row) const;
    // For the reader: the row to write into; it is drawn when next in view.
    BoardRow& RowToFill(long row) { return m_rows[size_t(row)]; }
    // The selected row (the list selects one at most), -1 when none.
    long SelectedRow() const { return m_selected; }
    // Changes one picture of a row; it is drawn again when it is in view.
    void SetPicture(long row, int column, int picture);
    // The first row from `from` on whose room number is exactly `room`, -1 when none.
    long FindRoom(const wxString& room, long from = 0) const;
    // How many rows before `row` show its room number: which of the rooms that
    // share a number the row is, in the board's order.
    int TwinOfRow(long row) const;

protected:
    // Follows the selection before anyone who handles its notifications looks at it.
    bool TryBefore(wxEvent& event) override;
    wxString OnGetItemText(long item, long column) const override;
    int OnGetItemImage(long item) const override;
    int OnGetItemColumnImage(long item, long column) const override;

private:
    void Deselect();
    // Has the details of `row`, and of the rows after it that lack theirs, read.
    void ReadDetailsFrom(long row) const;

    std::vector<BoardRow> m_rows;
    DetailsReader m_readDetails;
    long m_selected = -1;
};
