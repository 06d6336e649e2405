// The finds ask the database for the rows that can match and then compare
// those themselves. Each must give exactly what walking every row with the
// comparison gives: the same row, the same position, the same cursor, whatever
// the order, the duplicates and the changes made through another recordset.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>
#include "CHouseset.h"
#include "CRegisterset.h"
#include "DataSources.h"
#include "DeskData.h"
#include "SqliteFiles.h"
#include "StayOperations.h"
#include "TestEnvironment.h"

namespace {

CString U(const char* utf8) { return wxString::FromUTF8(utf8); }

class FindTest : public testing::Test
{
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_BACKEND(env);
        for (auto [db, file] : {std::pair{&hotel, "Hotel.db"}, std::pair{&reg, "Register.db"}})
            db->OpenEx(env.ConnectString(file));
        hotel.ExecuteSQL(wxT("DELETE FROM [house]"));
    }
    void AddRooms(const std::vector<const char*>& numbers)
    {
        CHouseset rs(&hotel);
        ASSERT_TRUE(rs.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly));
        int n = 0;
        for (const char* no : numbers)
            ASSERT_TRUE(rs.AddRoom(U(no), wxT("100"), wxString::Format("room %d", n++)));
    }
    // Through `other`: room `gone` deleted, room `from` renumbered to `to`.
    static void DeleteAndRenumber(CHouseset& other, const CString& gone, const CString& from, const CString& to)
    {
        ASSERT_NE(-1, other.FindRoom(gone));
        other.Delete();
        ASSERT_NE(-1, other.FindRoom(from));
        other.Edit();
        other.m_strRoomNo = to;
        ASSERT_TRUE(other.Update());
    }
    TestEnvironment env;
    CDatabase hotel, reg;
};

// The rooms walk as the design spells it out: every row from the first.
int WalkToRoom(CHouseset& rs, const CString& room)
{
    int position = 0;
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext(), ++position)
        if (rs.m_strRoomNo == room)
            return position;
    return -1;
}

// The find and the walk agree on the result and on where they leave the cursor.
void ExpectRoomFindLikeWalk(CHouseset& found, CHouseset& walked, const CString& room)
{
    const int expected = WalkToRoom(walked, room);
    EXPECT_EQ(expected, found.FindRoom(room)) << room << " sorted by " << walked.m_strSort << " filtered by " << walked.m_strFilter;
    EXPECT_EQ(walked.IsEOF(), found.IsEOF()) << room;
    if (expected != -1) {
        EXPECT_EQ(walked.m_strIntro, found.m_strIntro) << room << ": another row of that number";
    }
}

TEST_F(FindTest, RoomFindsTakeExactlyTheRowTheWalkTakes)
{
    AddRooms({"101", "102", "101", "101 ", "1010", "a1", "A1", "", "102", "豪华101"});
    for (const CString& sort : {CString(), U("房间号 ASC"), U("房价 DESC, 房间号 DESC")}) {
        CHouseset found(&hotel), walked(&hotel);
        found.m_strSort = walked.m_strSort = sort;
        ASSERT_TRUE(found.Open(CRecordset::dynaset));
        ASSERT_TRUE(walked.Open(CRecordset::dynaset));
        for (const char* room : {"101", "102", "101 ", "1010", "10", "a1", "A1", "", " ", "999", "豪华101"})
            ExpectRoomFindLikeWalk(found, walked, U(room));
    }
}

TEST_F(FindTest, RoomPositionsCountOnlyRowsThatAreStillThere)
{
    AddRooms({"201", "202", "203", "204", "205"});
    CHouseset found(&hotel), walked(&hotel), other(&hotel);
    ASSERT_TRUE(found.Open(CRecordset::dynaset));
    ASSERT_TRUE(walked.Open(CRecordset::dynaset));
    ASSERT_TRUE(other.Open(CRecordset::dynaset));

    // Rooms deleted and renumbered through another recordset on the same connection.
    DeleteAndRenumber(other, wxT("202"), wxT("204"), wxT("209"));
    for (const char* room : {"201", "202", "203", "204", "205", "209"})
        ExpectRoomFindLikeWalk(found, walked, U(room));
    EXPECT_EQ(2, found.FindRoom(wxT("209")));

    // And through the recordset that finds.
    ASSERT_NE(-1, found.FindRoom(wxT("201")));
    found.Delete();
    walked.Requery();
    EXPECT_EQ(0, found.FindRoom(wxT("203")));
    EXPECT_EQ(-1, found.FindRoom(wxT("201")));
    EXPECT_EQ(2, found.FindRoom(wxT("205")));
}

