// The desk's operations as units of work: what each refuses without writing,
// and that a write failing half-way (a file on a full disk) or a file locked
// by another process leaves all three files exactly as they were and is
// reported, never taken for done.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>

#include "CCashbookset.h"
#include "CHouseset.h"
#include "CRegisterset.h"
#include "DataSources.h"
#include "SqliteFiles.h"
#include "StayOperations.h"
#include "TestEnvironment.h"

namespace {

CString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

COleDateTime At(int d, int h)
{
    return COleDateTime(2026, 3, d, h, 0, 0);
}

GuestRecord Guest(const char* room, const char* name, const COleDateTime& checkIn)
{
    GuestRecord g;
    g.m_strRoomNo = room;
    g.m_strName = U(name);
    g.m_strNation = U("汉族");
    g.m_dtBirth = COleDateTime(1980, 1, 1, 0, 0, 0);
    g.m_dtCheckIn = checkIn;
    g.m_dtCheckOut.SetStatus(COleDateTime::null);
    g.m_strIdNumber = "110101198001010011";
    g.m_strPaid = "100.00";
    g.m_strDeposit = "0.00";
    return g;
}

class DeskOperations : public testing::Test
{
protected:
    void SetUp() override
    {
        // The program's own start-up: register, then open the three data sources;
        // a lock held elsewhere is reported after a tenth of a second, not the desk's own wait.
        if (!ProbeDataSources(m_db))
            CreateDataSources(m_db);
        ShortenLockWait();
        ASSERT_TRUE(OpenDataSources(m_db));
        m_db.m_dbHotel.ExecuteSQL(U("INSERT INTO [house]([房间号],[房价]) VALUES ('101','80'),('102','90'),('103','100')"));
        // 王五 is in 101; 赵六 has left 102.
        ASSERT_TRUE(CheckIn(m_db, Guest("102", "赵六", At(1, 9)), std::nullopt));
        CheckOut(m_db, "102", U("赵六"), CheckOutBill{100, 0, 80});
        m_wang = Guest("101", "王五", At(2, 10));
        ASSERT_TRUE(CheckIn(m_db, m_wang, std::nullopt));
    }

    void ShortenLockWait()
    {
        const std::string path = m_env.Folder() + "/.odbc.ini";
        std::string ini = ReadFileText(path);
        for (const char* section : {"[Hotel]\n", "[Register]\n", "[Cashbook]\n"}) {
            const size_t at = ini.find(section);
            ASSERT_NE(at, std::string::npos) << section;
            ini.insert(at + std::strlen(section), "Timeout=100\n");
        }
        std::ofstream(path, std::ios::binary | std::ios::trunc) << ini;
    }

    std::string File(const char* name) const { return m_env.DataSaveFolder() + name; }

    std::string Dumps() const
    {
        return DumpDatabase(File("Hotel.db")) + DumpDatabase(File("Register.db")) + DumpDatabase(File("Cashbook.db"));
    }

    // Runs `operation`, which must fail with a database error whose text holds
    // `driverText`, and leave the three files as they were.
    template <class Operation>
    void ExpectUndone(Operation operation, const char* driverText)
    {
        const std::string before = Dumps();
        ASSERT_FALSE(before.empty());
        try {
            operation();
            ADD_FAILURE() << "the operation was taken for done";
        } catch (const CDBException& e) {
            EXPECT_NE(e.m_strError.Lower().Find(driverText), wxNOT_FOUND) << e.m_strError.utf8_string();
        }
        ExpectSameFiles(before);
    }

    void ExpectSameFiles(const std::string& before)
    {
        const std::string after = Dumps();
        size_t at = 0;
        while (at < before.size() && at < after.size() && before[at] == after[at])
            ++at;
        EXPECT_TRUE(before == after) << "the files differ from byte " << at << " of their dump: "
                                     << after.substr(at > 40 ? at - 40 : 0, 120);
    }

    long long FillFile(const char* file, const char* table) { return FillToTheEnd(File(file), table); }

    // Runs `operation` in a process of its own whose files cannot grow past
    // `limit` bytes, as on a full disk (the limit is the whole process's); it
    // must report the failure, and the three files must be as they were.
    template <class Operation>
    void ExpectUndoneOnAFullDisk(long long limit, Operation operation)
    {
        const std::string before = Dumps();
        int report[2];
        ASSERT_EQ(pipe(report), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            FileSizeLimit full(limit);
            std::string error = "taken for done";
            try {
                operation();
            } catch (const CDBException& e) {
                error = e.m_strError.utf8_string();
            }
            (void)!write(report[1], error.data(), error.size());
            _exit(0);
        }
        close(report[1]);
        char text[512] = {};
        (void)!read(report[0], text, sizeof text - 1);
        close(report[0]);
        waitpid(pid, nullptr, 0);
        // SQLite tells a write the system refused as an I/O error, and a full file as "full".
        const std::string error = text;
        EXPECT_TRUE(error.find("I/O error") != std::string::npos || error.find("full") != std::string::npos) << error;
        ExpectSameFiles(before);
    }

