// Stays end to end through the board's commands: check-in (typed, by the hour,
// from an ID card, refused), check-out with its bill and cash-book row, change
// of room, the context menu and the enabling of the stay commands. The dialogs
// run their own logic through the drivers in DialogDrivers.h; the tables are
// read back afterwards.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/statbmp.h>
#include <wx/menu.h>
#include <wx/stdpaths.h>

#include "CCashbookset.h"
#include "CHouseset.h"
#include "CMainFrame.h"
#include "CQuillan2021App.h"
#include "CQuillan2021View.h"
#include "CRegisterset.h"
#include "CRoomList.h"
#include "DialogDrivers.h"
#include "Globals.h"
#include "GuiTestSupport.h"
#include "LanguageTexts.h"
#include "SqliteFiles.h"

namespace {

namespace fs = std::filesystem;

wxString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

CString SqlTime(const COleDateTime& t)
{
    return t.Format("'%Y-%m-%d %H:%M:%S'");
}

COleDateTime Now()
{
    return COleDateTime::GetCurrentTime();
}

// Midnight of the day `dayOffset` days from today, plus the hour.
COleDateTime TodayAt(int hour, int dayOffset = 0)
{
    const COleDateTime now = Now();
    return COleDateTime(now.GetYear(), now.GetMonth(), now.GetDay(), hour, 0, 0) + COleDateTimeSpan(dayOffset, 0, 0, 0);
}

// A stored time lies between two readings of the clock (a second of slack for
// the stored precision).
testing::AssertionResult Between(const COleDateTime& t, const COleDateTime& from, const COleDateTime& to)
{
    const COleDateTimeSpan second(0, 0, 0, 1);
    if (t.GetStatus() == COleDateTime::valid && t >= from - second && t <= to + second)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << t.Format("%Y-%m-%d %H:%M:%S") << " is not within "
                                       << from.Format("%H:%M:%S") << " .. " << to.Format("%H:%M:%S");
}

// Days billed for a stay, by the counting rule: calendar days between the two
// dates, one less for a check-in at noon or later, one more for a check-out at
// noon or later, plus one.
int BilledDays(const COleDateTime& in, const COleDateTime& out)
{
    const COleDateTime a(in.GetYear(), in.GetMonth(), in.GetDay(), 0, 0, 0);
    const COleDateTime b(out.GetYear(), out.GetMonth(), out.GetDay(), 0, 0, 0);
    const long calendar = std::labs(std::lround((b - a).GetTotalDays()));
    return int(calendar) - (in.GetHour() >= 12 ? 1 : 0) + (out.GetHour() >= 12 ? 1 : 0) + 1;
}

// ------------------------------------------------------------- tables

struct Stay
{
    CString room, name, nation, idNumber, nativePlace, remarks, paid, deposit;
    BOOL man = FALSE;
    COleDateTime birth, checkIn, checkOut;
    bool IsOpen() const { return checkOut.GetStatus() == COleDateTime::null; }
};

std::vector<Stay> ReadStays()
{
    CRegisterset rs(&GetTheApp().m_dbRegister);
    rs.Open(CRecordset::dynaset);
    std::vector<Stay> stays;
    for (; !rs.IsEOF(); rs.MoveNext())
        stays.push_back({rs.m_strRoomNo, rs.m_strName, rs.m_strNation, rs.m_strIdNumber, rs.m_strNativePlace,
                         rs.m_strRemarks, rs.m_strPaid, rs.m_strDeposit, rs.m_bSex, rs.m_dtBirth, rs.m_dtCheckIn,
                         rs.m_dtCheckOut});
    return stays;
}

const Stay* FindStay(const std::vector<Stay>& stays, const char* name)
{
    for (const Stay& s : stays)
        if (s.name == U(name))
            return &s;
    return nullptr;
}

struct Room
{
    bool found = false;
    int persons = 0;
    BOOL occupied = FALSE, cleaning = FALSE, hourly = FALSE;
    COleDateTime hourStart, hourEnd;
};

Room ReadRoom(const char* number)
{
    CHouseset rs(&GetTheApp().m_dbHotel);
    rs.Open(CRecordset::dynaset);
    Room room;
    if (rs.FindRoom(number) == -1)
        return room;
    room.found = true;
    room.persons = rs.m_nPersons;
    room.occupied = rs.m_bOccupied;
    room.cleaning = rs.m_bCleaning;
    room.hourly = rs.m_bHourly;
    room.hourStart = rs.m_dtHourStart;
    room.hourEnd = rs.m_dtHourEnd;
    return room;
}

struct CashRow
{
    CString room, name, paid, deposit, amount;
    COleDateTime time;
    BOOL status = FALSE;
};

std::vector<CashRow> ReadCashBook()
{
    CCashbookset rs(&GetTheApp().m_dbCashbook);
    rs.Open(CRecordset::dynaset);
    std::vector<CashRow> rows;
    for (; !rs.IsEOF(); rs.MoveNext())
        rows.push_back({rs.m_strRoomNo, rs.m_strName, rs.m_strPaid, rs.m_strDeposit, rs.m_strAmount, rs.m_dtTime,
                        rs.m_bStatus});
    return rows;
}

// Replaces the stays table with rows made by StayValues; the columns they do
// not name get a man of the Han nation born 1 January 1980.
void SeedStays(const std::vector<wxString>& rows)
{
    CDatabase& db = GetTheApp().m_dbRegister;
    db.ExecuteSQL("DELETE FROM [register]");
    for (const wxString& row : rows)
        db.ExecuteSQL(U("INSERT INTO [register]([房间号],[姓名],[住房日期],[退房日期],[证件号],[交钱],[押金],"
                        "[性别],[民族],[出生年月],[籍贯],[本人职务备注]) VALUES (") +
                      row + U(",1,'汉族','1980-01-01 00:00:00','','')"));
}

// One open stay.
wxString StayValues(const char* room, const char* name, const COleDateTime& in, const char* id, const char* paid,
                    const char* deposit)
{
    return wxString::Format("'%s','%s',%s,NULL,'%s','%s','%s'", room, U(name), SqlTime(in), id, paid, deposit);
}

// ------------------------------------------------------------- board

constexpr int kGuestPicture = 1;
constexpr int kNoPicture = -1;

void ClearMark()
{
    for (long row = 0; row < Board().GetItemCount(); ++row)
        Board().SetItemState(row, 0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
}

// Switches the board to English for one test and back to Chinese at its end,
// whatever the test's outcome.
struct EnglishForThisTest
{
    EnglishForThisTest() { View()->OnLanguageEnglish(); }
    ~EnglishForThisTest() { View()->OnLanguageChinese(); }
};

void ExpectNoProblems(const std::vector<std::string>& problems)
{
    for (const std::string& p : problems)
        ADD_FAILURE() << "dialog driver: " << p;
}

// Every stay test starts from the same rooms, in Chinese, with empty stays and cash book.
class Stays : public testing::Test
{
protected:
    void SetUp() override
    {
        if (g_nLanguage != 1)
            View()->OnLanguageChinese();
        SeedStays({});
        GetTheApp().m_dbCashbook.ExecuteSQL("DELETE FROM [cashbook]");
        // 101 free; 102 with one guest and waiting to be cleaned; 103 free.
        SeedRooms("[房间号],[住房],[房价],[打扫],[房间人数],[房间介绍]",
                  "('101',0,'80',0,0,''),('102',1,'90',1,1,''),('103',0,'100',0,0,'')");
    }
};

// ------------------------------------------------------------- check-in

TEST_F(Stays, CheckInWritesAnOpenStayAndPutsTheGuestInTheMarkedRoom)
{
    Select(1);
    CheckInForm form;
    form.name = U("李梅");
    form.sex = U("女");
    form.nation = U("回族");
    form.birthday = wxDateTime(17, wxDateTime::May, 1990);
    form.nativePlace = U("江苏省南京市");
    form.idNumber = "320102199005170026";
    form.remarks = U("教师");
    form.paid = "120";
    form.deposit = "20.000";
    wxExpectModal<CRegisterDlg> clerk(form);
    const COleDateTime before = Now();
    wxTEST_DIALOG(View()->OnRegister(), clerk);
    const COleDateTime after = Now();
    ExpectNoProblems(clerk.Seen().problems);
    EXPECT_EQ(clerk.Seen().roomOffered, "102") << "the dialog starts on the marked room";
    EXPECT_EQ(clerk.Seen().rooms, (std::vector<wxString>{"101", "102", "103"}));
    EXPECT_EQ(clerk.Seen().hours, "0");

    const std::vector<Stay> stays = ReadStays();
    ASSERT_EQ(stays.size(), 1u);
    const Stay& s = stays[0];
    EXPECT_EQ(s.room, "102");
    EXPECT_EQ(s.name, U("李梅"));
    EXPECT_FALSE(s.man);
    EXPECT_EQ(s.nation, U("回族"));
    EXPECT_EQ(s.birth.Format("%Y-%m-%d"), "1990-05-17");
    EXPECT_TRUE(Between(s.checkIn, before, after));
    EXPECT_TRUE(s.IsOpen());
    EXPECT_EQ(s.idNumber, "320102199005170026");
    EXPECT_EQ(s.nativePlace, U("江苏省南京市"));
    EXPECT_EQ(s.remarks, U("教师"));
    EXPECT_EQ(s.paid, "120");
    EXPECT_EQ(s.deposit, "20.000");

    const Room room = ReadRoom("102");
    EXPECT_EQ(room.persons, 2);
    EXPECT_TRUE(room.occupied);
    EXPECT_FALSE(room.cleaning);
    EXPECT_FALSE(room.hourly) << "no hours were entered";
    EXPECT_EQ(Board().GetItemText(1, 5), U("2人"));
    EXPECT_EQ(ColumnImage(1, 1), kGuestPicture);
    EXPECT_EQ(ColumnImage(1, 3), kNoPicture) << "the cleaning picture goes";
    EXPECT_EQ(View()->GetSelectionMark(), 1);
}

TEST_F(Stays, CheckInWithoutNameStoresTheNumberedGuestName)
{
    SeedStays({StayValues("103", "王五", TodayAt(9, -3), "1", "80", "0")});
    Select(0);
    CheckInForm form;
    form.idNumber = "110101198001010011";
    wxExpectModal<CRegisterDlg> clerk(form);
    wxTEST_DIALOG(View()->OnRegister(), clerk);
    ExpectNoProblems(clerk.Seen().problems);
    EXPECT_EQ(clerk.Seen().nameHint, U("客户1"));

    const std::vector<Stay> stays = ReadStays();
    ASSERT_EQ(stays.size(), 2u);
    EXPECT_EQ(stays[1].name, U("客户1"));
    EXPECT_EQ(stays[1].room, "101");
    EXPECT_TRUE(stays[1].man) << "the sex list starts on man";
    EXPECT_EQ(stays[1].nation, U("汉族"));
    EXPECT_EQ(ReadRoom("101").persons, 1);
    EXPECT_EQ(Board().GetItemText(0, 5), U("1人"));
    EXPECT_EQ(ColumnImage(0, 1), kGuestPicture);
}

TEST_F(Stays, HourlyCheckInEndsTheGivenHoursAfterItsStart)
{
    Select(0);
    CheckInForm form;
    form.name = U("张三");
    form.idNumber = "110101198001010011";
    form.hours = "22";  // past midnight unless the clock reads before 02:00
    wxExpectModal<CRegisterDlg> clerk(form);
    const COleDateTime before = Now();
    wxTEST_DIALOG(View()->OnRegister(), clerk);
    const COleDateTime after = Now();
    ExpectNoProblems(clerk.Seen().problems);

    const Room room = ReadRoom("101");
    ASSERT_TRUE(room.hourly);
    EXPECT_TRUE(Between(room.hourStart, before, after));
    ASSERT_EQ(room.hourEnd.GetStatus(), COleDateTime::valid);
    EXPECT_NEAR((room.hourEnd - room.hourStart).GetTotalHours(), 22.0, 1.0 / 3600)
        << "start " << room.hourStart.Format("%Y-%m-%d %H:%M:%S") << ", end "
        << room.hourEnd.Format("%Y-%m-%d %H:%M:%S");
    EXPECT_EQ(room.persons, 1);
    EXPECT_EQ(ReadStays().size(), 1u);

    EXPECT_EQ(Board().GetItemText(0, 6), room.hourStart.Format("%H:%M"));
    EXPECT_EQ(Board().GetItemText(0, 7), room.hourEnd.Format("%H:%M"));
    EXPECT_EQ(ColumnImage(0, 8), kGuestPicture);
}

TEST_F(Stays, IdNumberWithALetterIsRefusedInTheUiLanguageAndNothingIsWritten)
{
    CheckInForm form;
    form.name = U("张三");
    form.idNumber = "11010119900307123Y";
    form.expectRefusal = true;

    Select(0);
    wxExpectModal<CRegisterDlg> chinese(form);
    wxTEST_DIALOG(View()->OnRegister(), chinese);
    ExpectNoProblems(chinese.Seen().problems);
    EXPECT_EQ(chinese.Seen().refusal, U("证件号不能为空，或有字母或汉字请检查！！"));
    EXPECT_FALSE(chinese.Seen().endedAfterOk) << "the dialog stays open for a correction";

    {
        EnglishForThisTest english;
        Select(0);
        wxExpectModal<CRegisterDlg> clerk(form);
        wxTEST_DIALOG(View()->OnRegister(), clerk);
        ExpectNoProblems(clerk.Seen().problems);
        EXPECT_EQ(clerk.Seen().refusal, "The number id is empty or contians letters,please check id card number!");
        EXPECT_FALSE(clerk.Seen().endedAfterOk);
    }

    EXPECT_TRUE(ReadStays().empty());
    const Room room = ReadRoom("101");
    EXPECT_EQ(room.persons, 0);
    EXPECT_FALSE(room.occupied);
    EXPECT_EQ(Board().GetItemText(0, 5), U("0人"));
}

TEST_F(Stays, TypedRareCharactersAndAnIdNumberEndingInXAreStoredAsTheGuestIs)
{
    Select(0);
    CheckInForm form;
    form.name = U("刘䶮𠮷𠀾");
    form.nativePlace = U("𠀾村");
    form.idNumber = "11010519491231002x";
    wxExpectModal<CRegisterDlg> clerk(form);
    wxTEST_DIALOG(View()->OnRegister(), clerk);
    ExpectNoProblems(clerk.Seen().problems);
    ASSERT_TRUE(clerk.Seen().endedAfterOk) << "refused: " << clerk.Seen().refusal;

    const std::vector<Stay> stays = ReadStays();
    ASSERT_EQ(stays.size(), 1u);
    EXPECT_EQ(stays[0].name, U("刘䶮𠮷𠀾"));
    EXPECT_EQ(stays[0].nativePlace, U("𠀾村"));
    EXPECT_EQ(stays[0].idNumber, "11010519491231002X") << "the check character is stored as a capital";
}

TEST_F(Stays, FullWidthAmountsAreBilledAsTheNumbersTheyShow)
{
    // Typed with the input method in full-width mode.
    Select(0);
    CheckInForm form;
    form.name = U("张三");
    form.idNumber = "110101198001010011";
    form.paid = U("１５０．５");
    form.deposit = U("２０");
    wxExpectModal<CRegisterDlg> checkIn(form);
    wxTEST_DIALOG(View()->OnRegister(), checkIn);
    ExpectNoProblems(checkIn.Seen().problems);
    ASSERT_EQ(ReadStays().size(), 1u);
    EXPECT_EQ(ReadStays()[0].paid, U("１５０．５")) << "stored as typed";

    Select(0);
    CheckOutForm leave;
    leave.cancel = true;
    wxExpectModal<CRegEndDlg> checkOut(leave);
    wxTEST_DIALOG(View()->OnCheckOut(), checkOut);
    ExpectNoProblems(checkOut.Seen().problems);
    EXPECT_DOUBLE_EQ(checkOut.Seen().paid, 150.5);
    EXPECT_DOUBLE_EQ(checkOut.Seen().deposit, 20.0);
}

TEST_F(Stays, ModifyingAStayKeepsAStoredNationThatBeginsAListedOne)
{
    SeedStays({StayValues("102", "王五", TodayAt(9, -1), "110101198001010011", "15", "2")});
    GetTheApp().m_dbRegister.ExecuteSQL(U("UPDATE [register] SET [民族]='回'"));
    CRegisterset rs(&GetTheApp().m_dbRegister);
    rs.Open(CRecordset::dynaset);
    const GuestRecord stored = rs.GetGuestRecord();
    rs.Close();

    CRegisterDlg dlg(MainFrame());
    dlg.SetStayToModify(stored);
    wxExpectModal<CRegisterDlg> clerk(CheckInForm{});
    wxTEST_DIALOG(dlg.ShowModal(), clerk);
    ExpectNoProblems(clerk.Seen().problems);
    EXPECT_EQ(clerk.Seen().nation, U("回")) << "not the entry 回族 it begins";

    const std::vector<Stay> stays = ReadStays();
    ASSERT_EQ(stays.size(), 1u);
    EXPECT_EQ(stays[0].nation, U("回"));
    // A modified stay keeps its amounts, in the money's normal form.
    EXPECT_EQ(stays[0].paid, "15.0000");
    EXPECT_EQ(stays[0].deposit, "2.0000");
}

// ------------------------------------------------------------- ID card

// A card folder for the stand-in reader and the reader library in the
// program folder, both gone again after the test.
// The room can be typed: a number no room has would lose the guest's details
// behind an OK, so it is refused and the form stays open.
TEST_F(Stays, CheckInToARoomNumberNoRoomHasIsRefusedAndNothingIsWritten)
{
    CheckInForm form;
    form.room = "109";
    form.name = U("张三");
    form.idNumber = "110101199003071234";
    form.expectRefusal = true;

    Select(0);
    wxExpectModal<CRegisterDlg> clerk(form);
    wxTEST_DIALOG(View()->OnRegister(), clerk);
    ExpectNoProblems(clerk.Seen().problems);
    EXPECT_EQ(clerk.Seen().refusal, U("没有这个房间号，请检查房间号！"));
    EXPECT_FALSE(clerk.Seen().endedAfterOk);
    EXPECT_TRUE(ReadStays().empty());
}

class StaysWithCardReader : public Stays
{
protected:
    void SetUp() override
    {
        Stays::SetUp();
        m_program = GuiEnvironment().ProgramFolder();
        const fs::path built =
            fs::path(wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPath().ToStdString()) / "termb.so";
        if (!fs::exists(m_program + "termb.so")) {
            ASSERT_TRUE(fs::exists(built)) << built << " is not built (target termb)";
            fs::copy_file(built, m_program + "termb.so");
            m_copiedLibrary = true;
        }
        char pattern[] = "/tmp/quillan-card-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_cards = pattern;
        setenv("QUILLAN_CARD_DIR", m_cards.c_str(), 1);
        unsetenv("QUILLAN_CARD_PORT");
    }

    void TearDown() override
    {
        unsetenv("QUILLAN_CARD_DIR");
        std::error_code ignored;
        if (!m_cards.empty())
            fs::remove_all(m_cards, ignored);
        for (const char* left : {"wz.txt", "zp.bmp"})
            fs::remove(m_program + left, ignored);
        // Later check-ins run without a reader, as on a desk that has none.
        if (m_copiedLibrary)
            fs::remove(m_program + "termb.so", ignored);
        Stays::TearDown();
    }

    std::string m_program, m_cards;
    bool m_copiedLibrary = false;
};

TEST_F(StaysWithCardReader, CardFillsTheFormAndIsStored)
{
    IdCard card;
    card.name = U("李梅");
    card.sex = "2";
    card.nation = "01";
    card.birth = "19850312";
    card.address = U("北京市东城区东华门大街1号");
    card.idNumber = "110101198503120027";
    card.authority = U("北京市公安局东城分局");
    card.validity = "2015010120350101";
    ASSERT_TRUE(PresentIdCard(m_cards, card));

    Select(0);
    CheckInForm form;
    form.waitForCard = true;
    wxExpectModal<CRegisterDlg> clerk(form);
    wxTEST_DIALOG(View()->OnRegister(), clerk);
    const CheckInSeen& seen = clerk.Seen();
    ExpectNoProblems(seen.problems);
    ASSERT_TRUE(seen.cardRead);
    EXPECT_EQ(seen.name, U("李梅"));
    EXPECT_EQ(seen.sex, U("女"));
    EXPECT_EQ(seen.nation, U("汉族"));
    EXPECT_EQ(seen.birthday.Format("%Y-%m-%d"), "1985-03-12");
    EXPECT_EQ(seen.nativePlace, U("北京市东城区东华门大街1号"));
    EXPECT_EQ(seen.idNumber, "110101198503120027");
    EXPECT_EQ(seen.remarks, U("北京市公安局东城分局"));
    EXPECT_EQ(seen.validity, U("有效日期 2015年01月01日-2035年01月01日"));
    EXPECT_TRUE(seen.photoShown);
    EXPECT_EQ(seen.roomOffered, "101") << "the card leaves the room as it was";
    for (const char* file : {"wz.txt", "zp.bmp"})
        EXPECT_FALSE(fs::exists(m_program + file)) << file << " outlived the card's read";

    const std::vector<Stay> stays = ReadStays();
    ASSERT_EQ(stays.size(), 1u);
    const Stay& s = stays[0];
    EXPECT_EQ(s.room, "101");
    EXPECT_EQ(s.name, U("李梅"));
    EXPECT_FALSE(s.man);
    EXPECT_EQ(s.nation, U("汉族"));
    EXPECT_EQ(s.birth.Format("%Y-%m-%d %H:%M:%S"), "1985-03-12 00:00:00");
    EXPECT_EQ(s.idNumber, "110101198503120027");
    EXPECT_EQ(s.nativePlace, U("北京市东城区东华门大街1号"));
    EXPECT_EQ(s.remarks, U("北京市公安局东城分局"));
    EXPECT_EQ(ReadRoom("101").persons, 1);
}

// Lays three cards on the reader one after the other while the check-in
// dialog is open and keeps, for each, whether a photo stood beside it: the
// first with a photo, the second without one, the third with a zp.bmp that is
// no bitmap. Closes the dialog with Escape.
class ExpectThreeCards : public wxExpectModalBase<CRegisterDlg, ExpectThreeCards>
{
public:
    explicit ExpectThreeCards(std::string cards) : m_cards(std::move(cards)), m_seen(std::make_shared<Seen>()) {}

    struct Seen
    {
        std::vector<bool> photos;  // per card read
        int endedWith = 0;         // the dialog's result after Escape
    };
    const Seen& Result() const { return *m_seen; }

protected:
    int OnInvoked(CRegisterDlg* dlg) const override
    {
        using namespace DialogDriving;
        dlg->InitDialog();
        const char* const names[] = {"甲一", "乙二", "丙三"};
        for (int i = 0; i < 3; ++i) {
            IdCard card;
            card.name = U(names[i]);
            card.idNumber = "11010119800101001" + std::to_string(i);
            if (!PresentIdCard(m_cards, card, i == 0))
                return wxID_CANCEL;
            if (i == 2) {
                wxFFile junk(m_cards + "/zp.bmp", "wb");
                junk.Write(wxString("not a picture"));
            }
            if (!PumpUntil([&] { return TextOf(dlg, IDC_REG_NAME) == card.name; }, 10000))
                return wxID_CANCEL;
            auto* photo = dynamic_cast<wxStaticBitmap*>(dlg->FindWindow(IDC_REG_PHOTO));
            m_seen->photos.push_back(photo && photo->GetBitmap().IsOk());
        }
        dlg->SetReturnCode(0);
        wxKeyEvent escape(wxEVT_CHAR_HOOK);
        escape.m_keyCode = WXK_ESCAPE;
        escape.SetEventObject(dlg);
        dlg->GetEventHandler()->ProcessEvent(escape);
        m_seen->endedWith = dlg->GetReturnCode();
        return ResultOf(dlg);
    }

private:
    std::string m_cards;
    std::shared_ptr<Seen> m_seen;
};

// Counts the errors the toolkit would have shown in a box of its own.
class ErrorCounter : public wxLog
{
public:
    int m_nErrors = 0;

protected:
    void DoLogRecord(wxLogLevel level, const wxString&, const wxLogRecordInfo&) override
    {
        if (level <= wxLOG_Warning)
            ++m_nErrors;
    }
};

TEST_F(StaysWithCardReader, EachCardShowsItsOwnPhotoOrNoneAndEscapeCancels)
{
    Select(0);
    auto* counter = new ErrorCounter;
    wxLog* previous = wxLog::SetActiveTarget(counter);
    ExpectThreeCards clerk(m_cards);
    wxTEST_DIALOG(View()->OnRegister(), clerk);
    wxLog::SetActiveTarget(previous);
    const int errors = counter->m_nErrors;
    delete counter;
    EXPECT_EQ(clerk.Result().photos, (std::vector<bool>{true, false, false}))
        << "a card without its own photo shows the previous guest's";
    EXPECT_EQ(errors, 0) << "a zp.bmp that is no bitmap must not be reported";
    EXPECT_EQ(clerk.Result().endedWith, wxID_CANCEL) << "Escape ends the check-in as cancelled";
    EXPECT_TRUE(ReadStays().empty());
}

// Ends the test run with a message when the desk does not answer within the
// time given: a frozen dialog would otherwise hold the suite until its timeout.
class FreezeWatch
{
public:
    FreezeWatch(int seconds, const char* what)
        : m_thread([this, seconds, what] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (!m_done.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_finished; })) {
                  std::fprintf(stderr, "FAILED: %s: the desk did not answer for %d s\n", what, seconds);
                  std::_Exit(1);
              }
          })
    {
    }
    ~FreezeWatch()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_one();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

