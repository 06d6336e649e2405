// The front desk's writes, without any window. Each operation runs in one
// transaction over the three files, so its rows reach them together or not at
// all, whenever the process dies. A database error undoes the whole operation
// and passes to the caller as the CDBException with the driver's text; a table
// that cannot be opened gives one with the "cannot open" message. Nothing is
// shown here: the caller reports the exception once.
#pragma once

#include <optional>

#include "COleDateTime.h"
#include "DataSources.h"
#include "GuestRecord.h"
#include "WinTypes.h"

// An hourly stay: when it began and when it is to end.
struct HourlySpan
{
    COleDateTime start;
    COleDateTime end;
};

// Appends `stay` as a running stay (its m_dtCheckIn is the check-in time, the
// check-out is left empty) and puts the guest into room stay.m_strRoomNo: the
// hourly stay when there is one, one more person, cleaning cleared, occupied.
// False when no room has that number: nothing is written.
bool CheckIn(DataConnections& db, const GuestRecord& stay, const std::optional<HourlySpan>& hourly);

// What the check-out dialog billed.
struct CheckOutBill
{
    double paid = 0;
    double deposit = 0;
    double total = 0;
};

// Closes the open stay whose key is `stayId` with the current time, takes one
// person off its room (the room's hourly stay ends; it stays occupied while
// others remain; a room not found or with nobody in it is left alone) and
// books the bill in the cash book, counted, under the stay's room and name.
// The stay is closed only where it is still open as the operation writes:
// false when it is not (another desk checked the guest out first, or it was
// deleted), and then nothing is written, so a bill is never booked without a
// stay it closes. StayGoneMessage tells the clerk.
bool CheckOut(DataConnections& db, long stayId, const CheckOutBill& bill);
// The same for the first open stay, in table order, of that room and guest:
// for callers that know the guest by name only.
bool CheckOut(DataConnections& db, const CString& room, const CString& name, const CheckOutBill& bill);

// What the clerk is told when a check-out found the stay no longer open, in
// the UI language (2 English, any other Chinese).
CString StayGoneMessage(int language);

// Moves the open stay equal to `stay` into `newRoom` and one person, with the
// hourly stay, from the stay's room to it, as MoveStayToRoom does with the
// stay's key. False when that stay is no longer running in the table or no
// room has the new number: nothing is written.
bool ChangeRoom(DataConnections& db, const GuestRecord& stay, const CString& newRoom);

// A paid or deposit text as an edit of a stay stores it: the leading decimal
// number with four decimals, ".0000" for zero and for text that is no number.
CString NormaliseMoney(const CString& text);

// Writes the room and guest fields of `values`, with its money in the form
// NormaliseMoney gives, onto the stay row equal to `stored`; its check-in and
// check-out stay. `values` then carries what was stored: the times of
// `stored` and the money as normalised. False when no row equals it: nothing
// is written.
bool ModifyStay(DataConnections& db, const GuestRecord& stored, GuestRecord& values);

// Deletes the stay row equal to `stay`; false when there is none.
bool DeleteStay(DataConnections& db, const GuestRecord& stay);

// Deletes every closed stay; the running ones stay, with their keys. The
// pages the history took go to the file's free list as they are, unzeroed,
// for the next stays to fill.
void ClearStays(DataConnections& db);
