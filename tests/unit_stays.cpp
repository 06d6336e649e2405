// Stay-day billing, the ID-number rule and the ID-card reader with the
// stand-in termb.so from the program folder.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ctime>
#include <string>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <wx/filefn.h>

#include "COleDateTime.h"
#include "CardReader.h"
#include "IdNumber.h"
#include "ProgramFolder.h"
#include "StayDays.h"
#include "CardText.h"
#include "TestEnvironment.h"

namespace {

// ---------------------------------------------------------------- stay days

COleDateTime At(int y, int mo, int d, int h, int mi, int s = 0)
{
    return COleDateTime(y, mo, d, h, mi, s);
}

TEST(StayDays, BillsByCalendarDayWithNoonChangeOver)
{
    struct Case { COleDateTime in, now; int days; };
    const Case cases[] = {
        {At(2021, 5, 10, 10, 0), At(2021, 5, 11, 11, 0), 2},
        {At(2021, 5, 10, 10, 0), At(2021, 5, 11, 13, 0), 3},
        {At(2021, 5, 10, 14, 0), At(2021, 5, 11, 11, 0), 1},
        {At(2021, 5, 10, 14, 0), At(2021, 5, 10, 18, 0), 1},
        {At(2021, 5, 10, 9, 0), At(2021, 5, 10, 11, 30), 1},
        {At(2021, 5, 10, 9, 0), At(2021, 5, 10, 12, 0), 2},
        {At(2021, 5, 10, 12, 0), At(2021, 5, 11, 11, 59), 1},
        {At(2021, 5, 10, 20, 0), At(2021, 5, 13, 10, 0), 3},
        {At(2021, 1, 31, 23, 59), At(2021, 2, 1, 0, 1), 1},
        {At(2021, 1, 31, 8, 0), At(2021, 2, 2, 12, 30), 4},
        // Across a year end and a leap day.
        {At(2020, 12, 31, 10, 0), At(2021, 1, 1, 10, 0), 2},
        {At(2024, 2, 28, 15, 0), At(2024, 3, 1, 15, 0), 3},
        // The difference has no sign: a check-in after "now" still bills.
        {At(2021, 5, 11, 14, 0), At(2021, 5, 10, 10, 0), 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CountStayDays(c.in, c.now), c.days)
            << c.in.Format("%Y-%m-%d %H:%M").ToStdString() << " -> " << c.now.Format("%Y-%m-%d %H:%M").ToStdString();
}

TEST(StayDays, UnreadableDatesGiveZeroOrMinusOne)
{
    COleDateTime null;
    null.SetStatus(COleDateTime::null);
    COleDateTime invalid;
    invalid.SetStatus(COleDateTime::invalid);
    const COleDateTime now = At(2021, 5, 10, 10, 0);
    EXPECT_EQ(CountStayDays(null, now), 0);
    EXPECT_EQ(CountStayDays(invalid, now), 0);
    EXPECT_EQ(CountStayDays(now, null), -1);
    EXPECT_EQ(CountStayDays(null, null), 0);  // check-in is read first
}

TEST(StayDays, DaysBetweenReadsAnyTextCarryingTheNumbers)
{
    EXPECT_EQ(DaysBetween("2021-05-01", "2021-05-03"), 2);               // date only: morning
    EXPECT_EQ(DaysBetween("2021-05-01 11:59:59", "2021-05-01 12:00:00"), 1);
    EXPECT_EQ(DaysBetween("2021年05月01日13时00分", "2021/5/2 9:00"), 0);
    EXPECT_EQ(DaysBetween("2021-05-01", "2021-05-01 12"), 1);            // hour without minutes
    EXPECT_EQ(DaysBetween("2021-02-30", "2021-03-02"), 0);               // day 30 carries into March
    EXPECT_EQ(DaysBetween("2021-13-01", "2022-01-01"), 0);               // so does month 13
    EXPECT_EQ(DaysBetween("1999-12-31", "2000-01-01"), 1);
}

// A zone whose clocks moved forward without daylight saving (Pyongyang, the
// night of 4 to 5 May 2018) makes that day 23.5 hours long in local time; the
// count must still see one calendar day.
TEST(StayDays, ZoneOffsetChangeDoesNotLoseADay)
{
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    setenv("TZ", "Asia/Pyongyang", 1);
    tzset();
    EXPECT_EQ(DaysBetween("2018-05-04", "2018-05-05"), 1);
    EXPECT_EQ(DaysBetween("2018-05-05 08:00", "2018-05-01 08:00"), 4);
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(StayDays, DaysBetweenReportsWhichTextFailed)
{
    EXPECT_EQ(DaysBetween("", "2021-05-01"), -1);
    EXPECT_EQ(DaysBetween("2021-05", "2021-05-01"), -1);
    EXPECT_EQ(DaysBetween("Invalid DateTime", "2021-05-01"), -1);
    EXPECT_EQ(DaysBetween("2021-05-01", ""), -2);
    EXPECT_EQ(DaysBetween("2021-05-01", "tomorrow"), -2);
    EXPECT_EQ(DaysBetween("", ""), -1);
    EXPECT_EQ(DaysBetween(nullptr, "2021-05-01"), -1);
}

// ---------------------------------------------------------------- ID number

TEST(IdNumber, AcceptsDigitsAndPunctuation)
{
    EXPECT_TRUE(CheckIdNumber("110101198001010011"));
    EXPECT_TRUE(CheckIdNumber("1101 0119-8001/010011"));
    EXPECT_TRUE(CheckIdNumber(CString(L"１２３４５")));  // full-width digits pass
    EXPECT_TRUE(CheckIdNumber("11010119800101001X"));  // the resident number's check character
    EXPECT_TRUE(CheckIdNumber("11010119800101001x"));
}

TEST(IdNumber, RefusesEmptyLettersAndChineseCharacters)
{
    EXPECT_FALSE(CheckIdNumber(CString()));
    EXPECT_FALSE(CheckIdNumber(" "));
    EXPECT_FALSE(CheckIdNumber("1101011980010100X1"));  // X only as the 18th character
    EXPECT_FALSE(CheckIdNumber("11010119800101001Y"));
    EXPECT_FALSE(CheckIdNumber("A1234567"));
    EXPECT_FALSE(CheckIdNumber("123z"));
    EXPECT_FALSE(CheckIdNumber(CString(L"一23")));   // U+4E00, first of the range
    EXPECT_FALSE(CheckIdNumber(CString(L"12龥")));   // U+9FA5, last of the range
    EXPECT_FALSE(CheckIdNumber(CString(L"12张三")));
}

// ---------------------------------------------------------------- card text

// A card with every field filled, as a reader would leave it.
IdCard SampleCard()
{
    IdCard card;
    card.name = L"张三";
    card.birth = L"19800229";
    card.address = L"北京市东城区景山前街4号";
    card.idNumber = L"110101198002290011";
    card.authority = L"北京市公安局东城分局";
    return card;
}

IdCardData Parse(const std::string& bytes)
{
    IdCardData data;
    ParseCardText(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), data);
    return data;
}

CString Padded(const wchar_t* text, size_t len)
{
    CString s(text);
    while (s.length() < len)
        s += ' ';
    return s;
}

TEST(CardText, NationNamesFollowTheStandardTable)
{
    EXPECT_EQ(FormatNationName(1), CString(L"汉"));
    EXPECT_EQ(FormatNationName(2), CString(L"蒙古"));
    EXPECT_EQ(FormatNationName(29), CString(L"柯尔克孜"));
    EXPECT_EQ(FormatNationName(44), CString(L"俄罗斯"));
    EXPECT_EQ(FormatNationName(56), CString(L"基诺"));
    EXPECT_EQ(FormatNationName(97), CString(L"其他"));
    EXPECT_EQ(FormatNationName(98), CString(L"外国血统中国籍人士"));
    for (int code : {0, -1, 57, 96, 99, 100})
        EXPECT_TRUE(FormatNationName(code).empty()) << code;
    for (int code = 1; code <= 56; ++code)
        EXPECT_FALSE(FormatNationName(code).empty()) << code;
}

TEST(CardText, FieldsAreTakenWholeFromTheirPositions)
{
    const IdCardData d = Parse(IdCardText(SampleCard()));
    EXPECT_EQ(d.name, Padded(L"张三", 15));
    EXPECT_TRUE(d.man);
    EXPECT_EQ(d.nation, 1);
    EXPECT_EQ(d.nationText, CString(L"汉族"));
    ASSERT_EQ(d.birthday.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(d.birthday, COleDateTime(1980, 2, 29, 0, 0, 0));
    EXPECT_EQ(d.address, Padded(L"北京市东城区景山前街4号", 35));
    EXPECT_EQ(d.idNumber, CString("110101198002290011"));
    EXPECT_EQ(d.authority, Padded(L"北京市公安局东城分局", 15));
    EXPECT_EQ(d.validity, CString("2015010120350101"));
    EXPECT_EQ(d.validityLine, CString(L"有效日期 2015年01月01日-2035年01月01日"));
}

TEST(CardText, SexAndNationCodes)
{
    IdCard f = SampleCard();
    f.sex = L"2";
    f.nation = L"97";
    IdCardData d = Parse(IdCardText(f));
    EXPECT_FALSE(d.man);
    EXPECT_EQ(d.nationText, CString(L"其他族"));

    f.sex = L"0";
    f.nation = L"00";
    d = Parse(IdCardText(f));
    EXPECT_FALSE(d.man);
    EXPECT_EQ(d.nationText, CString(L"族"));
}

TEST(CardText, ShortOrBrokenFileGivesEmptyFieldsAndNoDate)
{
    // Only the name and sex are there; the rest reads as zeros.
    const std::string full = IdCardText(SampleCard());
    const IdCardData d = Parse(full.substr(0, 32));
    EXPECT_EQ(d.name, Padded(L"张三", 15));
    EXPECT_TRUE(d.man);
    EXPECT_EQ(d.nationText, CString(L"族"));
    EXPECT_NE(d.birthday.GetStatus(), COleDateTime::valid);
    EXPECT_TRUE(d.idNumber.empty());
    EXPECT_EQ(d.idNumber.find(wxUniChar(0)), CString::npos);

    IdCard f = SampleCard();
    f.birth = L"19801340";  // month 13
    EXPECT_NE(Parse(IdCardText(f)).birthday.GetStatus(), COleDateTime::valid);

    const IdCardData none = Parse(std::string());
    EXPECT_TRUE(none.name.empty());
    EXPECT_NE(none.birthday.GetStatus(), COleDateTime::valid);
}

TEST(CardText, CharactersBeyondGbkAndTheBasicPlaneAreKept)
{
    // Rare characters of names and places: 䶮 (U+4DAE), 𠮷 (U+20BB7) and 𠀾
    // (U+2003E), the last two a surrogate pair each on the card.
    IdCard card = SampleCard();
    card.name = wxString::FromUTF8("刘䶮𠮷𠀾");
    card.address = wxString::FromUTF8("𠀾村𠮷号");
    const IdCardData d = Parse(IdCardText(card));
    EXPECT_EQ(d.name, wxString::FromUTF8("刘䶮𠮷𠀾") + CString(' ', 9)) << "15 units: 2 + 2 pairs + 9 blanks";
    EXPECT_EQ(d.address, wxString::FromUTF8("𠀾村𠮷号") + CString(' ', 29));
    EXPECT_EQ(d.idNumber, CString("110101198002290011"));

    // A surrogate without its partner, also one whose partner would lie in
    // the next field, is no character; the next field keeps its own.
    std::string bytes = IdCardText(SampleCard());
    bytes.replace(0, 4, std::string("\x42\xd8" "A\0", 4));   // high surrogate, then "A"
    bytes.replace(28, 2, std::string("\x42\xd8", 2));         // high surrogate as the name's last unit
    bytes.replace(30, 2, std::string("\xb7\xdf", 2));         // low surrogate as the sex code
    const IdCardData broken = Parse(bytes);
    EXPECT_EQ(broken.name.Left(2), CString(L"\uFFFDA"));
    EXPECT_EQ(broken.name.Last(), wxUniChar(0xFFFD));
    EXPECT_EQ(broken.sexCode, CString(L"\uFFFD"));
    EXPECT_FALSE(broken.man);
}

// The same card as another program might have rewritten it: the text in UTF-8.
std::string Utf8Card()
{
    const std::string utf16 = IdCardText(SampleCard());
    const wxString text(utf16.data(), wxMBConvUTF16LE(), utf16.size());
    return std::string(text.utf8_str().data());
}

TEST(CardText, OnlyACardsTextIsTakenAsOne)
{
    const std::string card = IdCardText(SampleCard());
    const auto is = [](const std::string& bytes) {
        return IsCardText(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    };
    EXPECT_TRUE(is(card));
    EXPECT_TRUE(is(card.substr(0, 32)));  // cut after the sex code: the rest reads as zeros
    EXPECT_TRUE(is(card.substr(0, 41)));  // cut inside the birth date
    EXPECT_FALSE(is(Utf8Card()));
    EXPECT_FALSE(is("\xff\xfe" + card));  // a byte-order mark moves every field
    EXPECT_FALSE(is(std::string()));
    EXPECT_FALSE(is(std::string(256, '\0')));
    IdCard lettered = SampleCard();
    lettered.birth = L"1980O229";
    EXPECT_FALSE(is(IdCardText(lettered)));
}

// ---------------------------------------------------------------- reader

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A card folder for the stand-in reader, and the program folder cleaned of
// whatever a read left there.
class Reader : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OverrideProgramFolder(CString());
        m_program = GetProgramFolder().ToStdString();
        char pattern[] = "/tmp/unit_card_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_cards = pattern;
        setenv("QUILLAN_CARD_DIR", m_cards.c_str(), 1);
        unsetenv("QUILLAN_CARD_PORT");
        CleanProgramFolder();
        ASSERT_EQ(access((m_program + "termb.so").c_str(), R_OK), 0) << "termb.so not built into " << m_program;
    }
    void TearDown() override
    {
        CleanProgramFolder();
        unsetenv("QUILLAN_CARD_DIR");
        unsetenv("QUILLAN_CARD_PORT");
        std::system(("rm -rf '" + m_cards + "'").c_str());
    }
    void CleanProgramFolder()
    {
        std::remove((m_program + "wz.txt").c_str());
        std::remove((m_program + "zp.bmp").c_str());
    }
    void PutCard(const IdCard& f, bool withPhoto = true)
    {
        WriteFile(m_cards + "/wz.txt", IdCardText(f));
        if (withPhoto)
            WriteFile(m_cards + "/zp.bmp", "BM photo of " + std::to_string(f.idNumber.size()));
        else
            std::remove((m_cards + "/zp.bmp").c_str());
    }
    void TakeCardOff() { std::remove((m_cards + "/wz.txt").c_str()); }

    std::string m_program, m_cards;
};

TEST_F(Reader, ReadsEachPresentedCardOnce)
{
    CardReader reader(GetProgramFolder());
    ASSERT_TRUE(reader.IsLoaded());
    ASSERT_TRUE(reader.FindPort());
    EXPECT_EQ(reader.Port(), 1001);

    IdCardData data;
    EXPECT_EQ(reader.Poll(data), CardReader::PollResult::NoCard);

    PutCard(SampleCard());
    ASSERT_EQ(reader.Poll(data), CardReader::PollResult::CardRead);
    EXPECT_EQ(data.name, Padded(L"张三", 15));
    EXPECT_EQ(data.nationText, CString(L"汉族"));
    EXPECT_EQ(data.idNumber, CString("110101198002290011"));
    EXPECT_EQ(data.birthday, COleDateTime(1980, 2, 29, 0, 0, 0));
    EXPECT_EQ(data.validityLine, CString(L"有效日期 2015年01月01日-2035年01月01日"));
    EXPECT_EQ(data.photoPath, GetProgramFolder() + "zp.bmp");
    EXPECT_EQ(ReadFileText(m_program + "zp.bmp"), "BM photo of 18");

    // The same card left on the reader is not read again...
    data = IdCardData();
    EXPECT_EQ(reader.Poll(data), CardReader::PollResult::NoCard);
    EXPECT_TRUE(data.name.empty());

    // ...but a different one is, and an old photo does not stay behind.
    IdCard other = SampleCard();
    other.name = L"李四";
    other.sex = L"2";
    other.nation = L"03";
    other.idNumber = L"11010119900101002";
    PutCard(other, false);
    ASSERT_EQ(reader.Poll(data), CardReader::PollResult::CardRead);
    EXPECT_EQ(data.name, Padded(L"李四", 15));
    EXPECT_FALSE(data.man);
    EXPECT_EQ(data.nationText, CString(L"回族"));
    EXPECT_NE(access((m_program + "zp.bmp").c_str(), F_OK), 0);

    // Taking a card off and putting it back presents it again.
    TakeCardOff();
    EXPECT_EQ(reader.Poll(data), CardReader::PollResult::NoCard);
    PutCard(other);
    EXPECT_EQ(reader.Poll(data), CardReader::PollResult::CardRead);
    reader.Close();
    EXPECT_EQ(reader.Poll(data), CardReader::PollResult::NoCard);  // port closed: no card answers
}

TEST_F(Reader, TheCardsFilesAreGoneOnceTaken)
{
    CardReader reader(GetProgramFolder());
    ASSERT_TRUE(reader.FindPort());
    PutCard(SampleCard());
    IdCardData data;
    ASSERT_EQ(reader.Poll(data), CardReader::PollResult::CardRead);
    ASSERT_EQ(access((m_program + "zp.bmp").c_str(), F_OK), 0);
    reader.RemoveCardFiles();
    for (const char* file : {"wz.txt", "zp.bmp"})
        EXPECT_NE(access((m_program + file).c_str(), F_OK), 0) << file << " outlived the read";
}

// An install under /usr leaves the program folder to root: the reader then
// works in the current directory, the clerk's own settings folder.
TEST(CardFiles, AProgramFolderTheClerkCannotWriteSendsThemToTheCurrentDirectory)
{
    const CString cwd = wxGetCwd() + "/";
    EXPECT_EQ(CardFilesFolder("/no/such/program/folder/"), cwd);
    EXPECT_EQ(CardFilesFolder(GetProgramFolder()), GetProgramFolder());
}

TEST_F(Reader, PortSearchStopsAtTheFirstAnsweringPort)
{
    setenv("QUILLAN_CARD_PORT", "1003", 1);
    CardReader usb(GetProgramFolder());
    ASSERT_TRUE(usb.FindPort());
    EXPECT_EQ(usb.Port(), 1003);

    setenv("QUILLAN_CARD_PORT", "5", 1);
    CardReader serial(GetProgramFolder());
    ASSERT_TRUE(serial.FindPort());
    EXPECT_EQ(serial.Port(), 5);

    setenv("QUILLAN_CARD_PORT", "99", 1);
    CardReader none(GetProgramFolder());
    EXPECT_FALSE(none.FindPort());
    EXPECT_FALSE(none.HasPort());
    EXPECT_EQ(none.Port(), 16);  // the last port tried
    PutCard(SampleCard());
    IdCardData data;
    EXPECT_EQ(none.Poll(data), CardReader::PollResult::NoPort);
}

TEST_F(Reader, MissingLibraryLeavesAReaderThatDoesNothing)
{
    CardReader reader{CString(m_cards)};  // no termb.so there
    EXPECT_FALSE(reader.IsLoaded());
    EXPECT_FALSE(reader.FindPort());
    IdCardData data;
    EXPECT_EQ(reader.Poll(data), CardReader::PollResult::NoPort);
    reader.Close();
}

TEST_F(Reader, BadCardFilesAreNotTaken)
{
    const CString folder = CString(m_cards) + "/";
    const std::string path = m_cards + "/wz.txt";
    IdCardData data;
    auto read = [&] {
        data = IdCardData();
        data.name = "typed";
        return ReadCardData(folder, data);
    };

    // 40 MB: only the first 256 bytes are read, in no time.
    std::string big = IdCardText(SampleCard());
    big.resize(40u << 20, 'x');
    WriteFile(path, big);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(read(), CardTextResult::Taken);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
    EXPECT_EQ(data.name, Padded(L"张三", 15));

    big = Utf8Card();
    big.resize(40u << 20, ' ');
    WriteFile(path, big);
    EXPECT_EQ(read(), CardTextResult::NotACard);
    EXPECT_EQ(data.name, CString("typed"));

    // Cut short: what is there is taken, the rest is empty.
    WriteFile(path, IdCardText(SampleCard()).substr(0, 100));
    EXPECT_EQ(read(), CardTextResult::Taken);
    EXPECT_EQ(data.nationText, CString(L"汉族"));
    EXPECT_TRUE(data.idNumber.empty());

    // Neither a folder nor a pipe in its place is read, and the pipe is not waited on.
    std::remove(path.c_str());
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    EXPECT_EQ(read(), CardTextResult::NotACard);
    rmdir(path.c_str());
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(read(), CardTextResult::NotACard);
    EXPECT_EQ(data.name, CString("typed"));
    std::remove(path.c_str());
    ASSERT_EQ(symlink("/dev/zero", path.c_str()), 0);
    EXPECT_EQ(read(), CardTextResult::NotACard);
}

// Runs `body` in a child process and tells whether it returned true within
// `seconds`; a child still running then is killed. A reader that waits on a
// pipe or copies a device without end fails instead of hanging the suite.
template <class Body>
testing::AssertionResult WithinSeconds(int seconds, Body body)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(body() ? 0 : 1);
    if (child < 0)
        return testing::AssertionFailure() << "fork failed";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return testing::AssertionFailure() << "still running after " << seconds << " s";
        }
        usleep(10000);
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "the checks failed (status " << status << ")";
}