// Types into the check-in form, lets the reader poll for `pollMs`, lays the
// cards on it one after the other (waiting for each to show), keeps what the
// form then shows, enters the last texts and presses OK.
class ExpectTypingAndCards : public wxExpectModalBase<CRegisterDlg, ExpectTypingAndCards>
{
public:
    using Texts = std::vector<std::pair<int, wxString>>;
    ExpectTypingAndCards(std::string cards, Texts typed, std::vector<IdCard> laid, Texts beforeOk, long pollMs = 0)
        : m_cards(std::move(cards)), m_typed(std::move(typed)), m_laid(std::move(laid)),
          m_beforeOk(std::move(beforeOk)), m_pollMs(pollMs), m_seen(std::make_shared<Seen>())
    {
    }

    struct Seen
    {
        std::map<int, wxString> shown;  // after the last card
        wxDateTime birthday;
        int cardsShown = 0;
        bool endedAfterOk = false;
    };
    const Seen& Result() const { return *m_seen; }

protected:
    int OnInvoked(CRegisterDlg* dlg) const override
    {
        using namespace DialogDriving;
        dlg->InitDialog();
        for (const auto& [id, text] : m_typed)
            EnterText(dlg, id, text);
        PumpUntil([] { return false; }, m_pollMs);
        for (const IdCard& card : m_laid) {
            if (!PresentIdCard(m_cards, card) ||
                !PumpUntil([&] { return TextOf(dlg, IDC_REG_NAME) == card.name; }, 10000))
                return wxID_CANCEL;
            ++m_seen->cardsShown;
        }
        for (int id : {IDC_REG_ROOM, IDC_REG_NAME, IDC_REG_NATION, IDC_REG_IDNUMBER, IDC_REG_PAID, IDC_REG_DEPOSIT,
                       IDC_REG_HOURS})
            m_seen->shown[id] = TextOf(dlg, id);
        if (auto* birthday = dynamic_cast<wxDatePickerCtrl*>(dlg->FindWindow(IDC_REG_BIRTHDAY)))
            m_seen->birthday = birthday->GetValue();
        for (const auto& [id, text] : m_beforeOk)
            EnterText(dlg, id, text);
        dlg->SetReturnCode(0);
        PressButton(dlg, IDC_REG_OK);
        m_seen->endedAfterOk = dlg->GetReturnCode() != 0;
        return ResultOf(dlg);
    }

private:
    std::string m_cards;
    Texts m_typed;
    std::vector<IdCard> m_laid;
    Texts m_beforeOk;
    long m_pollMs;
    std::shared_ptr<Seen> m_seen;
};