    int Persons(const char* room)
    {
        CHouseset rooms(&m_db.m_dbHotel);
        rooms.Open();
        return rooms.FindRoom(room) == -1 ? -1 : rooms.m_nPersons;
    }

    TestEnvironment m_env;
    DataConnections m_db;
    GuestRecord m_wang;
};

// ---------------------------------------------------------------- refused without a write

TEST_F(DeskOperations, UnknownRoomsAndVanishedStaysAreRefusedWithoutAWrite)
{
    const std::string before = Dumps();
    EXPECT_FALSE(CheckIn(m_db, Guest("109", "孙七", At(3, 8)), std::nullopt));
    EXPECT_FALSE(ChangeRoom(m_db, m_wang, "109")) << "a stay in a room that is not there could never leave";
    GuestRecord gone = m_wang;
    gone.m_strIdNumber = "1";
    EXPECT_FALSE(ChangeRoom(m_db, gone, "102"));
    EXPECT_FALSE(DeleteStay(m_db, gone));
    EXPECT_FALSE(ModifyStay(m_db, gone, gone));
    ExpectSameFiles(before);
}

TEST_F(DeskOperations, ModifyingThroughARunningRecordKeepsTheRowsTimes)
{
    // The closed stay of 赵六, found through a record that knows no check-out.
    GuestRecord zhao = Guest("102", "赵六", At(1, 9));
    GuestRecord edited = zhao;
    edited.m_strRemarks = U("常客");
    ASSERT_TRUE(ModifyStay(m_db, zhao, edited));

    CRegisterset stays(&m_db.m_dbRegister);
    stays.Open();
    ASSERT_NE(stays.FindRecord(edited), -1);
    EXPECT_EQ(stays.m_strRemarks, U("常客"));
    EXPECT_EQ(stays.m_dtCheckOut.GetStatus(), COleDateTime::valid) << "the stay stays closed";
}

TEST_F(DeskOperations, ClearingRemovesTheClosedStaysOnly)
{
    const std::string cashBook = DumpDatabase(File("Cashbook.db"));
    ClearStays(m_db);
    const auto left = QueryDatabase(File("Register.db"), "SELECT [姓名] FROM [register]");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0][0], "王五");
    EXPECT_EQ(DumpDatabase(File("Cashbook.db")), cashBook);
}

// ---------------------------------------------------------------- a write failing half-way

// The stay is written first, the room after it: the room that cannot take its
// hourly times undoes the stay.
TEST_F(DeskOperations, CheckInIntoAFullRoomsFileLeavesNoStay)
{
    const long long full = FillFile("Hotel.db", "house");
    const COleDateTime now = At(3, 8);
    ExpectUndoneOnAFullDisk(full, [&] { CheckIn(m_db, Guest("102", "孙七", now), HourlySpan{now, At(3, 11)}); });
}

// The stay moves first, then the person leaves 103 and enters 102 with his
// hourly times, which the full file cannot take.
TEST_F(DeskOperations, ChangeOfRoomIntoAFullRoomsFileLeavesTheGuestWhereHeWas)
{
    const COleDateTime now = At(3, 8);
    GuestRecord li = Guest("103", "李四", now);
    ASSERT_TRUE(CheckIn(m_db, li, HourlySpan{now, At(3, 11)}));
    const long long full = FillFile("Hotel.db", "house");
    ExpectUndoneOnAFullDisk(full, [&] { ChangeRoom(m_db, li, "102"); });
}

// The room is freed and the stay closed before the cash-book row fails.
TEST_F(DeskOperations, CheckOutIntoAFullCashBookKeepsTheGuestIn)
{
    const long long full = FillFile("Cashbook.db", "cashbook");
    ExpectUndoneOnAFullDisk(full, [&] { CheckOut(m_db, "101", U("王五"), CheckOutBill{100, 0, 80}); });
}

// A file another process holds: nothing is begun, the lock is named, and once
// it is gone the same operation goes through on the same connection.
TEST_F(DeskOperations, OperationsOnAFileLockedElsewhereBeginNothing)
{
    {
        FileWriteLock otherProcess(File("Register.db"));
        ExpectUndone([&] { CheckIn(m_db, Guest("102", "孙七", At(3, 8)), std::nullopt); }, "locked");
        ExpectUndone([&] { DeleteStay(m_db, m_wang); }, "locked");
        ExpectUndone([&] { ClearStays(m_db); }, "locked");
    }
    ASSERT_TRUE(CheckIn(m_db, Guest("102", "孙七", At(3, 8)), std::nullopt));
    EXPECT_EQ(Persons("102"), 1);
}

}  // namespace
