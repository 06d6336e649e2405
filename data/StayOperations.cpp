#include "StayOperations.h"

#include "CCashbookset.h"
#include "CDeskTransaction.h"
#include "CHouseset.h"
#include "CRegisterset.h"
#include "RecordsetUse.h"
#include "SchemaUpgrade.h"

namespace {

void StartHourlyStay(CHouseset& rooms, const HourlySpan& hourly)
{
    rooms.Edit();
    rooms.m_bHourly = TRUE;
    rooms.m_dtHourStart = hourly.start;
    rooms.m_dtHourEnd = hourly.end;
    rooms.Update();
}

void AddPerson(CHouseset& rooms)
{
    rooms.Edit();
    if (rooms.m_nPersons < 255)  // a byte column: never wrap round to 0
        rooms.m_nPersons = BYTE(rooms.m_nPersons + 1);
    rooms.m_bCleaning = FALSE;
    rooms.m_bOccupied = TRUE;
    rooms.Update();
}

void TakePerson(CHouseset& rooms)
{
    rooms.Edit();
    rooms.m_nPersons = BYTE(rooms.m_nPersons - 1);
    rooms.m_bHourly = FALSE;
    rooms.m_bOccupied = rooms.m_nPersons != 0;
    rooms.Update();
}

}  // namespace

bool CheckIn(DataConnections& db, const GuestRecord& stay, const std::optional<HourlySpan>& hourly)
{
    CDeskTransaction transaction(db);
    {
        CHouseset rooms(&db.m_dbHotel);
        CRegisterset stays(&db.m_dbRegister);
        OpenOrThrow(rooms);
        // A check-in only appends its stay: the history need not be read for it.
        OpenOrThrow(stays, CRecordset::appendOnly);
        const CString& room = stay.m_strRoomNo;
        if (rooms.FindRoom(room) == -1)
            return false;
        stays.AddRecord(room, stay.m_strName, stay.m_bSex, stay.m_strNation, stay.m_dtBirth, stay.m_dtCheckIn,
                        stay.m_strIdNumber, stay.m_strNativePlace, stay.m_strRemarks, stay.m_strPaid,
                        stay.m_strDeposit);
        if (hourly && rooms.FindRoom(room) != -1)
            StartHourlyStay(rooms, *hourly);
        if (rooms.FindRoom(room) != -1)
            AddPerson(rooms);
    }
    transaction.Commit();
    return true;
}

void CheckOut(DataConnections& db, const CString& room, const CString& name, const CheckOutBill& bill)
{
    CDeskTransaction transaction(db);
    {
        CHouseset rooms(&db.m_dbHotel);
        CRegisterset stays(&db.m_dbRegister);
        stays.m_strFilter = OpenStaysFilter();
        CCashbookset cashbook(&db.m_dbCashbook);
        OpenOrThrow(rooms);
        OpenOrThrow(stays);
        OpenOrThrow(cashbook, CRecordset::appendOnly);
        if (rooms.FindRoom(room) != -1 && rooms.m_nPersons > 0)
            TakePerson(rooms);
        stays.CloseOpenStay(room, name);
        cashbook.AppendRecord(room, name, COleDateTime::GetCurrentTime(), bill.paid, bill.deposit, bill.total,
                              TRUE);
    }
    transaction.Commit();
}

bool ChangeRoom(DataConnections& db, const GuestRecord& stay, const CString& newRoom)
{
    CDeskTransaction transaction(db);
    {
        CRegisterset stays(&db.m_dbRegister);
        stays.m_strFilter = OpenStaysFilter();
        CHouseset rooms(&db.m_dbHotel);
        OpenOrThrow(stays);
        OpenOrThrow(rooms);
        // A stay moved into a room the table does not hold could never be
        // checked out: the check-out offers only rooms with guests.
        if (rooms.FindRoom(newRoom) == -1 || stays.FindRecord(stay) == -1)
            return false;
        stays.Edit();
        stays.m_strRoomNo = newRoom;
        stays.Update();
        rooms.MovePerson(stay.m_strRoomNo, newRoom);
    }
    transaction.Commit();
    return true;
}

bool ModifyStay(DataConnections& db, const GuestRecord& stored, GuestRecord& values)
{
    values.m_dtCheckIn = stored.m_dtCheckIn;
    values.m_dtCheckOut = stored.m_dtCheckOut;
    CDeskTransaction transaction(db);
    {
        CRegisterset stays(&db.m_dbRegister);
        OpenOrThrow(stays);
        if (stays.FindRecord(stored) == -1)
            return false;
        // The row keeps its own times: a record of a running stay also finds a closed one.
        const COleDateTime checkIn = stays.m_dtCheckIn, checkOut = stays.m_dtCheckOut;
        stays.Edit();
        stays.SetGuestRecord(values);
        stays.m_dtCheckIn = checkIn;
        stays.m_dtCheckOut = checkOut;
        stays.Update();
    }
    transaction.Commit();
    return true;
}

bool DeleteStay(DataConnections& db, const GuestRecord& stay)
{
    CDeskTransaction transaction(db);
    {
        CRegisterset stays(&db.m_dbRegister);
        OpenOrThrow(stays);
        if (stays.FindRecord(stay) == -1)
            return false;
        stays.Delete();
    }
    transaction.Commit();
    return true;
}

void ClearStays(DataConnections& db)
{
    CDeskTransaction transaction(db);
    DeleteMostStays(db.m_dbRegister, OpenStaysFilter());
    transaction.Commit();
}
