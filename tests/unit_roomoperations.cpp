// The room operations without a window: what each writes, what it refuses
// without a write, and rooms that share a number in files written before
// numbers were kept apart, each reached as the board marks it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CHouseset.h"
#include "CRegisterset.h"
#include "DataSources.h"
#include "DeskData.h"
#include "RoomOperations.h"
#include "SqliteFiles.h"
#include "StayOperations.h"
#include "TestEnvironment.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

class RoomOperations : public testing::Test
{
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_BACKEND(m_env);
        if (!ProbeDataSources(m_db))
            CreateDataSources(m_db);
        ASSERT_TRUE(OpenDataSources(m_db));
    }

    void SeedRooms(const char* values)
    {
        m_env.Execute("Hotel.db", std::string("INSERT INTO [house]([房间号],[房价],[房间人数],[住房],[钟点房],"
                                              "[钟点开始],[钟点结束],[房间介绍]) VALUES ") +
                                      values);
    }

    void CheckInGuest(const char* room, const char* name)
    {
        ASSERT_TRUE(CheckIn(m_db, RunningGuest(room, name), std::nullopt)) << room;
    }

    std::string Dumps() const { return m_env.Dump(); }

    // The rooms in the order they were added: number and the named columns.
    Rows Rooms(const char* columns) const
    {
        const char* key = TestEnvironment::Backend() == TestBackend::sqlite ? "rowid" : "[ID]";
        return m_env.Query("Hotel.db", std::string("SELECT [房间号], ") + columns + " FROM [house] ORDER BY " + key);
    }

    // The stays by guest: room and whether it is still open.
    Rows Stays() const
    {
        return m_env.Query("Register.db",
                           "SELECT [姓名], [房间号], [退房日期] IS NULL FROM [register] ORDER BY [姓名]");
    }

    TestEnvironment m_env;
    DataConnections m_db;
};

// ---------------------------------------------------------------- one room's state

TEST_F(RoomOperations, CleaningRepairAndReservationChangeTheOneRoomAsked)
{
    SeedRooms("('101','80',2,1,1,'2026-03-05 14:00:00.000','2026-03-05 16:00:00.000','a'),"
              "('102','90',0,0,0,NULL,NULL,'b')");
    EXPECT_TRUE(ToggleCleaning(m_db, {"102"}));
    EXPECT_EQ(Rooms("[打扫]"), (Rows{{"101", "0"}, {"102", "1"}}));
    EXPECT_TRUE(ToggleCleaning(m_db, {"102"}));
    EXPECT_EQ(Rooms("[打扫]"), (Rows{{"101", "0"}, {"102", "0"}}));

    EXPECT_TRUE(RepairRoom(m_db, {"101"}));
    EXPECT_EQ(Rooms("[房间人数], [住房], [钟点房], [钟点开始]"),
              (Rows{{"101", "0", "0", "0", "2026-03-05 14:00:00.000"}, {"102", "0", "0", "0", "<null>"}}))
        << "repair keeps the hourly times";

    EXPECT_TRUE(ReserveRoom(m_db, {"102"}, COleDateTime(2026, 12, 9, 9, 30, 0)));
    EXPECT_EQ(Rooms("[定房], [定房日期]")[1], (std::vector<std::string>{"102", "1", "2026-12-09 09:30:00.000"}));
    EXPECT_TRUE(CancelReservation(m_db, {"102"}));
    EXPECT_EQ(Rooms("[定房], [定房日期]")[1], (std::vector<std::string>{"102", "0", "1900-12-01 00:00:00.000"}));

    const std::string before = Dumps();
    EXPECT_FALSE(ToggleCleaning(m_db, {"109"}));
    EXPECT_FALSE(RepairRoom(m_db, {"10"}));
    EXPECT_FALSE(ReserveRoom(m_db, {"109"}, COleDateTime(2026, 12, 9, 0, 0, 0)));
    EXPECT_FALSE(CancelReservation(m_db, {"101", 1})) << "101 has no twin";
    EXPECT_EQ(Dumps(), before);
}

// ---------------------------------------------------------------- adding and renumbering