IdCard CardOf(const char* name, const char* idNumber, const char* birth = "19850312")
{
    IdCard card;
    card.name = U(name);
    card.idNumber = idNumber;
    card.birth = birth;
    return card;
}

TEST_F(StaysWithCardReader, ACardLeavesTypedAmountsAndTheTypedRoomExactlyAsTyped)
{
    Select(0);
    ExpectTypingAndCards clerk(m_cards, {{IDC_REG_PAID, "15"}, {IDC_REG_DEPOSIT, "2"}, {IDC_REG_ROOM, "10"}},
                               {CardOf("李梅", "110101198503120027")}, {{IDC_REG_ROOM, "102"}});
    wxTEST_DIALOG(View()->OnRegister(), clerk);
    const auto& seen = clerk.Result();
    ASSERT_EQ(seen.cardsShown, 1);
    EXPECT_EQ(seen.shown.at(IDC_REG_PAID), "15") << "not the entry 150.000";
    EXPECT_EQ(seen.shown.at(IDC_REG_DEPOSIT), "2") << "not the entry 20.000";
    EXPECT_EQ(seen.shown.at(IDC_REG_ROOM), "10") << "not the room 101";
    EXPECT_EQ(seen.shown.at(IDC_REG_HOURS), "0");

    const std::vector<Stay> stays = ReadStays();
    ASSERT_EQ(stays.size(), 1u);
    EXPECT_EQ(stays[0].room, "102");
    EXPECT_EQ(stays[0].paid, "15");
    EXPECT_EQ(stays[0].deposit, "2");
}