TEST_F(Reader, PipesAndDevicesInTheCardFolderAreNeitherWaitedOnNorCopied)
{
    const std::string wz = m_cards + "/wz.txt", zp = m_cards + "/zp.bmp";
    const auto pollGives = [&](CardReader::PollResult expected) {
        return WithinSeconds(5, [&] {
            CardReader reader(GetProgramFolder());
            IdCardData data;
            return reader.FindPort() && reader.Poll(data) == expected;
        });
    };
    const auto copied = [&](const char* name) { return access((m_program + name).c_str(), F_OK) == 0; };

    ASSERT_EQ(mkfifo(wz.c_str(), 0600), 0);
    EXPECT_TRUE(pollGives(CardReader::PollResult::ReadFailed)) << "wz.txt a pipe";
    EXPECT_FALSE(copied("wz.txt"));

    std::remove(wz.c_str());
    ASSERT_EQ(symlink("/dev/zero", wz.c_str()), 0);
    EXPECT_TRUE(pollGives(CardReader::PollResult::ReadFailed)) << "wz.txt a link to /dev/zero";
    EXPECT_FALSE(copied("wz.txt"));

    // A card file longer than a card is no card.
    std::remove(wz.c_str());
    WriteFile(wz, IdCardText(SampleCard()) + "more");
    EXPECT_TRUE(pollGives(CardReader::PollResult::ReadFailed)) << "wz.txt of 260 bytes";

    // A card whose photo is a device reads without a photo.
    PutCard(SampleCard(), false);
    ASSERT_EQ(symlink("/dev/zero", zp.c_str()), 0);
    EXPECT_TRUE(pollGives(CardReader::PollResult::CardRead)) << "zp.bmp a link to /dev/zero";
    EXPECT_TRUE(copied("wz.txt"));
    EXPECT_FALSE(copied("zp.bmp"));
}