TEST_F(RoomOperations, ANumberAnotherRoomHasIsRefusedWithoutAWrite)
{
    SeedRooms("('101','80',0,0,0,NULL,NULL,'a'),('102','90',0,0,0,NULL,NULL,'b')");
    EXPECT_TRUE(RoomNumberTaken(m_db, "102"));
    EXPECT_FALSE(RoomNumberTaken(m_db, "0102"));
    const std::string before = Dumps();
    EXPECT_EQ(AddRoom(m_db, {"101", "60", "c"}), RoomChange::numberTaken);
    EXPECT_EQ(ModifyRoom(m_db, {"101"}, {"102", "60", "c"}), RoomChange::numberTaken);
    EXPECT_EQ(ModifyRoom(m_db, {"109"}, {"110", "60", "c"}), RoomChange::notFound);
    EXPECT_EQ(Dumps(), before);

    EXPECT_EQ(AddRoom(m_db, {"0102", "60", "c"}), RoomChange::done);
    EXPECT_EQ(ModifyRoom(m_db, {"101"}, {"101", "85", "z"}), RoomChange::done) << "a room keeps its own number";
    EXPECT_EQ(Rooms("[房价], [房间介绍], [房间人数], [住房]"),
              (Rows{{"101", "85", "z", "0", "0"}, {"102", "90", "b", "0", "0"}, {"0102", "60", "c", "0", "0"}}));
}

TEST_F(RoomOperations, RenumberingTakesTheGuestsAndTheHourlyStayAlong)
{
    SeedRooms("('101','80',0,0,0,NULL,NULL,'a'),('102','90',0,0,0,NULL,NULL,'b')");
    CheckInGuest("101", "A");
    CheckInGuest("101", "B");
    CheckOut(m_db, "101", "B", CheckOutBill{100, 0, 80});
    ASSERT_TRUE(CheckIn(m_db, RunningGuest("101", "C"),
                        HourlySpan{COleDateTime(2026, 3, 2, 10, 0, 0), COleDateTime(2026, 3, 2, 13, 0, 0)}));

    EXPECT_EQ(ModifyRoom(m_db, {"101"}, {"201", "88", "a"}), RoomChange::done);
    EXPECT_EQ(Rooms("[房间人数], [住房], [钟点房], [钟点结束]"),
              (Rows{{"201", "2", "1", "1", "2026-03-02 13:00:00.000"}, {"102", "0", "0", "0", "<null>"}}));
    EXPECT_EQ(Stays(), (Rows{{"A", "201", "1"}, {"B", "101", "0"}, {"C", "201", "1"}}))
        << "the running stays move, the history keeps its room";

    // The guests can leave the renumbered room.
    CheckOut(m_db, "201", "A", CheckOutBill{100, 0, 80});
    CheckOut(m_db, "201", "C", CheckOutBill{100, 0, 80});
    EXPECT_EQ(Rooms("[房间人数]")[0], (std::vector<std::string>{"201", "0"}));
    EXPECT_EQ(Stays(), (Rows{{"A", "201", "0"}, {"B", "101", "0"}, {"C", "201", "0"}}));
}

// ---------------------------------------------------------------- deleting

TEST_F(RoomOperations, ARoomWithGuestsIsNotDeletedOneWhoseGuestsLeftIs)
{
    SeedRooms("('101','80',0,0,0,NULL,NULL,'a'),('102','90',0,0,0,NULL,NULL,'b'),('103','90',0,0,0,NULL,NULL,'c')");
    CheckInGuest("101", "A");
    CheckInGuest("102", "B");
    CheckOut(m_db, "102", "B", CheckOutBill{100, 0, 80});
    CheckInGuest("103", "C");
    ASSERT_TRUE(RepairRoom(m_db, {"103"}));  // counts nobody, but C still stays

    const std::string before = Dumps();
    EXPECT_EQ(DeleteRoom(m_db, {"101"}), RoomChange::hasGuests);
    EXPECT_EQ(DeleteRoom(m_db, {"103"}), RoomChange::hasGuests) << "its open stay would point nowhere";
    EXPECT_EQ(DeleteRoom(m_db, {"109"}), RoomChange::notFound);
    EXPECT_EQ(Dumps(), before);

    EXPECT_EQ(DeleteRoom(m_db, {"102"}), RoomChange::done);
    EXPECT_EQ(Rooms("[房间人数]"), (Rows{{"101", "1"}, {"103", "0"}}));
    EXPECT_EQ(Stays().size(), 3u) << "the history of the deleted room stays";
}

// ---------------------------------------------------------------- rooms that share a number