TEST_F(FindTest, RoomAddedThroughTheRecordsetIsFoundAtItsEnd)
{
    AddRooms({"301", "302"});
    CHouseset rs(&hotel);
    rs.m_strSort = U("房间号 ASC");
    ASSERT_TRUE(rs.Open(CRecordset::dynaset));
    ASSERT_TRUE(rs.AddRoom(wxT("300"), wxT("80"), wxT("new")));
    EXPECT_EQ(2, rs.FindRoom(wxT("300")));  // appended rows stand at the end until the next open
    EXPECT_EQ(wxT("new"), rs.m_strIntro);
}

// Rooms enough that a find lands past the rows the walk has read: its
// position is then counted by the database, in the order of the open.
class ManyRoomsFindTest : public FindTest
{
protected:
    void SetUp() override
    {
        FindTest::SetUp();
        std::vector<std::string> numbers;
        for (int i = 0; i < 700; ++i)
            numbers.push_back(std::to_string(100 + (i * 37) % 600));  // every number once or twice
        std::vector<const char*> texts;
        for (const std::string& n : numbers)
            texts.push_back(n.c_str());
        AddRooms(texts);
        // Prices repeat, and a third of the rooms are booked on one of a few days (NULL for the others).
        hotel.ExecuteSQL(wxT("UPDATE [house] SET [房价] = rowid % 7"));
        hotel.ExecuteSQL(wxString::FromUTF8(
            "UPDATE [house] SET [定房日期] = '2024-03-0' || (rowid % 4 + 1) || ' 00:00:00' WHERE rowid % 3 = 0"));
    }

    // For every order and filter, a walked recordset and one recordset for
    // the find of each room, all opened now.
    struct Opened
    {
        CString sort;
        std::unique_ptr<CHouseset> walked;
        std::vector<std::unique_ptr<CHouseset>> found;
    };
    std::vector<Opened> OpenForFinds(size_t rooms)
    {
        std::vector<Opened> opened;
        for (const CString& sort : {CString(), U("房间号 ASC"), U("房价 DESC, 房间号 DESC"), U("[定房日期] ASC, 房价"),
                                    U("定房日期 DESC , [房间号] desc"), U("房间号 COLLATE NOCASE ASC")}) {
            for (const bool filtered : {false, true}) {
                Opened o{sort, Arranged(sort, filtered), {}};
                for (size_t i = 0; i < rooms; ++i)
                    o.found.push_back(Arranged(sort, filtered));
                opened.push_back(std::move(o));
            }
        }
        return opened;
    }

    // Each find beside the walk, and the row after it.
    static void ExpectFindsLikeWalks(std::vector<Opened>& opened, const std::vector<const char*>& rooms)
    {
        for (Opened& o : opened) {
            CHouseset& walked = *o.walked;
            for (size_t i = 0; i < rooms.size(); ++i) {
                CHouseset& found = *o.found[i];
                ExpectRoomFindLikeWalk(found, walked, U(rooms[i]));
                if (walked.IsEOF())
                    continue;
                found.MoveNext();
                walked.MoveNext();
                ASSERT_EQ(walked.IsEOF(), found.IsEOF()) << rooms[i] << " sorted by " << o.sort;
                if (!walked.IsEOF()) {
                    EXPECT_EQ(walked.m_strIntro, found.m_strIntro) << "the row after " << rooms[i] << " sorted by "
                                                                   << o.sort;
                }
            }
        }
    }

    std::unique_ptr<CHouseset> Arranged(const CString& sort, bool filtered)
    {
        auto rs = std::make_unique<CHouseset>(&hotel);
        rs->m_strSort = sort;
        if (filtered) {
            rs->m_strFilter = U("[房价] <> ?");
            rs->m_filterValues = {wxT("3")};
        }
        EXPECT_TRUE(rs->Open(CRecordset::dynaset));
        return rs;
    }
};

TEST_F(ManyRoomsFindTest, FindsPastTheWalkedRowsTakeTheWalksRowInEveryOrder)
{
    const std::vector<const char*> rooms = {"100", "699", "137", "400", "562", "599", "101", "9999", "1"};
    std::vector<Opened> opened = OpenForFinds(rooms.size());
    ExpectFindsLikeWalks(opened, rooms);
}