TEST_F(StaysWithCardReader, ACardWithRareCharactersAndAnIdNumberEndingInXIsStoredAsItIs)
{
    IdCard card = CardOf("刘䶮𠮷𠀾", "11010519491231002X");
    card.address = U("𠮷野乡𠀾村1号");
    Select(0);
    ExpectTypingAndCards clerk(m_cards, {}, {card}, {});
    wxTEST_DIALOG(View()->OnRegister(), clerk);
    ASSERT_EQ(clerk.Result().cardsShown, 1) << "the name is shown as the card has it";
    EXPECT_TRUE(clerk.Result().endedAfterOk) << "the ID number is accepted";

    const std::vector<Stay> stays = ReadStays();
    ASSERT_EQ(stays.size(), 1u);
    EXPECT_EQ(stays[0].name, U("刘䶮𠮷𠀾"));
    EXPECT_EQ(stays[0].nativePlace, U("𠮷野乡𠀾村1号"));
    EXPECT_EQ(stays[0].idNumber, "11010519491231002X");
}

TEST_F(StaysWithCardReader, ACardWithoutAReadableBirthDateLeavesTheBirthdayAsTheDialogOpened)
{
    Select(0);
    ExpectTypingAndCards clerk(
        m_cards, {}, {CardOf("甲一", "110101198503120011"), CardOf("乙二", "110101198502300022", "19850230")}, {});
    const COleDateTime opened = Now();
    wxTEST_DIALOG(View()->OnRegister(), clerk);
    ASSERT_EQ(clerk.Result().cardsShown, 2);
    EXPECT_EQ(clerk.Result().birthday.Format("%Y-%m-%d"), opened.Format("%Y-%m-%d"))
        << "not the first guest's birthday";

    const std::vector<Stay> stays = ReadStays();
    ASSERT_EQ(stays.size(), 1u);
    EXPECT_EQ(stays[0].name, U("乙二"));
    EXPECT_EQ(stays[0].birth.Format("%Y-%m-%d"), opened.Format("%Y-%m-%d"));
}

