// Two desks on one hotel, on SQLite files and on a PostgreSQL server: two
// sets of the three connections in one process, opened as the program opens
// them, acting at the same moment; a lock held by a third connection; the
// server restarted or away; and each desk's view of the other's changes.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "CHouseset.h"
#include "CDeskTransaction.h"
#include "ChangeWatch.h"
#include "DeskData.h"
#include "RoomOperations.h"
#include "ServerSetup.h"
#include "StayOperations.h"
#include "Utf8Text.h"

namespace {

using Clock = std::chrono::steady_clock;
using Rows = std::vector<std::vector<std::string>>;

// Runs the two on threads of their own, let go at the same moment; gives what
// each threw ("" when it went through) and what it returned.
struct Outcome
{
    std::string error;
    bool result = false;
};
std::pair<Outcome, Outcome> AtOnce(const std::function<bool()>& first, const std::function<bool()>& second)
{
    std::promise<void> go;
    std::shared_future<void> start = go.get_future().share();
    auto run = [&start](const std::function<bool()>& work) {
        return std::async(std::launch::async, [start, &work] {
            start.wait();
            Outcome outcome;
            try {
                outcome.result = work();
            } catch (const CDBException& e) {
                outcome.error = ToUtf8(e.m_strError) + (e.IsPassingFailure() ? "" : " (not a passing failure)");
            }
            return outcome;
        });
    };
    auto a = run(first);
    auto b = run(second);
    go.set_value();
    return {a.get(), b.get()};
}

class TwoDesks : public DeskData
{
protected:
    void SetUp() override
    {
        DeskData::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(OpenDataSources(m_other)) << "the second desk";
    }

    // Rooms numbered from 101 with one guest checked in for each name of `guests`.
    void CheckInGuests(const std::vector<std::vector<const char*>>& guests)
    {
        std::string values;
        for (size_t i = 0; i < guests.size(); ++i)
            values += (i ? ",('" : "('") + std::to_string(101 + i) + "','80')";
        m_env.Execute("Hotel.db", "INSERT INTO [house]([房间号],[房价]) VALUES " + values);
        for (size_t i = 0; i < guests.size(); ++i)
            for (const char* name : guests[i])
                ASSERT_TRUE(CheckIn(m_db, RunningGuest(std::to_string(101 + i).c_str(), name), std::nullopt));
    }

    long StayKey(const char* name) const
    {
        return std::stol(QueryOne("Register.db", std::string("SELECT [ID] FROM [register] WHERE [姓名] = '") + name + "'"));
    }

    Rows Rooms() const
    {
        return m_env.Query("Hotel.db", "SELECT [房间号], [房间人数], [住房] FROM [house] ORDER BY [房间号]");
    }

    std::string CashRows() const { return QueryOne("Cashbook.db", "SELECT count(*) FROM [cashbook]"); }

    bool OnServer() const { return TestEnvironment::Backend() != TestBackend::sqlite; }

    DataConnections m_other;
};

const CheckOutBill kBill{100, 0, 80};

}  // namespace

// Each guest is checked out on both desks at the same moment: one desk closes
// the stay and books the bill, the other finds it closed and writes nothing.
TEST_F(TwoDesks, TheSameGuestCheckedOutOnBothIsBookedOnce)
{
    const char* names[] = {"A", "B", "C", "D", "E", "F"};
    std::vector<std::vector<const char*>> guests;
    for (const char* name : names)
        guests.push_back({name});
    CheckInGuests(guests);
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const long key = StayKey(name);
        const auto [first, second] = AtOnce([&] { return CheckOut(m_db, key, kBill); },
                                            [&] { return CheckOut(m_other, key, kBill); });
        EXPECT_EQ(first.error + second.error, "");
        EXPECT_NE(first.result, second.result) << "exactly one desk checks the guest out";
    }
    EXPECT_EQ(CashRows(), "6");
    for (const auto& room : Rooms())
        EXPECT_EQ(room[1] + "," + room[2], "0,0") << room[0];
}