TEST_F(ManyRoomsFindTest, FindsAfterChangesThroughAnotherRecordsetStillTakeTheWalksRow)
{
    const std::vector<const char*> rooms = {"137", "562", "101", "599", "400"};
    std::vector<Opened> opened = OpenForFinds(rooms.size());
    CHouseset other(&hotel);
    ASSERT_TRUE(other.Open(CRecordset::dynaset));
    DeleteAndRenumber(other, wxT("137"), wxT("562"), wxT("101"));
    ExpectFindsLikeWalks(opened, rooms);
}

TEST_F(ManyRoomsFindTest, RoomAddedBeforeTheWalkEndsIsFoundAtItsEnd)
{
    CHouseset rs(&hotel);
    rs.m_strSort = U("房间号 ASC");
    ASSERT_TRUE(rs.Open(CRecordset::dynaset));
    ASSERT_TRUE(rs.AddRoom(wxT("050"), wxT("80"), wxT("new")));
    EXPECT_EQ(700, rs.FindRoom(wxT("050")));
    EXPECT_EQ(wxT("new"), rs.m_strIntro);
    EXPECT_EQ(0, rs.FindRoom(wxT("100")));
}

// ---------------------------------------------------------------- stays

COleDateTime Day(int d, int h = 14) { return COleDateTime(2024, 3, d, h, 0, 0); }

GuestRecord Stay(const char* room, const char* name, const char* id, int day, bool closed)
{
    GuestRecord rec;
    rec.m_strRoomNo = U(room);
    rec.m_strName = U(name);
    rec.m_strNation = U("汉族");
    rec.m_dtBirth = COleDateTime(1990, 1, 2, 0, 0, 0);
    rec.m_dtCheckIn = Day(day);
    if (closed)
        rec.m_dtCheckOut = Day(day + 1, 11);
    else
        rec.m_dtCheckOut.SetStatus(COleDateTime::null);
    rec.m_strIdNumber = U(id);
    rec.m_strPaid = wxT("150");
    rec.m_strDeposit = wxT("0");
    return rec;
}

class StayFindTest : public FindTest
{
protected:
    void AddStays(const std::vector<GuestRecord>& stays)
    {
        CRegisterset rs(&reg);
        ASSERT_TRUE(rs.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly));
        for (const GuestRecord& stay : stays) {
            rs.AddNew();
            rs.SetGuestRecord(stay);
            ASSERT_TRUE(rs.Update());
        }
    }
    // Many stays sharing rooms, names and ID numbers, running and closed.
    std::vector<GuestRecord> History()
    {
        std::vector<GuestRecord> stays;
        const char* names[] = {"张三", "李四", "王五", "张三 ", ""};
        for (int i = 0; i < 60; ++i)
            stays.push_back(Stay(i % 3 ? "101" : "102", names[i % 5], i % 4 ? "ID1" : "", 1 + i % 7, i % 6 != 0));
        return stays;
    }
};

int WalkToRecord(CRegisterset& rs, const GuestRecord& rec)
{
    int position = 0;
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext(), ++position)
        if (rs.Matches(rec))
            return position;
    return -1;
}

void ExpectRecordFindLikeWalk(CRegisterset& found, CRegisterset& walked, const GuestRecord& rec)
{
    const int expected = WalkToRecord(walked, rec);
    EXPECT_EQ(expected, found.FindRecord(rec)) << rec.m_strRoomNo << "/" << rec.m_strName;
    EXPECT_EQ(walked.IsEOF(), found.IsEOF());
    if (expected != -1) {
        EXPECT_EQ(walked.m_nID, found.m_nID) << rec.m_strRoomNo << "/" << rec.m_strName;
    }
}

TEST_F(StayFindTest, RecordFindsTakeExactlyTheRowTheWalkTakes)
{
    const std::vector<GuestRecord> history = History();
    AddStays(history);
    std::vector<GuestRecord> probes = history;
    // Near misses: one field off, a time within and past half a second, a running key for a closed stay.
    GuestRecord near = history[7];
    near.m_strName = U("李四 ");
    probes.push_back(near);
    near = history[7];
    near.m_dtCheckIn = near.m_dtCheckIn + COleDateTimeSpan(0.4 / 86400);
    probes.push_back(near);
    near.m_dtCheckIn = near.m_dtCheckIn + COleDateTimeSpan(0.3 / 86400);
    probes.push_back(near);
    near = history[8];
    near.m_dtCheckOut.SetStatus(COleDateTime::null);
    probes.push_back(near);
    near.m_strIdNumber = wxT("id1");
    probes.push_back(near);

    for (const CString& filter : {CString(), OpenStaysFilter()}) {
        CRegisterset found(&reg), walked(&reg);
        found.m_strFilter = walked.m_strFilter = filter;
        ASSERT_TRUE(found.Open(CRecordset::dynaset));
        ASSERT_TRUE(walked.Open(CRecordset::dynaset));
        for (const GuestRecord& rec : probes)
            ExpectRecordFindLikeWalk(found, walked, rec);
    }
}

