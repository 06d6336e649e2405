// Settings file, guest records and the three recordsets on real database files.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <fstream>
#include "CCashbookset.h"
#include "CHouseset.h"
#include "CRegisterset.h"
#include "CodePage.h"
#include "DeskData.h"
#include "GuestRecord.h"
#include "LockSettings.h"
#include "TestEnvironment.h"

namespace {

CString U(const char* utf8) { return wxString::FromUTF8(utf8); }

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

const double kSecond = 1.0 / 86400.0;

// ---------------------------------------------------------------- settings

class LockSettingsTest : public testing::Test
{
protected:
    void SetUp() override { g_lockSettings = LockSettings(); }
    void TearDown() override { g_lockSettings = LockSettings(); }
    std::string SettingsText() const { return ReadFileText(env.Folder() + "/Quillan.INI"); }
    TestEnvironment env;
};

TEST_F(LockSettingsTest, NoFileGivesDefaultsAndFirstSaveCreatesPasswordSection)
{
    g_lockSettings.m_bBootLock = true;
    g_lockSettings.m_strPassword = "stale";
    ReadLockSettings();
    EXPECT_FALSE(g_lockSettings.m_bBootLock);
    EXPECT_FALSE(g_lockSettings.m_bCashBookLock);
    EXPECT_EQ("", g_lockSettings.m_strPassword);

    SaveLockSettings();
    std::string text = SettingsText();
    EXPECT_NE(std::string::npos, text.find("[PASSWORD]"));
    EXPECT_NE(std::string::npos, text.find("BOOTPSLock=0"));
    EXPECT_NE(std::string::npos, text.find("CashBookLock=0"));
}

TEST_F(LockSettingsTest, StoredValuesAreNormalisedOnTheWayBack)
{
    WriteFile(env.Folder() + "/Quillan.INI",
              "[LANGUAGE]\nLanguage=2\n[PASSWORD]\nBOOTPSLock=7\nCashBookLock=abc\n"
              "Password=abcdefghijklmnopqrstuvwxy\n");
    ReadLockSettings();
    EXPECT_TRUE(g_lockSettings.m_bBootLock);       // any number but 0 is on
    EXPECT_FALSE(g_lockSettings.m_bCashBookLock);  // not a number is off
    EXPECT_EQ("abcdefghijklmnopqrs", g_lockSettings.m_strPassword);

    SaveLockSettings();
    std::string text = SettingsText();
    EXPECT_NE(std::string::npos, text.find("BOOTPSLock=1"));
    EXPECT_NE(std::string::npos, text.find("CashBookLock=0"));
    EXPECT_NE(std::string::npos, text.find("Password=abcdefghijklmnopqrs\n"));
    EXPECT_EQ(std::string::npos, text.find("abcdefghijklmnopqrst"));
    // The language section written at start-up keeps its place ahead of the password.
    EXPECT_LT(text.find("[LANGUAGE]"), text.find("[PASSWORD]"));
    EXPECT_NE(std::string::npos, text.find("Language=2"));
}

TEST_F(LockSettingsTest, PasswordRoundTripsThroughTheFile)
{
    g_lockSettings.m_bCashBookLock = true;
    g_lockSettings.m_strPassword = "s3cr;t=[x]";
    SaveLockSettings();
    g_lockSettings = LockSettings();
    ReadLockSettings();
    EXPECT_TRUE(g_lockSettings.m_bCashBookLock);
    EXPECT_FALSE(g_lockSettings.m_bBootLock);
    EXPECT_EQ("s3cr;t=[x]", g_lockSettings.m_strPassword);
}

// Every password the settings dialog may store opens the lock after a
// restart, whatever encoding the file is in; the others are told apart.
TEST_F(LockSettingsTest, EveryPasswordThatFitsComesBackWholeFromEachEncoding)
{
    const char* fitting[] = {"  blank edged ", "\"quoted\"", "'single'", "密码", "青禾abcdefghijklmnopq", "a=b;[c]"};
    const char* files[] = {"", "\xEF\xBB\xBF[LANGUAGE]\nLanguage=1\n", "[LANGUAGE]\nLanguage=1\n[X]\nY=\xC7\xE0\n"};
    for (const char* file : files) {
        for (const char* text : fitting) {
            SCOPED_TRACE(std::string(file) + " / " + text);
            WriteFile(env.Folder() + "/Quillan.INI", file);
            ASSERT_EQ(CheckPasswordFits(U(text)), PasswordFit::whole);
            g_lockSettings = LockSettings();
            g_lockSettings.m_bBootLock = true;
            g_lockSettings.m_strPassword = ToCodePage(U(text), CP_OEMCP);
            ASSERT_TRUE(SaveLockSettings());
            g_lockSettings = LockSettings();
            ReadLockSettings();
            EXPECT_TRUE(g_lockSettings.m_bBootLock);
            EXPECT_EQ(FromCodePage(g_lockSettings.m_strPassword, CP_OEMCP), U(text));
        }
    }
    EXPECT_EQ(CheckPasswordFits(U("青禾abcdefghijklmnopqr")), PasswordFit::tooLong);
    EXPECT_EQ(CheckPasswordFits(U("密码😀")), PasswordFit::unstorableCharacters);
    EXPECT_EQ(CheckPasswordFits(U("a\nb")), PasswordFit::unstorableCharacters);
    EXPECT_EQ(CheckPasswordFits(U("")), PasswordFit::whole);
}

TEST_F(LockSettingsTest, GarbageFileReadsDefaults)
{
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919) & 0xFF);
    WriteFile(env.Folder() + "/Quillan.INI", garbage);
    ReadLockSettings();
    EXPECT_FALSE(g_lockSettings.m_bBootLock);
    EXPECT_FALSE(g_lockSettings.m_bCashBookLock);
    EXPECT_EQ("", g_lockSettings.m_strPassword);
}