// The two guests of a room leave at the same moment, one at each desk: the
// room ends empty, whichever desk wrote last.
TEST_F(TwoDesks, TwoGuestsOfOneRoomLeavingAtOnceEmptyIt)
{
    CheckInGuests({{"A1", "A2"}, {"B1", "B2"}, {"C1", "C2"}, {"D1", "D2"}});
    for (const char* pair : {"A", "B", "C", "D"}) {
        const std::string one = pair + std::string("1"), two = pair + std::string("2");
        const long first = StayKey(one.c_str()), second = StayKey(two.c_str());
        const auto [a, b] = AtOnce([&] { return CheckOut(m_db, first, kBill); },
                                   [&] { return CheckOut(m_other, second, kBill); });
        EXPECT_EQ(a.error + b.error, "") << pair;
        EXPECT_TRUE(a.result && b.result) << pair;
    }
    EXPECT_EQ(Rooms(), (Rows{{"101", "0", "0"}, {"102", "0", "0"}, {"103", "0", "0"}, {"104", "0", "0"}}));
    EXPECT_EQ(CashRows(), "8");
}

// The desk that comes second finds the guest gone: it writes nothing, and
// the clerk is told in the UI language that the guest has already checked out.
TEST_F(TwoDesks, TheSecondDesksCheckOutIsToldTheGuestHasLeft)
{
    CheckInGuests({{"A", "B"}});
    const long key = StayKey("A");
    ASSERT_TRUE(CheckOut(m_db, key, kBill));
    const std::string after = Dumps();
    EXPECT_FALSE(CheckOut(m_other, key, kBill));
    EXPECT_FALSE(CheckOut(m_other, "101", "A", kBill)) << "by room and name";
    EXPECT_EQ(Dumps(), after) << "no cash-book row, nobody taken off";
    EXPECT_EQ(Rooms(), (Rows{{"101", "1", "1"}}));
    EXPECT_NE(StayGoneMessage(1).Find(wxString::FromUTF8("已经退房")), wxNOT_FOUND);
    EXPECT_NE(StayGoneMessage(2).Find("already checked out"), wxNOT_FOUND);
}

// Two guests checked in to one room at the same moment, one at each desk:
// the room counts both, whichever desk wrote last.
TEST_F(TwoDesks, TwoCheckInsIntoOneRoomAtOnceCountBoth)
{
    CheckInGuests({{}, {}, {}, {}});
    for (const char* room : {"101", "102", "103", "104"}) {
        const auto [a, b] = AtOnce([&] { return CheckIn(m_db, RunningGuest(room, "A"), std::nullopt); },
                                   [&] { return CheckIn(m_other, RunningGuest(room, "B"), std::nullopt); });
        EXPECT_EQ(a.error + b.error, "") << room;
        EXPECT_TRUE(a.result && b.result) << room;
    }
    EXPECT_EQ(Rooms(), (Rows{{"101", "2", "1"}, {"102", "2", "1"}, {"103", "2", "1"}, {"104", "2", "1"}}));
    EXPECT_EQ(QueryOne("Register.db", "SELECT count(*) FROM [register] WHERE [退房日期] IS NULL"), "8");
}

// A guest moved to another room on one desk while the other checks him out:
// he leaves once, from the room the history has him in, and both rooms end
// empty, whichever desk came first.
TEST_F(TwoDesks, AChangeOfRoomRacingACheckOutLeavesBothRoomsEmpty)
{
    CheckInGuests({{"A"}, {"B"}, {"C"}, {"D"}, {}, {}, {}, {}});
    const char* const names[] = {"A", "B", "C", "D"};
    for (int i = 0; i < 4; ++i) {
        const std::string from = std::to_string(101 + i), to = std::to_string(105 + i);
        const GuestRecord shown = RunningGuest(from.c_str(), names[i]);
        const long key = StayKey(names[i]);
        const auto [move, leave] = AtOnce([&] { return MoveStayToRoom(m_db, key, shown, to); },
                                          [&] { return CheckOut(m_other, key, kBill); });
        EXPECT_EQ(move.error + leave.error, "") << names[i];
        EXPECT_TRUE(leave.result) << names[i];
        const std::string left = QueryOne("Register.db", std::string("SELECT [房间号] FROM [register] WHERE [姓名] = '") +
                                                             names[i] + "' AND [退房日期] IS NOT NULL");
        EXPECT_EQ(left, move.result ? to : from) << names[i];
        EXPECT_EQ(QueryOne("Cashbook.db", std::string("SELECT [房间号] FROM [cashbook] WHERE [姓名] = '") + names[i] + "'"),
                  left)
            << "billed under the room he left";
    }
    for (const auto& room : Rooms())
        EXPECT_EQ(room[1] + "," + room[2], "0,0") << room[0];
    EXPECT_EQ(CashRows(), "4");
}