TEST_F(StayFindTest, RecordFindSeesStaysChangedThroughAnotherRecordset)
{
    AddStays(History());
    CRegisterset found(&reg), walked(&reg), other(&reg);
    ASSERT_TRUE(found.Open(CRecordset::dynaset));
    ASSERT_TRUE(walked.Open(CRecordset::dynaset));
    ASSERT_TRUE(other.Open(CRecordset::dynaset));
    for (int i = 0; i < 10; ++i) {
        other.Move(3);
        other.Delete();
    }
    other.MoveFirst();
    other.Move(20);
    const GuestRecord moved = [&] {
        other.Edit();
        other.m_strRoomNo = wxT("909");
        other.Update();
        return other.GetGuestRecord();
    }();
    for (const GuestRecord& rec : History())
        ExpectRecordFindLikeWalk(found, walked, rec);
    ExpectRecordFindLikeWalk(found, walked, moved);
    EXPECT_NE(-1, found.FindRecord(moved));
}

TEST_F(StayFindTest, ClosingAStayClosesTheFirstOpenOneOfThatRoomAndGuest)
{
    AddStays({Stay("101", "张三", "ID1", 1, false), Stay("102", "张三", "ID1", 1, false),
              Stay("101", "张三", "ID1", 2, true), Stay("101", "张三", "ID1", 3, false)});
    // A check-out the driver cannot read as a time is an empty one to the program:
    // that stay runs, though SQL holds no NULL for it. (A server's timestamp
    // column holds no text: there the stay keeps its NULL.)
    if (TestEnvironment::Backend() == TestBackend::sqlite)
        ExecuteOnDatabase(env.DataSaveFolder() + "Register.db",
                          "UPDATE [register] SET [退房日期] = '' WHERE [ID] = 1");
    CRegisterset rs(&reg), walked(&reg);
    ASSERT_TRUE(rs.Open(CRecordset::dynaset));
    ASSERT_TRUE(walked.Open(CRecordset::dynaset));
    long firstOpen = 0;
    for (walked.MoveFirst(); !walked.IsEOF() && !firstOpen; walked.MoveNext())
        if (walked.m_strRoomNo == wxT("101") && walked.m_dtCheckOut.GetStatus() == COleDateTime::null)
            firstOpen = walked.m_nID;
    ASSERT_NE(0, firstOpen);

    rs.CloseOpenStay(wxT("101"), U("张三"));
    for (walked.MoveFirst(); walked.m_nID != firstOpen; walked.MoveNext()) {
    }
    EXPECT_EQ(COleDateTime::valid, walked.m_dtCheckOut.GetStatus());
    rs.CloseOpenStay(wxT("101"), U("张三"));
    rs.CloseOpenStay(wxT("101"), U("张三"));  // none left open in 101: nothing changes
    int open = 0;
    for (walked.MoveFirst(); !walked.IsEOF(); walked.MoveNext())
        open += walked.m_dtCheckOut.GetStatus() == COleDateTime::null ? 1 : 0;
    EXPECT_EQ(1, open) << "only the stay in 102 runs on";
}

TEST_F(StayFindTest, CountsAndFilteredOpensAgreeWithTheWalk)
{
    AddStays(History());
    CRegisterset all(&reg), open(&reg), ofRoom(&reg);
    open.m_strFilter = OpenStaysFilter();
    ofRoom.m_strFilter = OpenStaysFilter() + U(" AND [房间号] = ?");
    ofRoom.m_filterValues = {wxT("102")};
    const long counted[] = {all.CountRows(), open.CountRows(), ofRoom.CountRows()};
    ASSERT_TRUE(all.Open(CRecordset::dynaset));
    ASSERT_TRUE(open.Open(CRecordset::dynaset));
    ASSERT_TRUE(ofRoom.Open(CRecordset::dynaset));
    EXPECT_EQ(60, counted[0]);
    EXPECT_EQ(all.GetRecordCount(), counted[0]);
    EXPECT_EQ(open.GetRecordCount(), counted[1]);
    EXPECT_EQ(ofRoom.GetRecordCount(), counted[2]);

    // The filtered opens give the walk's rows in the walk's order, whatever index answers them.
    std::vector<long> expectOpen, expectOfRoom, gotOpen, gotOfRoom;
    for (all.MoveFirst(); !all.IsEOF(); all.MoveNext()) {
        if (all.m_dtCheckOut.GetStatus() != COleDateTime::null)
            continue;
        expectOpen.push_back(all.m_nID);
        if (all.m_strRoomNo == wxT("102"))
            expectOfRoom.push_back(all.m_nID);
    }
    for (open.MoveFirst(); !open.IsEOF(); open.MoveNext())
        gotOpen.push_back(open.m_nID);
    for (ofRoom.MoveFirst(); !ofRoom.IsEOF(); ofRoom.MoveNext())
        gotOfRoom.push_back(ofRoom.m_nID);
    EXPECT_EQ(expectOpen, gotOpen);
    EXPECT_EQ(expectOfRoom, gotOfRoom);
    EXPECT_FALSE(gotOfRoom.empty());
}