// ---------------------------------------------------------------- guest record

TEST(GuestRecordTest, DefaultsAndCopiesKeepDateStatus)
{
    GuestRecord rec;
    EXPECT_TRUE(rec.m_bSex);
    EXPECT_TRUE(rec.m_strName.IsEmpty());
    EXPECT_TRUE(rec.m_strDeposit.IsEmpty());
    for (const COleDateTime* dt : {&rec.m_dtBirth, &rec.m_dtCheckIn, &rec.m_dtCheckOut}) {
        EXPECT_EQ(COleDateTime::valid, dt->GetStatus());
        EXPECT_EQ(0.0, dt->m_dt);
    }

    rec.m_strName = U("张三");
    rec.m_dtCheckOut.SetStatus(COleDateTime::null);
    GuestRecord copy(rec);
    EXPECT_EQ(COleDateTime::null, copy.m_dtCheckOut.GetStatus());
    GuestRecord assigned;
    assigned = rec;
    EXPECT_EQ(COleDateTime::null, assigned.m_dtCheckOut.GetStatus());
    EXPECT_EQ(U("张三"), assigned.m_strName);
    assigned = assigned;  // self-assignment keeps the values
    EXPECT_EQ(U("张三"), assigned.m_strName);
}

// ---------------------------------------------------------------- recordsets

class RecordsetTest : public testing::Test
{
protected:
    void OpenDb(CDatabase& db, const char* file) { db.OpenEx(env.ConnectString(file), 0); }
    void SetUp() override
    {
        SKIP_WITHOUT_BACKEND(env);
        OpenDb(hotel, "Hotel.db");
        OpenDb(reg, "Register.db");
        OpenDb(cash, "Cashbook.db");
        hotel.ExecuteSQL(wxT("DELETE FROM [house]"));  // the shipped file carries sample rooms
    }
    TestEnvironment env;
    CDatabase hotel, reg, cash;
};

COleDateTime CheckIn() { return COleDateTime(2024, 3, 5, 14, 0, 0); }
COleDateTime Birth() { return COleDateTime(1980, 1, 2, 0, 0, 0); }

