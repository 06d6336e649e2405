// The room board's writes to the rooms themselves, without any window:
// cleaning, repair, reservations, adding, changing and deleting rooms, and
// moving a guest to another room. Each runs in one transaction over the three
// files, as the stay operations do (StayOperations.h): a database error undoes
// the whole operation and passes to the caller as the CDBException with the
// driver's text; a table that cannot be opened gives one with the "cannot
// open" message. Nothing is shown here.
#pragma once

#include "COleDateTime.h"
#include "DataSources.h"
#include "GuestRecord.h"
#include "WinTypes.h"

// A room as the board marks it: its number and, where several rooms share that
// number (files written before numbers were kept apart), which of them in the
// board's order, 0 the first.
struct RoomRef
{
    CString number;
    int twin = 0;
};

// What the clerk types for a room.
struct RoomValues
{
    CString number;
    CString price;
    CString intro;
};

// Each of these changes the one room and is false when it is not in the table
// (nothing is written then).
// Turns its cleaning flag over.
bool ToggleCleaning(DataConnections& db, const RoomRef& room);
// Frees it: not occupied, nobody in it, no hourly stay. Its hourly times, the
// reservation and its open stays stay as they are.
bool RepairRoom(DataConnections& db, const RoomRef& room);
// Books it for `date`, the time of day included.
bool ReserveRoom(DataConnections& db, const RoomRef& room, const COleDateTime& date);
// Clears the booking and resets its date to 1900-12-01 00:00:00.
bool CancelReservation(DataConnections& db, const RoomRef& room);

// Moves the running stay whose row has key `stayKey` into `newRoom`, and one
// person, with the hourly stay, from the stay's room to it. The row must still
// hold `stay` as the clerk was shown it; found by its key, it is reached
// without reading the other running stays. False when the row is no longer
// that running stay or no room has the new number: nothing is written.
bool MoveStayToRoom(DataConnections& db, long stayKey, const GuestRecord& stay, const CString& newRoom);

enum class RoomChange {
    done,
    notFound,     // the room is no longer in the table
    numberTaken,  // another room has the number asked for
    hasGuests,    // guests still stay in the room
};

// Whether a room has that number. False also when the table cannot be read:
// adding and renumbering look again before they write.
bool RoomNumberTaken(DataConnections& db, const CString& number);

// Appends a room with these values and the table's defaults for its state.
RoomChange AddRoom(DataConnections& db, const RoomValues& values);

// Gives the room its new number, price and description; its state stays. A
// new number takes the room's open stays along, so its guests can still be
// checked out (its hourly stay is part of the room's row). Where the room
// shares its old number with another, it takes only as many of that number's
// open stays as it counts persons, the others staying with the twin.
RoomChange ModifyRoom(DataConnections& db, const RoomRef& room, const RoomValues& values);

// Deletes the room unless guests stay in it: persons counted in it, or an open
// stay of its number that no other room of that number would keep.
RoomChange DeleteRoom(DataConnections& db, const RoomRef& room);