// Clearing the history empties the table and puts the running stays back:
// afterwards the index of the stays by name is there and finds what is left.
class HistoryIndexTest : public testing::Test
{
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_BACKEND(env);
        if (!ProbeDataSources(db))
            CreateDataSources(db);
        ASSERT_TRUE(OpenDataSources(db));
        CRegisterset rs(&db.m_dbRegister);
        ASSERT_TRUE(rs.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly));
        db.m_dbRegister.BeginTrans();
        for (int i = 0; i < 1000; ++i) {
            rs.AddNew();
            rs.SetGuestRecord(i == 500 ? running : Stay("102", "李四", "", 3, true));
            ASSERT_TRUE(rs.Update());
        }
        db.m_dbRegister.CommitTrans();
    }
    // After a clear: the running stay alone is left, found through the index made again.
    void ExpectClearedAndIndexed()
    {
        const std::string file = env.DataSaveFolder() + "Register.db";
        if (TestEnvironment::Backend() == TestBackend::sqlite) {
            EXPECT_EQ(1u, QueryDatabase(file, "SELECT name FROM sqlite_master WHERE name = 'ix_register_name'").size());
            EXPECT_EQ("ok", IntegrityOf(file));
        } else {
            EXPECT_EQ(1u, env.Query("Register.db", "SELECT 1 FROM pg_indexes WHERE indexname = 'ix_register_name'").size());
        }
        CRegisterset rs(&db.m_dbRegister);
        ASSERT_TRUE(rs.Open(CRecordset::dynaset));
        EXPECT_EQ(1, rs.GetRecordCount());
        EXPECT_EQ(0, rs.FindRecord(running));
    }
    TestEnvironment env;
    DataConnections db;
    const GuestRecord running = Stay("101", "张三", "ID1", 2, false);
};

TEST_F(HistoryIndexTest, ClearingTheHistoryKeepsTheStaysByNameIndexed)
{
    ClearStays(db);
    ExpectClearedAndIndexed();
}

// The running stays go back with their keys, and a stay added after the
// clears does not take the key of one cleared; a second clear works alike.
TEST_F(HistoryIndexTest, ClearingKeepsTheKeysOfWhatIsLeft)
{
    const std::string file = "Register.db";
    const auto keyOfRunning = env.Query(file, "SELECT [ID] FROM [register] WHERE [退房日期] IS NULL");
    const auto largestKey = env.Query(file, "SELECT max([ID]) FROM [register]");
    ClearStays(db);
    ClearStays(db);
    ExpectClearedAndIndexed();
    EXPECT_EQ(keyOfRunning, env.Query(file, "SELECT [ID] FROM [register]"));
    CRegisterset rs(&db.m_dbRegister);
    ASSERT_TRUE(rs.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly));
    rs.AddNew();
    rs.SetGuestRecord(Stay("103", "王五", "ID3", 1, false));
    ASSERT_TRUE(rs.Update());
    EXPECT_EQ(std::stoll(largestKey.at(0).at(0)) + 1,
              std::stoll(env.Query(file, "SELECT [ID] FROM [register] WHERE [姓名] = '王五'").at(0).at(0)));
}

// A walk on the connection reads while the clear empties the table.
TEST_F(HistoryIndexTest, ClearingWhileAWalkReadsStillClears)
{
    CRegisterset walking(&db.m_dbRegister);
    ASSERT_TRUE(walking.Open(CRecordset::dynaset));
    walking.MoveNext();
    ClearStays(db);
    ExpectClearedAndIndexed();
}

}  // namespace