TEST_F(RoomOperations, TwinsAreEachReachedAsTheBoardMarksThem)
{
    // 101 with a guest, then an empty 101 added later, and 102.
    SeedRooms("('101','80',0,0,0,NULL,NULL,'first'),('102','90',0,0,0,NULL,NULL,'b'),"
              "('101','70',0,0,0,NULL,NULL,'second')");
    CheckInGuest("101", "A");
    ASSERT_EQ(Rooms("[房间人数]"), (Rows{{"101", "1"}, {"102", "0"}, {"101", "0"}}));

    EXPECT_TRUE(ToggleCleaning(m_db, {"101", 1}));
    EXPECT_TRUE(ReserveRoom(m_db, {"101", 1}, COleDateTime(2026, 12, 9, 0, 0, 0)));
    EXPECT_EQ(Rooms("[打扫], [定房]"), (Rows{{"101", "0", "0"}, {"102", "0", "0"}, {"101", "1", "1"}}));
    EXPECT_FALSE(ToggleCleaning(m_db, {"101", 2}));

    // The occupied twin keeps its guest; the empty one goes.
    EXPECT_EQ(DeleteRoom(m_db, {"101", 0}), RoomChange::hasGuests);
    EXPECT_EQ(DeleteRoom(m_db, {"101", 1}), RoomChange::done);
    EXPECT_EQ(Rooms("[房间介绍]"), (Rows{{"101", "first"}, {"102", "b"}}));
}

TEST_F(RoomOperations, ATwinRenumberedTakesAsManyGuestsAsItCounts)
{
    SeedRooms("('101','80',0,0,0,NULL,NULL,'first'),('101','70',0,0,0,NULL,NULL,'second'),"
              "('102','90',0,0,0,NULL,NULL,'b')");
    CheckInGuest("101", "A");  // both are counted in the first 101
    CheckInGuest("101", "B");

    // The empty twin takes nobody along.
    EXPECT_EQ(ModifyRoom(m_db, {"101", 1}, {"201", "70", "second"}), RoomChange::done);
    EXPECT_EQ(Stays(), (Rows{{"A", "101", "1"}, {"B", "101", "1"}}));

    // A twin that counts one guest takes one: the other stays with the room left.
    m_env.Execute("Hotel.db", "INSERT INTO [house]([房间号],[房间人数],[住房]) VALUES ('101',0,0)");
    m_env.Execute("Hotel.db", "UPDATE [house] SET [房间人数] = 1 WHERE [房间号] = '101'");
    EXPECT_EQ(ModifyRoom(m_db, {"101", 0}, {"301", "80", "first"}), RoomChange::done);
    EXPECT_EQ(Stays(), (Rows{{"A", "301", "1"}, {"B", "101", "1"}}));
    EXPECT_EQ(Rooms("[房间人数]"), (Rows{{"301", "1"}, {"201", "0"}, {"102", "0"}, {"101", "1"}}));
}

}  // namespace

namespace {

// ---------------------------------------------------------------- moving a guest by the key of the stay

// The running stays of one room, with their keys, as the change-room dialog reads them.
std::vector<std::pair<long, GuestRecord>> OpenStaysOf(CDatabase& db, const char* room)
{
    CRegisterset stays(&db);
    stays.m_strFilter = OpenStaysFilter() + " AND [房间号] = ?";
    stays.m_filterValues = {CString(room)};
    stays.Open();
    std::vector<std::pair<long, GuestRecord>> found;
    for (; !stays.IsEOF(); stays.MoveNext())
        found.emplace_back(stays.m_nID, stays.GetGuestRecord());
    return found;
}

// Guests A and B in 101, 102 free; the running stays of 101 as the dialog showed them.
class MovingGuests : public RoomOperations
{
protected:
    void SetUp() override
    {
        RoomOperations::SetUp();
        SeedRooms("('101','80',0,0,0,NULL,NULL,'a'),('102','90',0,0,0,NULL,NULL,'b')");
        CheckInGuest("101", "A");
        CheckInGuest("101", "B");
        m_shown = OpenStaysOf(m_db.m_dbRegister, "101");
        ASSERT_EQ(m_shown.size(), 2u);
    }