// A third connection holds the room's row (on SQLite files the file) past
// the desks' wait: both desks answer within seconds that nothing was done,
// and nothing was.
TEST_F(TwoDesks, ARowHeldElsewhereEndsBothDesksWithinSeconds)
{
    CheckInGuests({{"A", "B"}});
    const std::string before = Dumps();
    CDatabase holder;
    std::unique_ptr<FileWriteLock> fileLock;
    if (OnServer()) {
        holder.OpenEx(m_env.ConnectString("Hotel.db"));
        holder.BeginTransLockingWrittenFiles();
        holder.ExecuteSQL(wxString::FromUTF8("SELECT 1 FROM [house] WHERE [房间号] = '101' FOR UPDATE"));
    } else {
        fileLock = std::make_unique<FileWriteLock>(File("Hotel.db"));
    }
    const long a = StayKey("A"), b = StayKey("B");
    const auto start = Clock::now();
    const auto [first, second] = AtOnce([&] { return CheckOut(m_db, a, kBill); },
                                        [&] { return CheckOut(m_other, b, kBill); });
    const auto waited = Clock::now() - start;
    EXPECT_NE(first.error, "");
    EXPECT_NE(second.error, "");
    EXPECT_EQ(first.error.find("not a passing"), std::string::npos) << first.error;
    EXPECT_EQ(second.error.find("not a passing"), std::string::npos) << second.error;
    EXPECT_LT(waited, std::chrono::seconds(3 * kLockTimeoutMs / 1000 + 2));
    if (OnServer())
        holder.Rollback();
    fileLock.reset();
    EXPECT_EQ(Dumps(), before);

    // Once it is let go, the desks go on.
    EXPECT_TRUE(CheckOut(m_db, a, kBill));
    EXPECT_TRUE(CheckOut(m_other, b, kBill));
}

// Each desk sees the other's changes with one small read; its own last
// operation is no news to it.
TEST_F(TwoDesks, EachDeskSeesTheOthersChangesAndNotItsOwn)
{
    CheckInGuests({{"A", "B"}});
    ChangeWatch mine(m_db), theirs(m_other);
    EXPECT_FALSE(mine.HasChangedSince());
    EXPECT_FALSE(theirs.HasChangedSince());

    ASSERT_TRUE(CheckOut(m_db, StayKey("A"), kBill));
    EXPECT_FALSE(mine.HasChangedSince()) << "the desk's own check-out";
    EXPECT_TRUE(theirs.HasChangedSince());
    EXPECT_FALSE(theirs.HasChangedSince()) << "seen once";

    // The other desk's change comes first, then this desk's own: still news.
    ASSERT_TRUE(CheckOut(m_other, StayKey("B"), kBill));
    ASSERT_TRUE(CheckIn(m_db, RunningGuest("101", "C"), std::nullopt));
    EXPECT_TRUE(mine.HasChangedSince());
    // A transaction that wrote nothing, or was rolled back, is none.
    {
        CDeskTransaction nothing(m_other);
        CHouseset rooms(&m_other.m_dbHotel);
        rooms.Open();
        ASSERT_TRUE(rooms.AddRoom("999", "1", ""));
    }
    EXPECT_FALSE(mine.HasChangedSince());

    // A server's schema without the change marker: the server's count of
    // writing transactions stands in, the desk's own among them.
    if (!OnServer())
        return;
    m_env.Execute("Hotel.db", "DROP FUNCTION [note_change]() CASCADE; DROP TABLE [change_marker]");
    ChangeWatch without(m_db);
    EXPECT_FALSE(without.HasChangedSince());
    ASSERT_TRUE(CheckIn(m_other, RunningGuest("101", "D"), std::nullopt));
    EXPECT_TRUE(without.HasChangedSince());
    EXPECT_FALSE(without.HasChangedSince());
}