void AddStay(CRegisterset& rs, const CString& room, const CString& name)
{
    ASSERT_TRUE(rs.AddRecord(room, name, TRUE, U("汉"), Birth(), CheckIn(), wxT("ID1"), U("北京"), U("教师"),
                             wxT("150"), wxT("100")));
}

GuestRecord RunningRecord(const CString& room, const CString& name)
{
    GuestRecord rec;
    rec.m_strRoomNo = room;
    rec.m_strName = name;
    rec.m_strNation = U("汉");
    rec.m_dtBirth = Birth();
    rec.m_dtCheckIn = CheckIn();
    rec.m_dtCheckOut.SetStatus(COleDateTime::null);
    rec.m_strIdNumber = wxT("ID1");
    rec.m_strNativePlace = U("北京");
    rec.m_strRemarks = U("教师");
    rec.m_strPaid = wxT("150");
    rec.m_strDeposit = wxT("100");
    return rec;
}

TEST_F(RecordsetTest, FindRecordMatchesTimesWithinHalfASecond)
{
    CRegisterset rs(&reg);
    ASSERT_TRUE(rs.Open(CRecordset::dynaset));
    AddStay(rs, wxT("101"), U("李四"));
    rs.Requery();

    GuestRecord rec = RunningRecord(wxT("101"), U("李四"));
    EXPECT_EQ(0, rs.FindRecord(rec));
    rec.m_dtCheckIn = CheckIn() + COleDateTimeSpan(0.4 * kSecond);
    EXPECT_EQ(0, rs.FindRecord(rec));
    rec.m_dtCheckIn = CheckIn() - COleDateTimeSpan(0.4 * kSecond);
    EXPECT_EQ(0, rs.FindRecord(rec));
    rec.m_dtCheckIn = CheckIn() + COleDateTimeSpan(0.6 * kSecond);
    EXPECT_EQ(-1, rs.FindRecord(rec));
    rec.m_dtCheckIn = CheckIn();
    rec.m_dtBirth.SetStatus(COleDateTime::null);  // null against a valid date never matches
    EXPECT_EQ(-1, rs.FindRecord(rec));
    rec.m_dtBirth = Birth();
    rec.m_strName = U("李 四");
    EXPECT_EQ(-1, rs.FindRecord(rec));
    rec.m_strName = U("李四");
    rec.m_bSex = FALSE;
    EXPECT_EQ(-1, rs.FindRecord(rec));
}

TEST_F(RecordsetTest, FindRecordCheckOutRules)
{
    CRegisterset rs(&reg);
    ASSERT_TRUE(rs.Open(CRecordset::dynaset));
    AddStay(rs, wxT("101"), U("王五"));
    rs.Requery();

    GuestRecord running = RunningRecord(wxT("101"), U("王五"));
    GuestRecord closed = running;
    closed.m_dtCheckOut = COleDateTime::GetCurrentTime();
    // A valid check-out does not find a running stay.
    EXPECT_EQ(-1, rs.FindRecord(closed));

    ASSERT_TRUE(rs.CloseStay(wxT("101"), U("王五"), COleDateTime::GetCurrentTime()));
    AddStay(rs, wxT("101"), U("王五"));  // a second, running stay with the same fields
    rs.Requery();

    // A null check-out matches closed and running stays alike; the first wins.
    EXPECT_EQ(0, rs.FindRecord(running));
    ASSERT_EQ(0, rs.FindRecord(running));
    COleDateTime closedAt = rs.m_dtCheckOut;
    ASSERT_EQ(COleDateTime::valid, closedAt.GetStatus());
    closed.m_dtCheckOut = closedAt + COleDateTimeSpan(0.3 * kSecond);
    EXPECT_EQ(0, rs.FindRecord(closed));
    closed.m_dtCheckOut = closedAt + COleDateTimeSpan(3.0 * kSecond);
    EXPECT_EQ(-1, rs.FindRecord(closed));
    EXPECT_EQ(-1, rs.FindRecord(RunningRecord(wxT("102"), U("王五"))));
}

