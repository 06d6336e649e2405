// The desk's operations as units of work: what each refuses without writing,
// and that a write failing half-way (a file locked by another process, a full
// cash book, a file the system will not let grow) leaves all three files
// exactly as they were and is reported, never taken for done.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
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
        EXPECT_EQ(Dumps(), before);
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
    EXPECT_EQ(Dumps(), before);
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

// The stay is written first, the room after it: the room refused undoes the stay.
TEST_F(DeskOperations, CheckInIntoALockedRoomsFileLeavesNoStay)
{
    {
        FileWriteLock otherProcess(File("Hotel.db"));
        ExpectUndone([&] { CheckIn(m_db, Guest("102", "孙七", At(3, 8)), std::nullopt); }, "locked");
    }
    // Once the lock is gone the same check-in goes through on the same connection.
    ASSERT_TRUE(CheckIn(m_db, Guest("102", "孙七", At(3, 8)), std::nullopt));
    EXPECT_EQ(Persons("102"), 1);
}

TEST_F(DeskOperations, ChangeOfRoomIntoALockedRoomsFileLeavesTheGuestWhereHeWas)
{
    FileWriteLock otherProcess(File("Hotel.db"));
    ExpectUndone([&] { ChangeRoom(m_db, m_wang, "103"); }, "locked");
}

// The room is freed and the stay closed before the cash-book row fails.
TEST_F(DeskOperations, CheckOutWithALockedCashBookKeepsTheGuestIn)
{
    FileWriteLock otherProcess(File("Cashbook.db"));
    ExpectUndone([&] { CheckOut(m_db, "101", U("王五"), CheckOutBill{100, 0, 80}); }, "locked");
}

TEST_F(DeskOperations, DeletingAndClearingInALockedStaysFileRemoveNothing)
{
    FileWriteLock otherProcess(File("Register.db"));
    ExpectUndone([&] { DeleteStay(m_db, m_wang); }, "locked");
    ExpectUndone([&] { ClearStays(m_db); }, "locked");
}

// A cash book that cannot grow: the file system refuses to let it pass its
// size (as a full disk does), in a process of its own since the limit is the
// whole process's.
TEST_F(DeskOperations, CheckOutIntoACashBookTheSystemWillNotGrowKeepsTheGuestIn)
{
    // A long name takes pages of its own in the cash book.
    GuestRecord guest = Guest("103", "", At(3, 8));
    guest.m_strName = CString(4000, wxUniChar(0x5F20));
    ASSERT_TRUE(CheckIn(m_db, guest, std::nullopt));
    // Earlier rows make the cash book larger than what the journals of the
    // operation write, so only its growth meets the limit.
    ExecuteOnDatabase(File("Cashbook.db"), "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40) "
                                           "INSERT INTO [cashbook]([姓名]) SELECT printf('%.4000c', 'x') FROM n");
    const std::string before = Dumps();
    const off_t cashBookSize = off_t(ReadFileText(File("Cashbook.db")).size());

    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{rlim_t(cashBookSize), rlim_t(cashBookSize)};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            CheckOut(m_db, "103", guest.m_strName, CheckOutBill{100, 0, 100});
        } catch (const CDBException&) {
            _exit(1);  // reported
        }
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1) << "the failed write was taken for a check-out";
    EXPECT_EQ(Dumps(), before);
}

}  // namespace