// A server restarted between two operations: the next operation opens the
// connection again before it writes anything, and goes through.
TEST_F(TwoDesks, AServerRestartBetweenTwoOperationsIsOpenedThrough)
{
    if (!OnServer())
        GTEST_SKIP() << "a SQLite file has no server";
    CheckInGuests({{"A"}});
    ASSERT_TRUE(TestEnvironment::ControlServer("restart")) << "QUILLAN_TEST_POSTGRESQL_CTL restarts the server";
    EXPECT_TRUE(CheckIn(m_db, RunningGuest("101", "B"), std::nullopt));
    EXPECT_TRUE(CheckOut(m_other, StayKey("A"), kBill));
    EXPECT_EQ(Rooms(), (Rows{{"101", "1", "1"}}));

    // A read outside an operation that meets the lost connection fails and
    // says so; the next one opens it again.
    ASSERT_TRUE(TestEnvironment::ControlServer("restart"));
    CHouseset rooms(&m_db.m_dbHotel);
    try {
        rooms.Open();
        ADD_FAILURE() << "read over a connection the server dropped";
    } catch (const CDBException& e) {
        EXPECT_TRUE(e.IsPassingFailure()) << e.m_strError;
    }
    ASSERT_TRUE(rooms.Open());
    EXPECT_EQ(rooms.FindRoom("101"), 0);
}

// The server away: every operation answers that nothing was done, and a
// desk that starts then reports its data source and ends; the data sources
// stay as the site wrote them. Back up, the desks go on.
TEST_F(TwoDesks, AServerAwayIsReportedAndItsDataSourcesStay)
{
    if (!OnServer())
        GTEST_SKIP() << "a SQLite file has no server";
    CheckInGuests({{"A"}});
    const std::string odbcIni = ReadFileText(m_env.Folder() + "/.odbc.ini");
    ASSERT_TRUE(TestEnvironment::ControlServer("stop"));
    struct StartAgain
    {
        ~StartAgain() { TestEnvironment::ControlServer("start"); }
    } startAgain;
    try {
        CheckIn(m_db, RunningGuest("101", "B"), std::nullopt);
        ADD_FAILURE() << "a check-in without the server";
    } catch (const CDBException& e) {
        EXPECT_TRUE(e.IsPassingFailure()) << e.m_strError;
    }
    DataConnections third;
    if (!ProbeDataSources(third))
        CreateDataSources(third);
    m_env.ClearMessages();
    EXPECT_FALSE(OpenDataSources(third));
    ASSERT_EQ(m_env.m_messages.size(), 2u);
    EXPECT_EQ(m_env.m_messages[0], wxString::FromUTF8("打开Hotel数据库失败！"));
    EXPECT_FALSE(m_env.m_messages[1].empty());
    EXPECT_EQ(ReadFileText(m_env.Folder() + "/.odbc.ini"), odbcIni) << "no data source replaced or added";

    ASSERT_TRUE(TestEnvironment::ControlServer("start"));
    EXPECT_TRUE(CheckIn(m_db, RunningGuest("101", "B"), std::nullopt));
    EXPECT_EQ(Rooms(), (Rows{{"101", "2", "1"}}));
}

// Register on another database than Hotel: no operation could commit on
// both at once, so the desk does not start on them.
TEST_F(TwoDesks, DataSourcesOnTwoDatabasesAreRefused)
{
    if (!OnServer())
        GTEST_SKIP() << "SQLite files are attached to one connection wherever they lie";
    EXPECT_TRUE(m_db.m_dbHotel.SharesConnectionWith(m_db.m_dbRegister));
    EXPECT_TRUE(m_db.m_dbHotel.SharesConnectionWith(m_db.m_dbCashbook));
    const CString server = m_env.ConnectString("Hotel.db");
    const CString elsewhere[] = {
        server.Left(size_t(server.Find("Database="))) + "Database=postgres",  // another database of the server
        wxString::FromUTF8("Driver=SQLite3;Database=" + File("Register.db")),
    };
    for (const CString& connect : elsewhere) {
        SCOPED_TRACE(connect.utf8_string());
        CDatabase stays;
        try {
            stays.OpenAttached(connect, 0, m_db.m_dbHotel, "Register");
            ADD_FAILURE() << "opened on another database";
        } catch (const CDBException& e) {
            EXPECT_NE(e.m_strError.Find("Hotel"), wxNOT_FOUND) << e.m_strError;
        }
        EXPECT_FALSE(stays.IsOpen());
    }
}