TEST_F(StaysWithCardReader, APipeOrADeviceInPlaceOfTheCardNeverFreezesTheCheckIn)
{
    const std::string wz = m_cards + "/wz.txt";
    for (const bool pipe : {true, false}) {
        SeedStays({});
        fs::remove(wz);
        if (pipe)
            ASSERT_EQ(mkfifo(wz.c_str(), 0600), 0);
        else
            fs::create_symlink("/dev/zero", wz);
        Select(0);
        // The reader polls once a second: three polls meet the card file.
        ExpectTypingAndCards clerk(m_cards, {{IDC_REG_NAME, U("张三")}, {IDC_REG_IDNUMBER, "110101198001010011"}},
                                   {}, {}, 3500);
        {
            FreezeWatch watch(30, pipe ? "check-in with a pipe for wz.txt" : "check-in with /dev/zero for wz.txt");
            wxTEST_DIALOG(View()->OnRegister(), clerk);
        }
        EXPECT_TRUE(clerk.Result().endedAfterOk);
        EXPECT_EQ(ReadStays().size(), 1u);
        EXPECT_FALSE(fs::exists(m_program + "wz.txt")) << "nothing was copied";
    }
}

// ------------------------------------------------------------- check-out

class StaysCheckOut : public Stays
{
protected:
    void SetUp() override
    {
        Stays::SetUp();
        // 101 at 80 with two guests by the hour, 102 at 90 with one.
        SeedRooms("[房间号],[住房],[房价],[房间人数],[钟点房],[钟点开始],[钟点结束],[房间介绍]",
                  "('101',1,'80',2,1,'2024-03-05 14:00:00','2024-03-05 16:00:00',''),"
                  "('102',1,'90',1,0,NULL,NULL,'')");
        m_checkIn = TodayAt(10, -1);
        SeedStays({StayValues("101", "赵六", TodayAt(15, -1), "2", "80", "0"),
                   StayValues("101", "王五", m_checkIn, "1", "100", "20"),
                   StayValues("102", "孙七", TodayAt(9, -2), "3", "90", "0")});
    }