    std::vector<std::pair<long, GuestRecord>> m_shown;
};

TEST_F(MovingGuests, AGuestMovesByTheKeyOfTheStayShown)
{
    EXPECT_TRUE(MoveStayToRoom(m_db, m_shown[1].first, m_shown[1].second, "102"));
    EXPECT_EQ(Stays(), (Rows{{"A", "101", "1"}, {"B", "102", "1"}}));
    EXPECT_EQ(Rooms("[房间人数], [住房]"), (Rows{{"101", "1", "1"}, {"102", "1", "1"}}));
}

TEST_F(MovingGuests, AStayChangedSinceItWasShownIsNotMoved)
{
    const std::string before = Dumps();
    EXPECT_FALSE(MoveStayToRoom(m_db, m_shown[0].first, m_shown[1].second, "102")) << "the key of another stay";
    EXPECT_FALSE(MoveStayToRoom(m_db, m_shown[0].first, m_shown[0].second, "109")) << "no such room";
    EXPECT_EQ(Dumps(), before);

    CheckOut(m_db, "101", "A", CheckOutBill{100, 0, 80});
    const std::string afterCheckOut = Dumps();
    EXPECT_FALSE(MoveStayToRoom(m_db, m_shown[0].first, m_shown[0].second, "102")) << "the guest has left";
    EXPECT_EQ(Dumps(), afterCheckOut);
}

// A person taken in or out counts against what the table holds when the
// statement runs, never against a count read before: two recordsets that read
// the room at 2 each take one out, and the room ends empty and not occupied.
TEST_F(RoomOperations, PersonsChangeByOneAgainstTheTableNotWhatWasRead)
{
    SeedRooms("('101','80',0,0,0,NULL,NULL,'a'),('102','90',0,0,0,NULL,NULL,'b')");
    CheckInGuest("101", "A");
    CheckInGuest("101", "B");
    CHouseset first(&m_db.m_dbHotel), second(&m_db.m_dbHotel);
    first.Open();
    second.Open();
    ASSERT_NE(first.FindRoom("101"), -1);
    ASSERT_NE(second.FindRoom("101"), -1);
    ASSERT_EQ(first.m_nPersons, 2);
    ASSERT_EQ(second.m_nPersons, 2);
    EXPECT_TRUE(first.TakePerson());
    EXPECT_TRUE(second.TakePerson());
    EXPECT_EQ(Rooms("[房间人数], [住房], [钟点房]"), (Rows{{"101", "0", "0", "0"}, {"102", "0", "0", "0"}}));
    EXPECT_FALSE(first.TakePerson()) << "nobody left to take out";
    EXPECT_EQ(first.m_nPersons, 0) << "the members are the table's";

    const COleDateTime start(2026, 3, 5, 14, 0, 0), end(2026, 3, 5, 17, 0, 0);
    EXPECT_TRUE(first.AddPerson(TRUE, start, end));
    EXPECT_TRUE(second.AddPerson());
    EXPECT_EQ(Rooms("[房间人数], [住房], [打扫], [钟点房], [钟点开始]"),
              (Rows{{"101", "2", "1", "0", "1", "2026-03-05 14:00:00.000"}, {"102", "0", "0", "0", "0", "<null>"}}));
    EXPECT_TRUE(second.TakePerson());
    EXPECT_EQ(Rooms("[房间人数], [住房], [钟点房]")[0], (std::vector<std::string>{"101", "1", "1", "0"}))
        << "occupied while one remains; the hourly stay ends";

    m_env.Execute("Hotel.db", "UPDATE [house] SET [房间人数] = 255");
    EXPECT_TRUE(first.AddPerson());
    EXPECT_EQ(Rooms("[房间人数]")[0], (std::vector<std::string>{"101", "255"})) << "a byte never wraps round";
}

// ---------------------------------------------------------------- the board's order

TEST_F(RoomOperations, TheBoardsOrderIsCountedAndReadByRangesOfNumbers)
{
    SeedRooms("('201','80',0,0,0,NULL,NULL,'a'),('','90',0,0,0,NULL,NULL,'blank'),('101','70',0,0,0,NULL,NULL,'b'),"
              "('101','60',0,0,0,NULL,NULL,'twin'),('1011','50',0,0,0,NULL,NULL,'c')");
    EXPECT_EQ(RoomsBefore(m_db.m_dbHotel, "101"), 1) << "the room without a number";
    EXPECT_EQ(RoomsBefore(m_db.m_dbHotel, "102"), 4) << "both rooms 101 and 1011";
    EXPECT_EQ(RoomsBefore(m_db.m_dbHotel, "9"), 5);

    auto introsIn = [this](const char* low, const char* high) {
        CHouseset rooms(&m_db.m_dbHotel);
        rooms.SetNumberRange(low, high);
        rooms.Open();
        std::vector<std::string> intros;
        for (; !rooms.IsEOF(); rooms.MoveNext())
            intros.push_back(std::string(rooms.m_strIntro.utf8_str()));
        return intros;
    };
    EXPECT_EQ(introsIn("101", "1011"), (std::vector<std::string>{"b", "twin", "c"})) << "in the board's order";
    EXPECT_EQ(introsIn("", "101"), (std::vector<std::string>{"blank", "b", "twin"}));
    EXPECT_EQ(introsIn("2", "3"), (std::vector<std::string>{"a"})) << "201 sorts between 2 and 3";
}

}  // namespace
