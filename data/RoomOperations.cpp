#include "RoomOperations.h"

#include <climits>

#include "CDeskTransaction.h"
#include "CHouseset.h"
#include "CRegisterset.h"
#include "RecordsetUse.h"

namespace {

// Opens the rooms of the room's number and moves onto it: its position among
// them, -1 when it is not there.
int OpenOnRoom(CHouseset& rooms, const RoomRef& room)
{
    rooms.SetNumberFilter(room.number);
    OpenOrThrow(rooms);
    return rooms.FindRoom(room.number, room.twin);
}

// How many rooms have exactly that number, as the table holds it now.
int RoomsNumbered(CDatabase& hotel, const CString& number)
{
    CHouseset rooms(&hotel);
    rooms.SetNumberFilter(number);
    OpenOrThrow(rooms);
    int count = 0;
    for (; !rooms.IsEOF(); rooms.MoveNext())
        count += rooms.m_strRoomNo == number ? 1 : 0;
    return count;
}

// The running stays of that room number, for the caller to walk.
void OpenStaysOf(CRegisterset& stays, const CString& number)
{
    stays.m_strFilter = OpenStaysFilter() + wxString::FromUTF8(" AND [房间号] = ?");
    stays.m_filterValues = {number};
    OpenOrThrow(stays);
}

bool HasOpenStay(CDatabase& stayTable, const CString& number)
{
    CRegisterset stays(&stayTable);
    OpenStaysOf(stays, number);
    for (; !stays.IsEOF(); stays.MoveNext())
        if (stays.m_strRoomNo == number)
            return true;
    return false;
}

// Rewrites the room of at most `most` running stays of room `from`, in table order.
void MoveOpenStays(CDatabase& stayTable, const CString& from, const CString& to, int most)
{
    CRegisterset stays(&stayTable);
    OpenStaysOf(stays, from);
    for (int moved = 0; moved < most && !stays.IsEOF(); stays.MoveNext()) {
        if (stays.m_strRoomNo != from)
            continue;
        stays.Edit();
        stays.m_strRoomNo = to;
        stays.Update();
        ++moved;
    }
}

// Runs `change` on the room's row; false when the room is not there.
template <typename Change>
bool EditRoom(DataConnections& db, const RoomRef& room, Change change)
{
    CDeskTransaction transaction(db);
    {
        CHouseset rooms(&db.m_dbHotel);
        if (OpenOnRoom(rooms, room) == -1)
            return false;
        rooms.Edit();
        change(rooms);
        rooms.Update();
    }
    transaction.Commit();
    return true;
}

}  // namespace

bool ToggleCleaning(DataConnections& db, const RoomRef& room)
{
    return EditRoom(db, room, [](CHouseset& r) { r.m_bCleaning = !r.m_bCleaning; });
}

bool RepairRoom(DataConnections& db, const RoomRef& room)
{
    return EditRoom(db, room, [](CHouseset& r) {
        r.m_bOccupied = FALSE;
        r.m_nPersons = 0;
        r.m_bHourly = FALSE;
    });
}

bool ReserveRoom(DataConnections& db, const RoomRef& room, const COleDateTime& date)
{
    return EditRoom(db, room, [&date](CHouseset& r) {
        r.m_bReserved = TRUE;
        r.m_dtReserveDate = date;
    });
}

bool CancelReservation(DataConnections& db, const RoomRef& room)
{
    return EditRoom(db, room, [](CHouseset& r) {
        r.m_bReserved = FALSE;
        r.m_dtReserveDate = COleDateTime(1900, 12, 1, 0, 0, 0);
    });
}

bool MoveStayToRoom(DataConnections& db, long stayKey, const GuestRecord& stay, const CString& newRoom)
{
    CDeskTransaction transaction(db);
    {
        CRegisterset stays(&db.m_dbRegister);
        stays.m_strFilter = OpenStaysFilter() + " AND [ID] = ?";
        stays.m_filterValues = {stayKey};
        OpenOrThrow(stays);
        // Only the two rooms, in the table's order as MovePerson finds them.
        CHouseset rooms(&db.m_dbHotel);
        rooms.m_strFilter = wxString::FromUTF8("[房间号] IN (?, ?)");
        rooms.m_filterValues = {stay.m_strRoomNo, newRoom};
        OpenOrThrow(rooms);
        // A stay moved into a room the table does not hold could never be
        // checked out: the check-out offers only rooms with guests.
        if (stays.IsEOF() || !stays.Matches(stay) || rooms.FindRoom(newRoom) == -1)
            return false;
        // Moved only while it is still running: a guest another desk checked
        // out first is left where the history has him, and no room changes.
        if (!stays.UpdateWhere(wxString::FromUTF8("[房间号] = ?"), OpenStaysFilter(), {newRoom}))
            return false;
        rooms.MovePerson(stay.m_strRoomNo, newRoom);
    }
    transaction.Commit();
    return true;
}

bool RoomNumberTaken(DataConnections& db, const CString& number)
{
    try {
        return RoomsNumbered(db.m_dbHotel, number) > 0;
    } catch (const CDBException&) {
        return false;
    }
}

RoomChange AddRoom(DataConnections& db, const RoomValues& values)
{
    CDeskTransaction transaction(db);
    {
        if (RoomsNumbered(db.m_dbHotel, values.number) > 0)
            return RoomChange::numberTaken;
        CHouseset rooms(&db.m_dbHotel);
        OpenOrThrow(rooms, CRecordset::appendOnly);
        rooms.AddRoom(values.number, values.price, values.intro);
    }
    transaction.Commit();
    return RoomChange::done;
}

RoomChange ModifyRoom(DataConnections& db, const RoomRef& room, const RoomValues& values)
{
    CDeskTransaction transaction(db);
    {
        CHouseset rooms(&db.m_dbHotel);
        const int position = OpenOnRoom(rooms, room);
        if (position == -1)
            return RoomChange::notFound;
        const bool renumbered = values.number != room.number;
        if (renumbered && RoomsNumbered(db.m_dbHotel, values.number) > 0)
            return RoomChange::numberTaken;
        const int persons = rooms.m_nPersons;
        rooms.ModifyRoom(position, values.number, values.price, values.intro);
        if (renumbered) {
            // Counted after the change: the rooms that keep the old number.
            const bool twinStays = RoomsNumbered(db.m_dbHotel, room.number) > 0;
            MoveOpenStays(db.m_dbRegister, room.number, values.number, twinStays ? persons : INT_MAX);
        }
    }
    transaction.Commit();
    return RoomChange::done;
}

RoomChange DeleteRoom(DataConnections& db, const RoomRef& room)
{
    CDeskTransaction transaction(db);
    {
        CHouseset rooms(&db.m_dbHotel);
        if (OpenOnRoom(rooms, room) == -1)
            return RoomChange::notFound;
        if (rooms.m_nPersons > 0 ||
            (RoomsNumbered(db.m_dbHotel, room.number) == 1 && HasOpenStay(db.m_dbRegister, room.number)))
            return RoomChange::hasGuests;
        rooms.Delete();
    }
    transaction.Commit();
    return RoomChange::done;
}