    COleDateTime m_checkIn;  // 王五's, 10:00 yesterday
};

TEST_F(StaysCheckOut, BillsTheDaysWritesTheCashBookAndClosesTheStay)
{
    Select(0);
    CheckOutForm form;
    form.name = U("王五");
    wxExpectModal<CRegEndDlg> clerk(form);
    const COleDateTime before = Now();
    wxTEST_DIALOG(View()->OnCheckOut(), clerk);
    const COleDateTime after = Now();
    const CheckOutSeen& seen = clerk.Seen();
    ExpectNoProblems(seen.problems);
    EXPECT_EQ(seen.roomOffered, "101");
    EXPECT_EQ(seen.rooms, (std::vector<wxString>{"101", "102"}));
    EXPECT_EQ(seen.names, (std::vector<wxString>{U("王五"), U("赵六")}));

    // From 10:00 yesterday: 2 days before noon (160.000000 at 80), 3 from noon on.
    const int days = BilledDays(m_checkIn, after);
    if (days != BilledDays(m_checkIn, before))
        GTEST_SKIP() << "the clock passed noon or midnight during the check-out";
    EXPECT_EQ(seen.days, days);
    EXPECT_DOUBLE_EQ(seen.paid, 100.0);
    EXPECT_DOUBLE_EQ(seen.deposit, 20.0);
    EXPECT_DOUBLE_EQ(seen.total, 80.0 * days);

    const std::vector<CashRow> book = ReadCashBook();
    ASSERT_EQ(book.size(), 1u);
    EXPECT_EQ(book[0].room, "101");
    EXPECT_EQ(book[0].name, U("王五"));
    EXPECT_TRUE(Between(book[0].time, before, after));
    EXPECT_EQ(book[0].paid, "100.000000");
    EXPECT_EQ(book[0].deposit, "20.000000");
    EXPECT_EQ(book[0].amount, wxString::Format("%f", 80.0 * days));
    EXPECT_TRUE(book[0].status);

    const std::vector<Stay> stays = ReadStays();
    ASSERT_NE(FindStay(stays, "王五"), nullptr);
    EXPECT_TRUE(Between(FindStay(stays, "王五")->checkOut, before, after));
    EXPECT_TRUE(FindStay(stays, "赵六")->IsOpen()) << "only the chosen guest leaves";
    EXPECT_TRUE(FindStay(stays, "孙七")->IsOpen());

    const Room room = ReadRoom("101");
    EXPECT_EQ(room.persons, 1);
    EXPECT_TRUE(room.occupied) << "one guest is still in";
    EXPECT_FALSE(room.hourly);
    EXPECT_EQ(Board().GetItemText(0, 5), U("1人"));
    EXPECT_EQ(Board().GetItemText(0, 6), "");
    EXPECT_EQ(ColumnImage(0, 8), kNoPicture);
    EXPECT_EQ(View()->GetSelectionMark(), 0);
}