TEST_F(Reader, ACardIsCopiedForItsOwnerOnlyAndNeverThroughALink)
{
    CardReader reader(GetProgramFolder());
    ASSERT_TRUE(reader.FindPort());
    // A link planted where the copy goes is replaced, not written through.
    const std::string elsewhere = m_cards + "/elsewhere";
    WriteFile(elsewhere, "untouched");
    ASSERT_EQ(symlink(elsewhere.c_str(), (m_program + "wz.txt").c_str()), 0);
    const mode_t umaskBefore = umask(022);
    PutCard(SampleCard());
    IdCardData data;
    const CardReader::PollResult result = reader.Poll(data);
    umask(umaskBefore);
    ASSERT_EQ(result, CardReader::PollResult::CardRead);
    EXPECT_EQ(ReadFileText(elsewhere), "untouched");
    for (const char* name : {"wz.txt", "zp.bmp"}) {
        struct stat st;
        ASSERT_EQ(lstat((m_program + name).c_str(), &st), 0) << name;
        EXPECT_TRUE(S_ISREG(st.st_mode)) << name;
        EXPECT_EQ(st.st_mode & 0777, 0600u) << name;
    }
}

TEST_F(Reader, ACardInAnotherEncodingShowsNeitherTextNorPhoto)
{
    CardReader reader(GetProgramFolder());
    ASSERT_TRUE(reader.FindPort());
    WriteFile(m_cards + "/wz.txt", Utf8Card());
    WriteFile(m_cards + "/zp.bmp", "BM photo");
    IdCardData data;
    EXPECT_EQ(reader.Poll(data), CardReader::PollResult::ReadFailed);
    EXPECT_TRUE(data.name.empty());
}

TEST_F(Reader, ReadCardDataWithoutFileKeepsTheFields)
{
    IdCardData data;
    data.name = "kept";
    EXPECT_EQ(ReadCardData(GetProgramFolder(), data), CardTextResult::NoFile);
    EXPECT_EQ(data.name, CString("kept"));
    EXPECT_EQ(data.photoPath, GetProgramFolder() + "zp.bmp");
    EXPECT_NE(access((m_program + "wz.txt").c_str(), F_OK), 0);  // not created
}

}  // namespace