TEST_F(RecordsetTest, CloseStayClosesOneOpenStayAtATime)
{
    CRegisterset rs(&reg);
    ASSERT_TRUE(rs.Open(CRecordset::dynaset));
    AddStay(rs, wxT("201"), U("赵六"));
    AddStay(rs, wxT("201"), U("赵六"));
    AddStay(rs, wxT("202"), U("赵六"));
    rs.Requery();
    rs.MoveFirst();
    EXPECT_EQ(COleDateTime::null, rs.m_dtCheckOut.GetStatus());  // added stays are running

    auto checkOuts = [&rs]() {
        std::vector<COleDateTime::DateTimeStatus> status;
        for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
            status.push_back(rs.m_dtCheckOut.GetStatus());
        return status;
    };
    using S = std::vector<COleDateTime::DateTimeStatus>;
    const auto V = COleDateTime::valid, N = COleDateTime::null;

    EXPECT_TRUE(rs.CloseStay(wxT("201"), CString(), COleDateTime::GetCurrentTime()));
    EXPECT_EQ((S{N, N, N}), checkOuts());

    COleDateTime before = COleDateTime::GetCurrentTime();
    EXPECT_TRUE(rs.CloseStay(wxT("201"), U("赵六"), COleDateTime(2000, 1, 1, 0, 0, 0)));
    EXPECT_EQ((S{V, N, N}), checkOuts());
    rs.MoveFirst();
    EXPECT_LT(std::fabs(rs.m_dtCheckOut.m_dt - before.m_dt), 60 * kSecond);  // now, not the argument
    EXPECT_TRUE(rs.m_dtCheckIn == CheckIn());

    EXPECT_TRUE(rs.CloseStay(wxT("201"), U("赵六"), COleDateTime::GetCurrentTime()));
    EXPECT_EQ((S{V, V, N}), checkOuts());
    // Nothing left open in 201: still TRUE, nothing changes.
    EXPECT_TRUE(rs.CloseStay(wxT("201"), U("赵六"), COleDateTime::GetCurrentTime()));
    EXPECT_EQ((S{V, V, N}), checkOuts());
    EXPECT_TRUE(env.m_messages.empty());
}

class RoomsTest : public RecordsetTest
{
protected:
    void SetUp() override
    {
        RecordsetTest::SetUp();
        if (IsSkipped())
            return;
        rooms = std::make_unique<CHouseset>(&hotel);
        ASSERT_TRUE(rooms->Open(CRecordset::dynaset));
        for (const char* no : {"101", "102", "103"})
            ASSERT_TRUE(rooms->AddRoom(wxString(no), wxT("120"), U("标准间")));
        rooms->Requery();
    }
    void SetRoom(const char* no, BYTE persons, BOOL hourly, BOOL cleaning)
    {
        ASSERT_NE(-1, rooms->FindRoom(wxString(no)));
        rooms->Edit();
        rooms->m_nPersons = persons;
        rooms->m_bOccupied = persons != 0;
        rooms->m_bHourly = hourly;
        rooms->m_dtHourStart = COleDateTime(2024, 3, 5, 10, 0, 0);
        rooms->m_dtHourEnd = COleDateTime(2024, 3, 5, 12, 0, 0);
        rooms->m_bCleaning = cleaning;
        ASSERT_TRUE(rooms->Update());
    }
    CHouseset& Room(const char* no)
    {
        EXPECT_NE(-1, rooms->FindRoom(wxString(no)));
        return *rooms;
    }
    std::unique_ptr<CHouseset> rooms;
};

TEST_F(RoomsTest, FindAddAndModifyRooms)
{
    EXPECT_EQ(0, rooms->FindRoom(wxT("101")));
    EXPECT_EQ(2, rooms->FindRoom(wxT("103")));
    EXPECT_EQ(-1, rooms->FindRoom(wxT("10")));
    EXPECT_TRUE(rooms->IsEOF());
    // New rooms take the table's defaults for their state.
    CHouseset& r = Room("102");
    EXPECT_EQ(0, r.m_nPersons);
    EXPECT_FALSE(r.m_bOccupied);
    EXPECT_EQ(U("标准间"), r.m_strIntro);

    EXPECT_TRUE(rooms->ModifyRoom(0, wxT("103"), wxT("99"), U("大床")));
    rooms->Requery();
    EXPECT_EQ(0, rooms->FindRoom(wxT("103")));  // duplicates: the first wins
    EXPECT_EQ(wxT("99"), rooms->m_strPrice);
    EXPECT_EQ(-1, rooms->FindRoom(wxT("101")));
}