TEST_F(StaysCheckOut, CancelledCheckOutWritesNothingAndKeepsTheRowMarked)
{
    Select(1);
    CheckOutForm form;
    form.cancel = true;
    wxExpectModal<CRegEndDlg> clerk(form);
    wxTEST_DIALOG(View()->OnCheckOut(), clerk);
    ExpectNoProblems(clerk.Seen().problems);
    EXPECT_EQ(clerk.Seen().roomOffered, "102");

    EXPECT_TRUE(ReadCashBook().empty());
    for (const Stay& s : ReadStays())
        EXPECT_TRUE(s.IsOpen()) << s.name;
    EXPECT_EQ(ReadRoom("102").persons, 1);
    EXPECT_EQ(View()->GetSelectionMark(), 1);
    EXPECT_TRUE(Board().GetItemState(1, wxLIST_STATE_SELECTED) & wxLIST_STATE_SELECTED);
}

// The disk fills while the cash-book row is written, after the room and the
// stay: the clerk is told once that nothing changed, with the driver's text,
// the dialog ends as cancelled, nothing stays written and the board shows the
// room as the table has it.
TEST_F(StaysCheckOut, CheckOutOnAFullDiskIsReportedOnceAndLeavesEverythingAsItWas)
{
    const std::string folder = GuiEnvironment().DataSaveFolder();
    const long long full = FillToTheEnd(folder + "Cashbook.db", "cashbook");
    auto dumps = [&] {
        return DumpDatabase(folder + "Hotel.db") + DumpDatabase(folder + "Register.db") +
               DumpDatabase(folder + "Cashbook.db");
    };
    const std::string before = dumps();
    Select(0);
    // What the board shows must come from the table again.
    CRoomList& list = dynamic_cast<CRoomList&>(Board());
    BoardRow stale = list.Row(0);
    stale.texts[5] = "?";
    list.SetRow(0, stale);

    CheckOutForm form;
    form.name = U("王五");
    wxExpectModal<CRegEndDlg> clerk(form);
    ExpectMessageBox report;  // one box: a second would fail the test
    {
        FileSizeLimit diskEnds(full);
        wxTEST_DIALOG(View()->OnCheckOut(), clerk, report);
    }
    ExpectNoProblems(clerk.Seen().problems);
    EXPECT_EQ(clerk.Seen().result, wxID_CANCEL);
    EXPECT_TRUE(report.Shown().StartsWith(U("没有完成：记录没有任何改动。"))) << report.Shown();
    EXPECT_NE(report.Shown().Find("I/O error"), wxNOT_FOUND) << report.Shown();
    EXPECT_TRUE(dumps() == before) << "a file changed";
    EXPECT_EQ(Board().GetItemText(0, 5), U("2人"));
    EXPECT_EQ(ColumnImage(0, 8), kGuestPicture) << "the hourly stay goes on";
    ExecuteOnDatabase(folder + "Cashbook.db", "DROP TABLE pad");
}

// ------------------------------------------------------------- change room

