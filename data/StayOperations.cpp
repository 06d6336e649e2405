#include "StayOperations.h"

#include "CCashbookset.h"
#include "CDeskTransaction.h"
#include "CHouseset.h"
#include "CRegisterset.h"
#include "Money.h"
#include "OdbcConnection.h"
#include "RecordsetUse.h"
#include "RoomOperations.h"
#include "SchemaUpgrade.h"
#include "Utf8Text.h"

bool CheckIn(DataConnections& db, const GuestRecord& stay, const std::optional<HourlySpan>& hourly)
{
    CDeskTransaction transaction(db);
    {
        const CString& room = stay.m_strRoomNo;
        CHouseset rooms(&db.m_dbHotel);
        rooms.SetNumberFilter(room);
        CRegisterset stays(&db.m_dbRegister);
        OpenOrThrow(rooms);
        // A check-in only appends its stay: the history need not be read for it.
        OpenOrThrow(stays, CRecordset::appendOnly);
        if (rooms.FindRoom(room) == -1)
            return false;
        stays.AddRecord(room, stay.m_strName, stay.m_bSex, stay.m_strNation, stay.m_dtBirth, stay.m_dtCheckIn,
                        stay.m_strIdNumber, stay.m_strNativePlace, stay.m_strRemarks, stay.m_strPaid,
                        stay.m_strDeposit);
        if (hourly)
            rooms.AddPerson(TRUE, hourly->start, hourly->end);
        else
            rooms.AddPerson();
    }
    transaction.Commit();
    return true;
}

namespace {

// The key of the first open stay of that room and guest, or -1.
long FindOpenStayKey(DataConnections& db, const CString& room, const CString& name)
{
    CRegisterset stays(&db.m_dbRegister);
    stays.m_strFilter = OpenStaysFilter();
    OpenOrThrow(stays);
    return stays.FindOpenStay(room, name) == -1 ? -1 : stays.m_nID;
}

// The key of the first open stay equal to `stay`, or -1.
long FindOpenStayKey(DataConnections& db, const GuestRecord& stay)
{
    CRegisterset stays(&db.m_dbRegister);
    stays.m_strFilter = OpenStaysFilter();
    OpenOrThrow(stays);
    return stays.FindRecord(stay) == -1 ? -1 : stays.m_nID;
}

}  // namespace

bool CheckOut(DataConnections& db, long stayId, const CheckOutBill& bill)
{
    CDeskTransaction transaction(db);
    {
        // The stay is taken by its key: a name or room the columns hold in
        // another form than the dialog shows (cut, or bytes that are no text)
        // still closes the very stay that was billed.
        CRegisterset stays(&db.m_dbRegister);
        stays.m_strFilter = OpenStaysFilter() + " AND [ID] = ?";
        stays.m_filterValues = {stayId};
        OpenOrThrow(stays);
        // Closed only where it is still open: a guest another desk checked
        // out first is neither taken off the room nor billed again.
        if (stays.IsEOF() || !stays.UpdateWhere(wxString::FromUTF8("[退房日期] = ?"), OpenStaysFilter(),
                                                {COleDateTime::GetCurrentTime()}))
            return false;
        const CString room = stays.m_strRoomNo, name = stays.m_strName;

        CHouseset rooms(&db.m_dbHotel);
        rooms.SetNumberFilter(room);
        CCashbookset cashbook(&db.m_dbCashbook);
        OpenOrThrow(rooms);
        OpenOrThrow(cashbook, CRecordset::appendOnly);
        if (rooms.FindRoom(room) != -1)
            rooms.TakePerson();
        cashbook.AppendRecord(room, name, COleDateTime::GetCurrentTime(), bill.paid, bill.deposit, bill.total,
                              TRUE);
    }
    transaction.Commit();
    return true;
}

bool CheckOut(DataConnections& db, const CString& room, const CString& name, const CheckOutBill& bill)
{
    const long stayId = FindOpenStayKey(db, room, name);
    return stayId != -1 && CheckOut(db, stayId, bill);
}

CString StayGoneMessage(int language)
{
    // Two lines, so that the box stays narrow.
    if (language == 2)
        return "This was not done: the guest has already checked out\n"
               "(or the stay was deleted meanwhile); nothing in the records has changed.";
    return wxString::FromUTF8("没有完成：这位客人已经退房（或这条住宿记录已被删除），\n记录没有任何改动。");
}

bool ChangeRoom(DataConnections& db, const GuestRecord& stay, const CString& newRoom)
{
    const long stayKey = FindOpenStayKey(db, stay);
    return stayKey != -1 && MoveStayToRoom(db, stayKey, stay, newRoom);
}

CString NormaliseMoney(const CString& text)
{
    const double value = ParseMoney(text);
    // The form the stays table has always given amounts back in: four
    // decimals, and no digit before the point for zero.
    if (value == 0)
        return ".0000";
    return wxString::Format("%.4f", value);
}

bool ModifyStay(DataConnections& db, const GuestRecord& stored, GuestRecord& values)
{
    values.m_dtCheckIn = stored.m_dtCheckIn;
    values.m_dtCheckOut = stored.m_dtCheckOut;
    // The money goes in its normal form with the rest, in the same
    // transaction: an edit never stays stored with the money as typed.
    values.m_strPaid = NormaliseMoney(values.m_strPaid);
    values.m_strDeposit = NormaliseMoney(values.m_strDeposit);
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

namespace {

// SQLite as Debian builds it overwrites every page a delete frees with zeros
// (secure_delete), and so first copies it into the rollback journal: emptying
// a history of ten million stays wrote the file twice over. While this lives,
// a file of the connection zeroes deleted content only in pages it writes
// anyway, so that emptying the table only hands its pages to the free list;
// the connection's own setting comes back afterwards.
class FreedPagesUnwritten
{
public:
    explicit FreedPagesUnwritten(CDatabase& db)
    {
        if (!IsSqliteFile(db))
            return;
        m_conn = &db.Connection();
        m_pragma = "PRAGMA " + ToUtf8(db.GetSchemaName()) + ".secure_delete";
        m_previous = QueryText(*m_conn, m_pragma);
        QueryText(*m_conn, m_pragma + " = FAST");
    }
    ~FreedPagesUnwritten()
    {
        if (!m_conn)
            return;
        try {
            QueryText(*m_conn, m_pragma + " = " + m_previous);
        } catch (const CDBException&) {
            // What went wrong with the connection is reported by what uses it next.
        }
    }
    FreedPagesUnwritten(const FreedPagesUnwritten&) = delete;
    FreedPagesUnwritten& operator=(const FreedPagesUnwritten&) = delete;

private:
    OdbcConnection* m_conn = nullptr;
    std::string m_pragma;
    std::string m_previous;
};

}  // namespace

void ClearStays(DataConnections& db)
{
    CDeskTransaction transaction(db);
    {
        const FreedPagesUnwritten unwritten(db.m_dbRegister);
        DeleteMostStays(db.m_dbRegister, OpenStaysFilter());
    }
    transaction.Commit();
}