TEST_F(RoomsTest, EmptyTableFindsNothing)
{
    CHouseset empty(&hotel);
    empty.m_strFilter = wxT("1 = 0");
    ASSERT_TRUE(empty.Open(CRecordset::dynaset));
    EXPECT_EQ(-1, empty.FindRoom(wxT("101")));
}

TEST_F(RoomsTest, MovePersonCarriesTheHourlyStay)
{
    SetRoom("101", 1, TRUE, FALSE);
    SetRoom("102", 0, FALSE, TRUE);
    EXPECT_TRUE(rooms->MovePerson(wxT("101"), wxT("102")));

    CHouseset& from = Room("101");
    EXPECT_EQ(0, from.m_nPersons);
    EXPECT_FALSE(from.m_bOccupied);
    EXPECT_FALSE(from.m_bHourly);
    EXPECT_TRUE(from.m_dtHourStart == COleDateTime(2024, 3, 5, 10, 0, 0));  // left in the row
    CHouseset& to = Room("102");
    EXPECT_EQ(1, to.m_nPersons);
    EXPECT_TRUE(to.m_bOccupied);
    EXPECT_FALSE(to.m_bCleaning);
    EXPECT_TRUE(to.m_bHourly);
    EXPECT_TRUE(to.m_dtHourStart == COleDateTime(2024, 3, 5, 10, 0, 0));
    EXPECT_TRUE(to.m_dtHourEnd == COleDateTime(2024, 3, 5, 12, 0, 0));
}

TEST_F(RoomsTest, MovePersonOfTwoAndFromAnEmptyRoom)
{
    SetRoom("101", 2, FALSE, FALSE);
    EXPECT_TRUE(rooms->MovePerson(wxT("101"), wxT("103")));
    EXPECT_EQ(1, Room("101").m_nPersons);
    EXPECT_TRUE(Room("101").m_bOccupied);
    EXPECT_EQ(1, Room("103").m_nPersons);

    // The room left records nobody: it is not wrapped round, the target still takes the guest.
    SetRoom("102", 0, FALSE, TRUE);
    EXPECT_TRUE(rooms->MovePerson(wxT("102"), wxT("103")));
    EXPECT_EQ(0, Room("102").m_nPersons);
    EXPECT_FALSE(Room("102").m_bOccupied);
    EXPECT_TRUE(Room("102").m_bCleaning);
    EXPECT_EQ(2, Room("103").m_nPersons);
    EXPECT_TRUE(Room("103").m_bOccupied);

    EXPECT_FALSE(rooms->MovePerson(wxT("999"), wxT("103")));
    EXPECT_EQ(2, Room("103").m_nPersons);
    EXPECT_FALSE(rooms->MovePerson(wxT("103"), wxT("999")));
    EXPECT_EQ(1, Room("103").m_nPersons);  // the room left has been written already
}

TEST_F(RoomsTest, SecondRecordsetSeesChangesOfTheFirst)
{
    CHouseset other(&hotel);
    ASSERT_TRUE(other.Open(CRecordset::dynaset));
    ASSERT_EQ(wxT("101"), other.m_strRoomNo);

    ASSERT_EQ(1, rooms->FindRoom(wxT("102")));
    rooms->Edit();
    rooms->m_strPrice = wxT("300");
    rooms->m_nPersons = 3;
    ASSERT_TRUE(rooms->Update());

    other.MoveNext();
    EXPECT_EQ(wxT("102"), other.m_strRoomNo);
    EXPECT_EQ(wxT("300"), other.m_strPrice);
    EXPECT_EQ(3, other.m_nPersons);
}