TEST_F(Stays, ChangeRoomMovesTheStayAndThePersonAndMarksTheTarget)
{
    SeedRooms("[房间号],[住房],[房价],[打扫],[房间人数],[房间介绍]",
              "('101',1,'80',0,1,''),('102',0,'90',1,0,''),('103',0,'100',0,0,'')");
    const COleDateTime checkIn = TodayAt(9, -1);
    SeedStays({StayValues("101", "王五", checkIn, "110101198001010011", "100", "0")});
    Select(0);
    ChangeRoomForm form;
    form.target = "102";
    wxExpectModal<CExchangeHDlg> clerk(form);
    wxTEST_DIALOG(View()->OnChangeRoom(), clerk);
    const ChangeRoomSeen& seen = clerk.Seen();
    ExpectNoProblems(seen.problems);
    EXPECT_EQ(seen.names, std::vector<wxString>{U("王五")});
    EXPECT_EQ(seen.targets, (std::vector<wxString>{"101", "102", "103"}));
    EXPECT_EQ(seen.shownRoom, "101");
    EXPECT_EQ(seen.shownIdNumber, "110101198001010011");

    const std::vector<Stay> stays = ReadStays();
    ASSERT_EQ(stays.size(), 1u);
    EXPECT_EQ(stays[0].room, "102");
    EXPECT_TRUE(stays[0].IsOpen());
    EXPECT_EQ(stays[0].checkIn.Format("%Y-%m-%d %H:%M:%S"), checkIn.Format("%Y-%m-%d %H:%M:%S"))
        << "the stay keeps its check-in";

    const Room left = ReadRoom("101"), entered = ReadRoom("102");
    EXPECT_EQ(left.persons, 0);
    EXPECT_FALSE(left.occupied);
    EXPECT_EQ(entered.persons, 1);
    EXPECT_TRUE(entered.occupied);
    EXPECT_FALSE(entered.cleaning);

    EXPECT_EQ(Board().GetItemText(0, 5), U("0人"));
    EXPECT_EQ(ColumnImage(0, 1), kNoPicture);
    EXPECT_EQ(Board().GetItemText(1, 5), U("1人"));
    EXPECT_EQ(ColumnImage(1, 1), kGuestPicture);
    EXPECT_EQ(View()->GetSelectionMark(), 1) << "the target room's row is marked";
    EXPECT_EQ(Board().GetSelectedItemCount(), 1);
}

// ------------------------------------------------------------- menu and enabling

// 101 empty and free, 102 with two guests and reserved.
void SeedMenuRooms()
{
    SeedRooms("[房间号],[住房],[房价],[定房],[定房日期],[房间人数],[房间介绍]",
              "('101',0,'80',0,NULL,0,''),('102',1,'90',1,'2024-03-05 00:00:00',2,'')");
}

struct MenuEntry
{
    int id;
    const char* text;
    bool enabled;
};

void ExpectMenu(const wxMenu& menu, const std::vector<MenuEntry>& entries)
{
    ASSERT_EQ(menu.GetMenuItemCount(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const wxMenuItem* item = menu.FindItemByPosition(i);
        EXPECT_EQ(item->GetId(), entries[i].id) << "item " << i;
        EXPECT_EQ(item->GetItemLabel(), U(entries[i].text)) << "item " << i;
        EXPECT_EQ(item->IsEnabled(), entries[i].enabled) << U(entries[i].text);
    }
}

TEST_F(Stays, ContextMenuGraysWhatTheMarkedRoomCannotDo)
{
    SeedMenuRooms();
    ClearMark();
    EXPECT_EQ(View()->BuildContextMenu(), nullptr) << "no menu without a marked row";

    Select(0);
    std::unique_ptr<wxMenu> menu(View()->BuildContextMenu());
    ASSERT_NE(menu, nullptr);
    ExpectMenu(*menu, {{ID_REGISTER, "登记(&R)", true},
                       {ID_CHECKOUT, "退房(&C)", false},
                       {ID_CHANGE_ROOM, "换房(&E)", false},
                       {ID_RESERVE, "订房(&R)", true},
                       {ID_CANCEL_RESERVE, "退订房间(&I)", false},
                       {ID_CLEAN_ROOM, "房间打扫(&C)", true}});

    Select(1);
    menu.reset(View()->BuildContextMenu());
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->IsEnabled(ID_CHECKOUT));
    EXPECT_TRUE(menu->IsEnabled(ID_CHANGE_ROOM));
    EXPECT_TRUE(menu->IsEnabled(ID_CANCEL_RESERVE));
    EXPECT_EQ(g_nSelectedItem, 1);
    EXPECT_EQ(g_strSelectedRoom, "102");

    EnglishForThisTest english;
    menu.reset(View()->BuildContextMenu());
    ASSERT_NE(menu, nullptr);
    ExpectMenu(*menu, {{ID_REGISTER, "Register(&R)", true},
                       {ID_CHECKOUT, "Check out(&C)", true},
                       {ID_CHANGE_ROOM, "Change Room(&E)", true},
                       {ID_RESERVE, "Reservations(&R)", true},
                       {ID_CANCEL_RESERVE, "Reservations Exit(&I)", true},
                       {ID_CLEAN_ROOM, "Clear Room(&C)", true}});
}

// The enabled state that the frame's menus and toolbar would get for a command.
bool Enabled(int id)
{
    const wxUpdateUIEvent update = UpdateOf(id);
    EXPECT_TRUE(update.GetSetEnabled()) << "nothing answered the update of command " << id;
    return update.GetEnabled();
}

TEST_F(Stays, StayCommandsNeedAMarkedRowAndGuestsToLeave)
{
    SeedMenuRooms();
    ClearMark();
    EXPECT_FALSE(Enabled(ID_REGISTER));
    EXPECT_FALSE(Enabled(ID_CHECKOUT));
    EXPECT_FALSE(Enabled(ID_CHANGE_ROOM));

    Select(1);
    EXPECT_TRUE(Enabled(ID_REGISTER));
    EXPECT_TRUE(Enabled(ID_CHECKOUT));
    EXPECT_TRUE(Enabled(ID_CHANGE_ROOM));

    Select(0);
    EXPECT_TRUE(Enabled(ID_REGISTER));
    EXPECT_FALSE(Enabled(ID_CHECKOUT)) << "nobody to check out of 101";
    EXPECT_FALSE(Enabled(ID_CHANGE_ROOM));
}

}  // namespace