TEST_F(RecordsetTest, AppendRecordStoresSixDecimalTexts)
{
    // The user interface may run in a locale with a decimal comma; the stored texts must not follow it.
    const char* oldLocale = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = oldLocale ? oldLocale : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");

    CCashbookset cb(&cash);
    ASSERT_TRUE(cb.Open(CRecordset::dynaset));
    COleDateTime when(2024, 3, 6, 9, 30, 0);
    EXPECT_TRUE(cb.AppendRecord(wxT("101"), U("李四"), when, 0.5, -20, 160, TRUE));
    std::setlocale(LC_NUMERIC, saved.c_str());

    cb.Requery();
    ASSERT_FALSE(cb.IsEOF());
    EXPECT_EQ(wxT("0.500000"), cb.m_strPaid);
    EXPECT_EQ(wxT("-20.000000"), cb.m_strDeposit);
    EXPECT_EQ(wxT("160.000000"), cb.m_strAmount);
    EXPECT_TRUE(cb.m_bStatus);
    EXPECT_TRUE(cb.m_dtTime == when);
    EXPECT_EQ(U("李四"), cb.m_strName);
    EXPECT_NE(0, cb.m_nID);
}

TEST_F(RecordsetTest, AwkwardTextRoundTripsThroughEveryTextColumn)
{
    const CString t = U("房'间\"[1]; DROP--") ;
    auto v = [&t](const char* tag) { return t + wxString::FromUTF8(tag); };

    {
        CHouseset rs(&hotel);
        ASSERT_TRUE(rs.Open(CRecordset::dynaset));
        ASSERT_TRUE(rs.AddRoom(v("a"), v("b"), v("c")));
        rs.Requery();
        ASSERT_EQ(0, rs.FindRoom(v("a")));
        EXPECT_EQ(v("b"), rs.m_strPrice);
        EXPECT_EQ(v("c"), rs.m_strIntro);
    }
    {
        CRegisterset rs(&reg);
        ASSERT_TRUE(rs.Open(CRecordset::dynaset));
        ASSERT_TRUE(rs.AddRecord(v("1"), v("2"), FALSE, v("3"), Birth(), CheckIn(), v("4"), v("5"), v("6"), v("7"),
                                 v("8")));
        rs.Requery();
        GuestRecord rec;
        rec.m_strRoomNo = v("1");
        rec.m_strName = v("2");
        rec.m_bSex = FALSE;
        rec.m_strNation = v("3");
        rec.m_dtBirth = Birth();
        rec.m_dtCheckIn = CheckIn();
        rec.m_dtCheckOut.SetStatus(COleDateTime::null);
        rec.m_strIdNumber = v("4");
        rec.m_strNativePlace = v("5");
        rec.m_strRemarks = v("6");
        rec.m_strPaid = v("7");
        rec.m_strDeposit = v("8");
        EXPECT_EQ(0, rs.FindRecord(rec));
        EXPECT_TRUE(rs.CloseStay(v("1"), v("2"), COleDateTime::GetCurrentTime()));
        rs.MoveFirst();
        EXPECT_EQ(COleDateTime::valid, rs.m_dtCheckOut.GetStatus());
    }
    {
        CCashbookset rs(&cash);
        ASSERT_TRUE(rs.Open(CRecordset::dynaset));
        ASSERT_TRUE(rs.AddRecord(v("1"), v("2"), CheckIn(), v("3"), v("4"), v("5"), FALSE));
        rs.Requery();
        ASSERT_FALSE(rs.IsEOF());
        EXPECT_EQ(v("1"), rs.m_strRoomNo);
        EXPECT_EQ(v("2"), rs.m_strName);
        EXPECT_EQ(v("3"), rs.m_strPaid);
        EXPECT_EQ(v("4"), rs.m_strDeposit);
        EXPECT_EQ(v("5"), rs.m_strAmount);
        EXPECT_FALSE(rs.m_bStatus);
    }
}

}  // namespace
