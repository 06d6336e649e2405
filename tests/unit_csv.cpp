// The CSV reader and writer, the two row formats of the import/export pages,
// and the transfers between the tables and the files: exact bytes written,
// rows read back as spreadsheets write them, and what damaged files give.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "CCashbookset.h"
#include "CCsvPage.h"
#include "CCsvFile.h"
#include "CCsvReader.h"
#include "CRegisterset.h"
#include "CRegularFile.h"
#include "CodePage.h"
#include "CsvRecords.h"
#include "CsvTransfer.h"
#include "DeskData.h"
#include "SqliteFiles.h"
#include "TestEnvironment.h"

namespace {

namespace fs = std::filesystem;
typedef std::vector<CsvRow> Rows;

wxString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

std::string Gbk(const char* utf8)
{
    return ToCodePage(U(utf8), CP_OEMCP);
}

const char* const kBom = "\xEF\xBB\xBF";

// Every row of `bytes`, and how the reading ended.
struct Reading
{
    Rows rows;
    CCsvReader::Result end;
    CCsvReader::Fault fault;
    long line;  // where the last row or the fault begins
    bool utf8;
};

Reading ReadText(const std::string& bytes, size_t maxFields = std::numeric_limits<size_t>::max(),
                 size_t maxRowBytes = CCsvReader::kMaxRowBytes)
{
    std::istringstream in(bytes);
    CCsvReader reader(in, maxFields, maxRowBytes);
    Reading r;
    CsvRow row;
    while ((r.end = reader.ReadRow(row)) == CCsvReader::row)
        r.rows.push_back(row);
    r.fault = reader.GetFault();
    r.line = reader.Line();
    r.utf8 = reader.IsUtf8();
    return r;
}

Rows Read(const std::string& bytes)
{
    const Reading r = ReadText(bytes);
    EXPECT_EQ(r.end, CCsvReader::end) << "fault " << r.fault << " at line " << r.line;
    return r.rows;
}

// The one row of a written line.
CsvRow RowOf(const std::string& line)
{
    const Rows rows = Read(line);
    EXPECT_EQ(rows.size(), 1u);
    return rows.empty() ? CsvRow() : rows[0];
}

// A fresh folder for the files of one test, removed at its end.
class CsvFiles : public testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/quillan-csv-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_folder = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    std::string PathOf(const std::string& name) const { return m_folder + "/" + name; }
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
        return PathOf(name);
    }

    std::string m_folder;
};

}  // namespace

// ---------------------------------------------------------------- reading

TEST(CsvReading, FilesAsTheProgramWritesThemReadAsBefore)
{
    EXPECT_EQ(Read("a,b,c\r"), (Rows{{"a", "b", "c"}}));
    EXPECT_EQ(Read("a,,c\r"), (Rows{{"a", "", "c"}}));
    EXPECT_EQ(Read("a,b,\r"), (Rows{{"a", "b", ""}}));
    EXPECT_EQ(Read("a,b\rc,d"), (Rows{{"a", "b"}, {"c", "d"}})) << "a last line without its line end counts";
    EXPECT_EQ(Read("a,b\rsingle\r"), (Rows{{"a", "b"}, {"single"}}));
    EXPECT_EQ(Read("a\"b,c\"\r"), (Rows{{"a\"b", "c\""}})) << "a quote inside a field is an ordinary byte";
    EXPECT_TRUE(Read("").empty());
}

TEST(CsvReading, QuotedFieldsAsSpreadsheetsWriteThem)
{
    EXPECT_EQ(Read("\"x,y\",z\r\n"), (Rows{{"x,y", "z"}}));
    EXPECT_EQ(Read("\"he said \"\"hi\"\"\",\"\"\"\"\r\n"), (Rows{{"he said \"hi\"", "\""}}));
    EXPECT_EQ(Read("\"two\nlines\",\"cr\r\nlf\",\"cr\ronly\"\r\nnext,row\r\n"),
              (Rows{{"two\nlines", "cr\r\nlf", "cr\ronly"}, {"next", "row"}}))
        << "line breaks inside quotes stay in the field, byte for byte";
    EXPECT_EQ(Read("\"\"\r\n"), (Rows{{""}})) << "a quoted empty field is a row";
    EXPECT_EQ(Read("\"ab\"cd,e\r"), (Rows{{"abcd", "e"}})) << "what follows the closing quote is kept";
    EXPECT_EQ(Read(" \"a\",b\r"), (Rows{{" \"a\"", "b"}})) << "a quote after a blank opens nothing";
}

TEST(CsvReading, AnyLineEndEndsARowAndEmptyRowsArePassedOver)
{
    const Rows two{{"a", "b"}, {"c", "d"}};
    EXPECT_EQ(Read("a,b\rc,d\r"), two);
    EXPECT_EQ(Read("a,b\r\nc,d\r\n"), two);
    EXPECT_EQ(Read("a,b\nc,d\n"), two);
    EXPECT_EQ(Read("a,b\r\n\r\n  \n,,\r\n , ,\rc,d\r\n\r\n"), two)
        << "empty and blank lines, and the commas a spreadsheet leaves for a cleared row, hold no row";

    // Lines count every line end, inside quotes too, so a message can name the line.
    const Reading r = ReadText("h1,h2\r\n\r\n\"a\nb\",c\r\nd,\"e\r\n");
    EXPECT_EQ(r.rows, (Rows{{"h1", "h2"}, {"a\nb", "c"}}));
    EXPECT_EQ(r.end, CCsvReader::fault);
    EXPECT_EQ(r.fault, CCsvReader::unclosedQuote);
    EXPECT_EQ(r.line, 5) << "the row with the open quote begins on line 5";
}

TEST(CsvReading, AByteOrderMarkTellsUtf8AndIsNoPartOfTheFirstField)
{
    const Reading utf8 = ReadText(std::string(kBom) + "房间号,姓名\r\n");
    EXPECT_TRUE(utf8.utf8);
    EXPECT_EQ(utf8.rows, (Rows{{"房间号", "姓名"}}));

    const Reading gbk = ReadText(Gbk("房间号,姓名\r"));
    EXPECT_FALSE(gbk.utf8);
    EXPECT_EQ(gbk.rows, (Rows{{Gbk("房间号"), Gbk("姓名")}}));
    EXPECT_FALSE(ReadText(std::string("a,") + kBom + "\r").utf8) << "only at the very start";
}

TEST(CsvReading, DamagedOrHostileFilesStopAtTheirRowInBoundedMemory)
{
    Reading r = ReadText(std::string("a,b\r\nc,d\0e\r\nf,g\r\n", 17));
    EXPECT_EQ(r.rows, (Rows{{"a", "b"}}));
    EXPECT_EQ(r.fault, CCsvReader::nulByte);
    EXPECT_EQ(r.line, 2);

    r = ReadText("a,b\r\n\"never closed,c\r\nd,e\r\n");
    EXPECT_EQ(r.fault, CCsvReader::unclosedQuote);
    EXPECT_EQ(r.line, 2);

    // A line of 10 MB, a field of 1 MB: the reading stops at the row limit.
    r = ReadText("a,b\r\n" + std::string(10 << 20, 'x') + "\r\n");
    EXPECT_EQ(r.fault, CCsvReader::rowTooLong);
    EXPECT_EQ(r.line, 2);
    r = ReadText("a,\"" + std::string(1 << 20, 'y') + "\"\r\n");
    EXPECT_EQ(r.fault, CCsvReader::rowTooLong);
    EXPECT_EQ(ReadText("a,bcd\r\n", 100, 5).fault, CCsvReader::rowTooLong);
    EXPECT_EQ(ReadText("a,bcd\r\n", 100, 6).fault, CCsvReader::noFault);

    // A million commas stop at the first field past the limit.
    r = ReadText("1,2,3\r\n" + std::string(1000000, ',') + "\r\n", 3);
    EXPECT_EQ(r.rows, (Rows{{"1", "2", "3"}}));
    EXPECT_EQ(r.fault, CCsvReader::tooManyFields);
    EXPECT_EQ(r.line, 2);
    EXPECT_EQ(ReadText("1,2,3\r", 3).fault, CCsvReader::noFault);

    // A fault stays: the rows after it are never read.
    std::istringstream in(std::string("\0a,b\r\nc,d\r\n", 11));
    CCsvReader reader(in);
    CsvRow row;
    EXPECT_EQ(reader.ReadRow(row), CCsvReader::fault);
    EXPECT_EQ(reader.ReadRow(row), CCsvReader::fault);
}

// A file without the byte-order mark is UTF-8 when it is valid UTF-8 that
// holds more than ASCII, GBK otherwise.
TEST(CsvReading, ValidUtf8BeyondAsciiTellsUtf8WithoutAByteOrderMark)
{
    auto utf8 = [](const std::string& bytes) {
        std::istringstream in(bytes);
        in.get();  // the stream comes back where it was, not at its start
        const bool found = IsUtf8Text(in);
        EXPECT_EQ(in.tellg(), 1) << "the stream was left elsewhere";
        return found;
    };
    EXPECT_TRUE(utf8("xRoom,Name\r101,李四\r"));
    EXPECT_TRUE(utf8(std::string("x") + kBom + "a,b\r"));
    EXPECT_FALSE(utf8("xRoom,Name\r101,Li\r")) << "ASCII reads the same either way";
    EXPECT_FALSE(utf8("x" + Gbk("房间号,姓名\r101,李四\r"))) << "the program's own files";
    EXPECT_FALSE(utf8("x" + Gbk("Room,Name\r101,李四\r")));
    EXPECT_FALSE(utf8("x李四\xFF\r")) << "a byte that is no UTF-8, after valid text";
    EXPECT_FALSE(utf8(std::string("x李四\xE5\x9B", 9))) << "cut in a character";
    // Valid across the reading's blocks, with a character cut by a block's end.
    const std::string padded = "x" + std::string(64 * 1024 - 2, 'a') + "李" + std::string(70000, 'b') + "四";
    EXPECT_TRUE(utf8(padded));
    EXPECT_FALSE(utf8(padded + "\xC0\x80")) << "an overlong form at the very end";
}

TEST_F(CsvFiles, ReadAllAccumulatesRowsAndChangesNothingOnAFileItCannotRead)
{
    CCsvFile csv;
    Rows rows;
    ASSERT_TRUE(csv.ReadAll(Write("1.csv", "a,b\r"), rows));
    ASSERT_TRUE(csv.ReadAll(Write("2.csv", "\"c,\",d\r\n"), rows));
    EXPECT_EQ(rows, (Rows{{"a", "b"}, {"c,", "d"}}));

    testing::internal::CaptureStdout();
    EXPECT_FALSE(csv.ReadAll(PathOf("missing.csv"), rows));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "open csv file" + PathOf("missing.csv") + "failed!\n");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(csv.ReadAll(Write("3.csv", "e,f\r\"g\r"), rows));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(rows.size(), 2u);
}

// ---------------------------------------------------------------- writing

TEST_F(CsvFiles, WrittenLinesAreExactlyTheirBytes)
{
    const std::string path = Write("out.csv", "old content that must go");
    {
        CCsvFile csv;
        ASSERT_TRUE(csv.Open(wxString::FromUTF8(path).ToStdWstring(), CCsvFile::modeWrite));
        EXPECT_TRUE(csv.WriteLine("x"));
        EXPECT_TRUE(csv.WriteLine("y\r"));
        // The file stays this object's until it is closed.
        testing::internal::CaptureStdout();
        EXPECT_FALSE(csv.Open(wxString::FromUTF8(path).ToStdWstring(), CCsvFile::modeWrite));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't open file" + path + "\n");
    }
    EXPECT_EQ(ReadFileText(path), "xy\r");

    {
        CCsvFile csv;
        ASSERT_TRUE(csv.Open(wxString::FromUTF8(path).ToStdWstring(), CCsvFile::modeAppend));
        EXPECT_TRUE(csv.WriteLine("z\r"));
        EXPECT_TRUE(csv.Close());
    }
    EXPECT_EQ(ReadFileText(path), "xy\rz\r");

    CCsvFile created;
    EXPECT_TRUE(created.Open(wxString::FromUTF8(PathOf("new.csv")).ToStdWstring(), CCsvFile::modeAppend));
    testing::internal::CaptureStdout();
    CCsvFile reader;
    EXPECT_FALSE(reader.Open(wxString::FromUTF8(PathOf("absent.csv")).ToStdWstring(), CCsvFile::modeRead));
    EXPECT_FALSE(reader.Open(wxString::FromUTF8(PathOf("other.csv")).ToStdWstring(), 0x13));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Can't open file" + PathOf("absent.csv") + "\nCan't open file" + PathOf("other.csv") + "\n");
    EXPECT_FALSE(fs::exists(PathOf("other.csv")));
}

TEST_F(CsvFiles, ANonAsciiPathNamesTheSameFile)
{
    const wxString path = wxString::FromUTF8(m_folder + "/账本 2021.csv");
    {
        CCsvFile csv;
        ASSERT_TRUE(csv.Open(path.ToStdWstring(), CCsvFile::modeWrite));
        csv.WriteLine("a,b\r");
    }
    CCsvFile csv;
    Rows rows;
    ASSERT_TRUE(csv.ReadAll(CsvFileSystemName(path.ToStdWstring()), rows));
    EXPECT_EQ(rows, (Rows{{"a", "b"}}));
    EXPECT_TRUE(fs::exists(fs::u8path(m_folder + "/账本 2021.csv")));
}

TEST_F(CsvFiles, AWriteThatDoesNotReachTheDiskIsReported)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    CCsvFile csv;
    ASSERT_TRUE(csv.Open(L"/dev/full", CCsvFile::modeWrite));
    csv.WriteLine("a,b\r");
    EXPECT_FALSE(csv.Close());
}

namespace {

// What the folder holds besides `name`: no temporary may be left.
std::vector<std::string> Others(const std::string& folder, const std::string& name)
{
    std::vector<std::string> others;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename() != name)
            others.push_back(entry.path().filename().string());
    return others;
}

// A FIFO in the folder that nothing writes to. Should a reading wait on it
// after all, a writer comes to end the wait, late, so that the test fails
// rather than hangs.
class QuietFifo
{
public:
    explicit QuietFifo(std::string path) : m_path(std::move(path))
    {
        EXPECT_EQ(mkfifo(m_path.c_str(), 0600), 0);
        m_rescue = std::thread([this] {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (m_done.wait_for(lock, std::chrono::seconds(3), [this] { return m_finished; }))
                return;
            const int fd = open(m_path.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                close(fd);
        });
    }
    ~QuietFifo()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
        m_rescue.join();
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_rescue;
};

// Less than the rescue's wait: nothing waited on the FIFO.
bool Prompt(std::chrono::steady_clock::time_point start)
{
    return std::chrono::steady_clock::now() - start < std::chrono::seconds(2);
}

}  // namespace

TEST_F(CsvFiles, AReplacingFileTakesThePlaceOfTheOldOneOnlyWhole)
{
    const std::string path = Write("out.csv", "precious");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    {
        CCsvFile csv;
        ASSERT_TRUE(csv.Open(wxString::FromUTF8(path).ToStdWstring(), CCsvFile::modeReplace));
        EXPECT_TRUE(csv.WriteLine("a,b\r"));
        EXPECT_EQ(ReadFileText(path), "precious") << "the old file stays while the new one is written";
    }
    EXPECT_EQ(ReadFileText(path), "precious") << "gone without Close: the old file stays";
    EXPECT_TRUE(Others(m_folder, "out.csv").empty());

    {
        CCsvFile csv;
        ASSERT_TRUE(csv.Open(wxString::FromUTF8(path).ToStdWstring(), CCsvFile::modeReplace));
        csv.WriteLine("a,b\r");
        // The disk fills: the new file cannot grow past 4 bytes.
        FileSizeLimit full(4);
        EXPECT_FALSE(csv.WriteLine(std::string(100, 'x')));
        EXPECT_FALSE(csv.Close());
    }
    EXPECT_EQ(ReadFileText(path), "precious");
    EXPECT_TRUE(Others(m_folder, "out.csv").empty()) << "the cut file was left beside it";

    // Through a link: the file it points at is replaced, with its permissions.
    fs::create_symlink(path, PathOf("link.csv"));
    {
        CCsvFile csv;
        ASSERT_TRUE(csv.Open(wxString::FromUTF8(PathOf("link.csv")).ToStdWstring(), CCsvFile::modeReplace));
        csv.WriteLine("c,d\r");
        EXPECT_TRUE(csv.Close());
    }
    EXPECT_TRUE(fs::is_symlink(PathOf("link.csv")));
    EXPECT_EQ(ReadFileText(path), "c,d\r");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// A FIFO would hold the reading until something writes to it, /dev/zero
// never ends: neither is read, and neither keeps the caller waiting.
TEST_F(CsvFiles, OnlyARegularFileIsRead)
{
    const QuietFifo fifo(PathOf("pipe.csv"));
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& path : {fifo.Path(), std::string("/dev/zero")}) {
        CRegularFile file(path);
        EXPECT_EQ(file.GetState(), CRegularFile::notRegular) << path;
        CCsvFile csv;
        Rows rows;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(csv.ReadAll(path, rows)) << path;
        testing::internal::GetCapturedStdout();
    }
    EXPECT_TRUE(Prompt(start)) << "the reading waited";
    EXPECT_EQ(CRegularFile(PathOf("missing.csv")).GetState(), CRegularFile::cannotOpen);
    EXPECT_TRUE(CRegularFile(Write("plain.csv", "a,b\r")).IsOpen());
}

TEST(CsvWriting, OnlyFieldsThatNeedItAreQuotedAndNoCharacterIsChanged)
{
    EXPECT_EQ(CsvTextField(U("张三")), Gbk("张三"));
    EXPECT_EQ(CsvTextField("  0101 x"), "  0101 x");
    EXPECT_EQ(CsvTextField(U("教师,班主任")), Gbk("\"教师,班主任\""));
    EXPECT_EQ(CsvTextField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvTextField("a\r\nb"), "\"a\r\nb\"");
    EXPECT_EQ(CsvTextField("a\nb"), "\"a\nb\"");
    EXPECT_EQ(CsvTextField(U("，")), Gbk("，")) << "a full-width comma is no separator";
    EXPECT_EQ(CsvTextField(U("a😀b")), "a?b") << "what GBK cannot hold becomes ?, as every conversion does";
}

TEST(CsvWriting, DatesAreWrittenAsTheirPartsReadToTheSecond)
{
    // Around half seconds, midnight carries and days before 1899-12-30.
    std::vector<COleDateTime> dates;
    for (double day : {0.0, 1.0, 44265.0, -1.0, -700000.0, 2958465.0})
        for (double seconds : {0.0, 0.4999, 0.5, 0.5001, 59.5, 86399.4, 86399.5, 86399.9})
            dates.push_back(COleDateTime(day + (day < 0 ? -1 : 1) * seconds / 86400.0));
    COleDateTime invalid, null;
    invalid.SetStatus(COleDateTime::invalid);
    null.SetStatus(COleDateTime::null);
    dates.push_back(invalid);
    dates.push_back(null);
    for (const COleDateTime& dt : dates) {
        SCOPED_TRACE(dt.m_dt);
        const wxString expected = wxString::Format("%d-%02d-%02d %02d:%02d:%02d", dt.GetYear(), dt.GetMonth(),
                                                   dt.GetDay(), dt.GetHour(), dt.GetMinute(), dt.GetSecond());
        EXPECT_EQ(CsvDateField(dt), expected.ToStdString());
    }
}

// ---------------------------------------------------------------- cash-book rows

TEST(CsvCashbook, HeaderAndRowAreTheFileFormat)
{
    const unsigned char header[] = {0xB7, 0xBF, 0xBC, 0xE4, 0xBA, 0xC5, 0x2C, 0xD0, 0xD5, 0xC3, 0xFB, 0x2C, 0xCA,
                                    0xB1, 0xBC, 0xE4, 0x2C, 0xBD, 0xBB, 0xC7, 0xAE, 0x2C, 0xD1, 0xBA, 0xBD, 0xF0,
                                    0x2C, 0xBD, 0xF0, 0xB6, 0xEE, 0x2C, 0xD7, 0xB4, 0xCC, 0xAC, 0x0D};
    EXPECT_EQ(CashbookCsvHeader(), std::string(reinterpret_cast<const char*>(header), sizeof header));

    CashbookCsvRecord rec;
    rec.m_strRoomNo = "101";
    rec.m_strName = "GuestA";
    rec.m_dtTime = COleDateTime(2021, 3, 5, 14, 7, 9);
    rec.m_strPaid = "300";
    rec.m_strDeposit = "100";
    rec.m_strAmount = "200";
    rec.m_bStatus = TRUE;
    const std::string line = CashbookCsvLine(rec);
    EXPECT_EQ(line, "101,GuestA,2021-03-05 14:07:09,300,100,200,1\r");

    CsvBadField bad;
    const CashbookCsvRecord back = CashbookRecordFromCsv(RowOf(line), false, bad);
    EXPECT_EQ(bad.kind, CsvBadField::none);
    EXPECT_EQ(back.m_strRoomNo, "101");
    EXPECT_EQ(back.m_strName, "GuestA");
    EXPECT_EQ(back.m_dtTime.Format("%Y-%m-%d %H:%M:%S"), "2021-03-05 14:07:09");
    EXPECT_EQ(back.m_strAmount, "200");
    EXPECT_TRUE(back.m_bStatus);
}

TEST(CsvCashbook, StatusIsTrueExactlyWhenItStartsWithOne)
{
    auto status = [](const char* field) {
        CsvBadField bad;
        return CashbookRecordFromCsv(CsvRow{"1", "n", "2021-01-01 00:00:00", "0", "0", "0", field}, false, bad)
            .m_bStatus;
    };
    EXPECT_TRUE(status("1"));
    EXPECT_TRUE(status("10"));
    EXPECT_FALSE(status("0"));
    EXPECT_FALSE(status(""));
    EXPECT_FALSE(status("TRUE"));
}

// ---------------------------------------------------------------- guest-records rows

namespace {

GuestRecord AStay()
{
    GuestRecord stay;
    stay.m_strRoomNo = "203";
    stay.m_strName = U("李梅");
    stay.m_bSex = FALSE;
    stay.m_strNation = U("回族");
    stay.m_dtBirth = COleDateTime(1990, 5, 17, 0, 0, 0);
    stay.m_dtCheckIn = COleDateTime(2021, 3, 5, 8, 7, 9);
    stay.m_dtCheckOut.SetStatus(COleDateTime::null);  // still staying
    stay.m_strIdNumber = "020102199005170026";
    stay.m_strNativePlace = U("江苏省南京市");
    stay.m_strRemarks = U("教师");
    stay.m_strPaid = "120";
    stay.m_strDeposit = "20.000";
    return stay;
}

void ExpectSameRecord(const GuestRecord& back, const GuestRecord& stay)
{
    EXPECT_EQ(back.m_strRoomNo, stay.m_strRoomNo);
    EXPECT_EQ(back.m_strName, stay.m_strName);
    EXPECT_EQ(back.m_bSex, stay.m_bSex);
    EXPECT_EQ(back.m_strNation, stay.m_strNation);
    EXPECT_EQ(back.m_dtBirth.Format("%Y-%m-%d %H:%M:%S"), stay.m_dtBirth.Format("%Y-%m-%d %H:%M:%S"));
    EXPECT_EQ(back.m_dtCheckIn.Format("%Y-%m-%d %H:%M:%S"), stay.m_dtCheckIn.Format("%Y-%m-%d %H:%M:%S"));
    EXPECT_EQ(back.m_dtCheckOut.GetStatus() == COleDateTime::valid, stay.m_dtCheckOut.GetStatus() == COleDateTime::valid);
    EXPECT_EQ(back.m_strIdNumber, stay.m_strIdNumber);
    EXPECT_EQ(back.m_strNativePlace, stay.m_strNativePlace);
    EXPECT_EQ(back.m_strRemarks, stay.m_strRemarks);
    EXPECT_EQ(back.m_strPaid, stay.m_strPaid);
    EXPECT_EQ(back.m_strDeposit, stay.m_strDeposit);
}

}  // namespace

TEST(CsvGuests, HeaderAndRowAreTheFileFormat)
{
    const std::string header = GuestCsvHeader();
    EXPECT_EQ(header.size(), 76u);
    EXPECT_EQ(FromCodePage(header), U("房间号,姓名,性别,民族,生日,入住时间,退房时间,证件号,地址,职务备注,交钱,押金\r"));

    const GuestRecord stay = AStay();
    const std::string line = GuestCsvLine(stay);
    EXPECT_EQ(FromCodePage(line), U("203,李梅,女,回族,1990-05-17 00:00:00,2021-03-05 08:07:09,-1--1--1 -1:-1:-1,"
                                    "020102199005170026,江苏省南京市,教师,120,20.000\r"));

    CsvBadField bad;
    const GuestRecord back = GuestRecordFromCsv(RowOf(line), false, bad);
    EXPECT_EQ(bad.kind, CsvBadField::none);
    ExpectSameRecord(back, stay);
    EXPECT_NE(back.m_dtCheckOut.GetStatus(), COleDateTime::valid) << "no check-out comes back as none";
}

TEST(CsvGuests, EveryKindOfCharacterComesBackFromItsLine)
{
    const char* const texts[] = {
        "plain", "", " leading and trailing ", "a,b", ",", "\"", "\"quoted\"", "say \"hi\", then go",
        "two\nlines", "cr\r\nlf", "lone\rcr", "\r\n", ",\"\r\n\"", "全角，逗号", "中文与English混排 123",
        "0012", "-1--1--1 -1:-1:-1", "tab\there", "€", "'apostrophe", "=1+1",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        GuestRecord stay = AStay();
        stay.m_strName = U(text);
        stay.m_strRemarks = U(text);
        stay.m_strIdNumber = U(text);
        CsvBadField bad;
        const GuestRecord back = GuestRecordFromCsv(RowOf(GuestCsvLine(stay)), false, bad);
        EXPECT_EQ(bad.kind, CsvBadField::none);
        ExpectSameRecord(back, stay);
    }
}

TEST(CsvGuests, SexIsManOnlyForTheChineseWordInTheFilesEncoding)
{
    auto sex = [](const std::string& field, bool utf8) {
        CsvRow row(kGuestCsvFields);
        row[2] = field;
        CsvBadField bad;
        return GuestRecordFromCsv(row, utf8, bad).m_bSex;
    };
    EXPECT_TRUE(sex(Gbk("男"), false));
    EXPECT_FALSE(sex(Gbk("女"), false));
    EXPECT_FALSE(sex("Man", false));
    EXPECT_FALSE(sex("", false));
    EXPECT_TRUE(sex("男", true));
    EXPECT_FALSE(sex(Gbk("男"), true));
}

TEST(CsvGuests, FieldsThatCannotBeTakenAreNamed)
{
    auto badField = [](CsvRow row, bool utf8 = false) {
        CsvBadField bad;
        GuestRecordFromCsv(row, utf8, bad);
        return bad;
    };
    CsvRow row = RowOf(GuestCsvLine(AStay()));
    EXPECT_EQ(badField(row).kind, CsvBadField::none);

    CsvRow invalidGbk = row;
    invalidGbk[9] = "ok\x81\x7F";  // a lead byte before a byte no pair ends with
    EXPECT_EQ(badField(invalidGbk).kind, CsvBadField::notText);
    EXPECT_EQ(badField(invalidGbk).index, 9u);
    EXPECT_EQ(badField(row, true).kind, CsvBadField::notText) << "GBK bytes are no UTF-8";
    EXPECT_EQ(badField(row, true).index, 1u);

    CsvRow dates = row;
    dates[4] = "";  // no birthday
    dates[6] = "2021/3/7 11:30";  // as a spreadsheet rewrites a date
    EXPECT_EQ(badField(dates).kind, CsvBadField::none);
    CsvBadField bad;
    EXPECT_EQ(GuestRecordFromCsv(dates, false, bad).m_dtCheckOut.Format("%Y-%m-%d %H:%M"), "2021-03-07 11:30");
    dates[5] = "next Tuesday";
    EXPECT_EQ(badField(dates).kind, CsvBadField::notDate);
    EXPECT_EQ(badField(dates).index, 5u);
    dates[5] = std::string(30000, ' ') + "1";
    EXPECT_EQ(badField(dates).kind, CsvBadField::notDate) << "a long field is no date, and no trouble";
    dates[5] = "12:30:15." + std::string(30000, '9');
    EXPECT_EQ(badField(dates).kind, CsvBadField::notDate);
}

// ---------------------------------------------------------------- transfers

namespace {

// The stays and the cash book of a sandbox, with the files of one test.
class CsvTransfers : public CsvFiles
{
protected:
    void SetUp() override
    {
        CsvFiles::SetUp();
        SKIP_WITHOUT_BACKEND(m_env);
        Connect(m_reg, "Register.db");
        Connect(m_cash, "Cashbook.db");
        m_reg.ExecuteSQL("DELETE FROM [register]");
        m_cash.ExecuteSQL("DELETE FROM [cashbook]");
    }
    void Connect(CDatabase& db, const char* file)
    {
        db.OpenEx(m_env.ConnectString(file));
    }

    std::vector<GuestRecord> Stays()
    {
        CRegisterset rs(&m_reg);
        rs.Open(CRecordset::dynaset);
        std::vector<GuestRecord> stays;
        for (; !rs.IsEOF(); rs.MoveNext())
            stays.push_back(rs.GetGuestRecord());
        return stays;
    }

    CsvImportResult ImportStays(const std::string& path, std::vector<int>* steps = nullptr)
    {
        CRegisterset rs(&m_reg);
        rs.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly);
        return ImportCsv(GuestCsvTable(rs), wxString::FromUTF8(path),
                         [steps](int percent) { if (steps) steps->push_back(percent); });
    }

    bool ExportStays(const std::string& path)
    {
        CRegisterset rs(&m_reg);
        rs.Open(CRecordset::dynaset);
        CCsvFile file;
        return file.Open(wxString::FromUTF8(path).ToStdWstring(), CCsvFile::modeReplace) &&
               ExportCsv(GuestCsvTable(rs), file);
    }

    TestEnvironment m_env;
    CDatabase m_reg, m_cash;
};

// A guest-records file as a spreadsheet saves it: CR LF, quoted fields with
// commas, doubled quotes and a line break, an ID number with a leading zero.
std::string SpreadsheetGuestFile()
{
    return Gbk("房间号,姓名,性别,民族,生日,入住时间,退房时间,证件号,地址,职务备注,交钱,押金\r\n"
               "101,\"王五, 先生\",男,汉族,1980-01-01 00:00:00,2021-03-05 08:07:09,2021-03-07 11:30:00,"
               "010101198001010011,\"北京市\r\n朝阳区\",\"说 \"\"你好\"\"\",160,0\r\n"
               "203,李梅,女,回族,1990-05-17 00:00:00,2021-03-06 21:00:05,-1--1--1 -1:-1:-1,"
               "320102199005170026,江苏省南京市,教师,120,20.000\r\n");
}

}  // namespace

TEST_F(CsvTransfers, ASpreadsheetsGbkFileImportsExactly)
{
    std::vector<int> steps;
    const CsvImportResult result = ImportStays(Write("guests.csv", SpreadsheetGuestFile()), &steps);
    ASSERT_EQ(result.kind, CsvImportResult::imported);
    EXPECT_EQ(result.rows, 2);
    EXPECT_FALSE(result.utf8);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back(), 100);
    EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end()));

    const std::vector<GuestRecord> stays = Stays();
    ASSERT_EQ(stays.size(), 2u);
    EXPECT_EQ(stays[0].m_strName, U("王五, 先生"));
    EXPECT_TRUE(stays[0].m_bSex);
    EXPECT_EQ(stays[0].m_strIdNumber, "010101198001010011");
    EXPECT_EQ(stays[0].m_strNativePlace, U("北京市\r\n朝阳区"));
    EXPECT_EQ(stays[0].m_strRemarks, U("说 \"你好\""));
    EXPECT_EQ(stays[0].m_dtCheckOut.Format("%Y-%m-%d %H:%M:%S"), "2021-03-07 11:30:00");
    EXPECT_EQ(stays[1].m_strName, U("李梅"));
    EXPECT_FALSE(stays[1].m_bSex);
    EXPECT_EQ(stays[1].m_dtCheckOut.GetStatus(), COleDateTime::null) << "a running stay comes back running";
    EXPECT_EQ(stays[1].m_strDeposit, "20.000");
}

// A spreadsheet's UTF-8 file with a header of its own is read as UTF-8, not
// stored garbled (李四 as 鏉庡洓); the same file in GBK as GBK.
TEST_F(CsvTransfers, AnEditedHeaderDoesNotHideTheEncoding)
{
    const std::string file = "Room,Name,Sex,Nation,Birth,In,Out,ID,Address,Remarks,Paid,Deposit\r"
                             "101,李四,男,汉族,1980-01-01 00:00:00,2021-03-05 08:07:09,-1--1--1 -1:-1:-1,1,北京,,100,0\r";
    for (const std::string& bytes : {file, Gbk(file.c_str())}) {
        m_reg.ExecuteSQL("DELETE FROM [register]");
        const CsvImportResult result = ImportStays(Write("edited.csv", bytes));
        ASSERT_EQ(result.kind, CsvImportResult::imported);
        EXPECT_EQ(result.utf8, bytes == file);
        const std::vector<GuestRecord> stays = Stays();
        ASSERT_EQ(stays.size(), 1u);
        EXPECT_EQ(stays[0].m_strName, U("李四"));
        EXPECT_EQ(stays[0].m_strNativePlace, U("北京"));
        EXPECT_TRUE(stays[0].m_bSex);
    }
}

TEST_F(CsvTransfers, AFifoIsRefusedWithoutWaiting)
{
    const QuietFifo fifo(PathOf("pipe.csv"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ImportStays(fifo.Path()).kind, CsvImportResult::notRegularFile);
    EXPECT_EQ(ImportStays("/dev/zero").kind, CsvImportResult::notRegularFile);
    EXPECT_TRUE(Prompt(start)) << "the import waited";
    EXPECT_TRUE(Stays().empty());
}

TEST_F(CsvTransfers, AUtf8FileWithAByteOrderMarkOrItsHeaderInUtf8ImportsExactly)
{
    const std::string utf8 = FromCodePage(SpreadsheetGuestFile()).utf8_string();
    for (const std::string& file : {std::string(kBom) + utf8, utf8}) {
        m_reg.ExecuteSQL("DELETE FROM [register]");
        const CsvImportResult result = ImportStays(Write("utf8.csv", file));
        ASSERT_EQ(result.kind, CsvImportResult::imported);
        EXPECT_TRUE(result.utf8);
        const std::vector<GuestRecord> stays = Stays();
        ASSERT_EQ(stays.size(), 2u);
        EXPECT_EQ(stays[0].m_strName, U("王五, 先生"));
        EXPECT_TRUE(stays[0].m_bSex);
        EXPECT_EQ(stays[1].m_strNativePlace, U("江苏省南京市"));
    }
}

TEST_F(CsvTransfers, ExportThenImportGivesBackEveryStay)
{
    CRegisterset rs(&m_reg);
    rs.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly);
    const char* const awkward[] = {"a,b", "say \"hi\"", "two\r\nlines", "lone\nlf", "全角，逗号", " padded ", ""};
    for (const char* text : awkward) {
        GuestRecord stay = AStay();
        stay.m_strName = U(text);
        stay.m_strRemarks = U(text);
        stay.m_strNativePlace = U(text);
        rs.AddNew();
        rs.SetGuestRecord(stay);
        rs.Update();
    }
    const std::vector<GuestRecord> before = Stays();
    const std::string path = PathOf("all.csv");
    ASSERT_TRUE(ExportStays(path));
    EXPECT_EQ(Read(ReadFileText(path)).size(), before.size() + 1) << "a spreadsheet sees one row per stay";

    ASSERT_EQ(ImportStays(path).kind, CsvImportResult::imported);
    const std::vector<GuestRecord> after = Stays();
    ASSERT_EQ(after.size(), 2 * before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        SCOPED_TRACE(awkward[i]);
        ExpectSameRecord(after[before.size() + i], before[i]);
    }
}

TEST_F(CsvTransfers, ARowThatCannotBeReadRefusesTheWholeFileAndNamesItsLine)
{
    const std::string header = Gbk("房间号,姓名,性别,民族,生日,入住时间,退房时间,证件号,地址,职务备注,交钱,押金\r\n");
    const std::string good = Gbk("101,张三,男,汉族,1980-01-01 00:00:00,2021-03-05 08:07:09,,1,北京,,160,0\r\n");
    struct Case
    {
        const char* name;
        std::string bad;
        CsvImportResult::Kind kind;
        long line;
    };
    const Case cases[] = {
        {"eleven fields", "102,a,b,c,,,,,,,1\r\n", CsvImportResult::fieldCount, 3},
        {"thirteen fields", "102,a,b,c,,,,,,,1,2,3\r\n", CsvImportResult::tooManyFields, 3},
        {"open quote", "102,\"a,b,c\r\n" + good, CsvImportResult::unclosedQuote, 3},
        {"not a date", Gbk("102,张三,男,汉族,1980-01-01,昨天,,1,北京,,160,0\r\n"), CsvImportResult::notDate, 3},
        {"not GBK", "102,\xFF\xFE,a,b,,,,1,,,1,0\r\n", CsvImportResult::notText, 3},
        {"NUL byte", std::string("102,a\0b,a,b,,,,1,,,1,0\r\n", 24), CsvImportResult::nulByte, 3},
        {"1 MB field", "102,\"" + std::string(1 << 20, 'x') + "\",a,b,,,,1,,,1,0\r\n", CsvImportResult::rowTooLong, 3},
        {"10 MB line", std::string(10 << 20, 'x') + "\r\n", CsvImportResult::rowTooLong, 3},
        {"a million commas", std::string(1000000, ',') + "\r\n", CsvImportResult::tooManyFields, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CsvImportResult result = ImportStays(Write("bad.csv", header + good + c.bad + good));
        EXPECT_EQ(result.kind, c.kind);
        EXPECT_EQ(result.line, c.line);
        EXPECT_EQ(result.rows, 0);
        EXPECT_TRUE(Stays().empty()) << "nothing of the file is stored, not even the good row before it";
    }
    const CsvImportResult notDate = ImportStays(Write("bad.csv", header + good + cases[3].bad));
    EXPECT_EQ(notDate.field, 6u);
    EXPECT_EQ(ImportStays(Write("bad.csv", header + good + cases[0].bad)).fields, 11u);
}

TEST_F(CsvTransfers, FilesOfAnotherKindAreRefusedBeforeAnyRow)
{
    const std::string cashRow = "101,GuestA,2021-03-05 14:07:09,300,100,200,1\r";
    for (const std::string& bytes : {std::string(), std::string("\r\n\r\n"), CashbookCsvHeader() + cashRow,
                                     std::string("\0\0\0\0", 4), std::string("\"") + GuestCsvHeader()}) {
        EXPECT_EQ(ImportStays(Write("other.csv", bytes)).kind, CsvImportResult::notOfThisKind);
    }
    EXPECT_EQ(ImportStays(PathOf("missing.csv")).kind, CsvImportResult::notOfThisKind);
    EXPECT_EQ(ImportStays(Write("header.csv", GuestCsvHeader())).kind, CsvImportResult::imported)
        << "a header alone is an empty book";
    EXPECT_TRUE(Stays().empty());
}

TEST_F(CsvTransfers, AFailedWriteRollsBackTheWholeFile)
{
    // The table refuses the second row: the first goes with it.
    if (TestEnvironment::Backend() == TestBackend::sqlite)
        m_cash.ExecuteSQL(U("CREATE TRIGGER refuse BEFORE INSERT ON [cashbook] WHEN NEW.[姓名] = 'B' "
                            "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END"));
    else
        m_cash.ExecuteSQL(U("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                            "IF NEW.[姓名] = 'B' THEN RAISE 'refused by the test'; END IF; RETURN NEW; END $$; "
                            "CREATE TRIGGER refuse BEFORE INSERT ON [cashbook] FOR EACH ROW EXECUTE FUNCTION refuse()"));
    const std::string file =
        Write("cash.csv", CashbookCsvHeader() + "101,A,2021-03-05 14:07:09,300,100,200,1\r"
                                                "102,B,2021-03-05 14:07:09,300,100,200,1\r");
    CCashbookset cb(&m_cash);
    cb.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly);
    try {
        ImportCsv(CashbookCsvTable(cb), wxString::FromUTF8(file));
        ADD_FAILURE() << "the refused row must be reported";
    } catch (const CDBException& e) {
        EXPECT_NE(e.m_strError.find("refused by the test"), CString::npos) << e.m_strError;
    }
    CCashbookset check(&m_cash);
    check.Open(CRecordset::dynaset);
    EXPECT_EQ(check.GetRecordCount(), 0);
}

TEST_F(CsvTransfers, ACashBookFileRoundTrips)
{
    CCashbookset cb(&m_cash);
    cb.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly);
    ASSERT_TRUE(cb.AddRecord("101", U("张三, Jr"), COleDateTime(2021, 3, 5, 14, 7, 9), "300", "100", "-20.5", TRUE));
    ASSERT_TRUE(cb.AddRecord("102", "\"B\"", COleDateTime(2021, 12, 31, 23, 59, 58), "0", "0", "0", FALSE));
    const std::string path = PathOf("cash.csv");
    {
        CCashbookset all(&m_cash);
        all.Open(CRecordset::dynaset);
        CCsvFile file;
        ASSERT_TRUE(file.Open(wxString::FromUTF8(path).ToStdWstring(), CCsvFile::modeWrite));
        ASSERT_TRUE(ExportCsv(CashbookCsvTable(all), file));
    }
    EXPECT_EQ(ReadFileText(path), CashbookCsvHeader() + Gbk("101,\"张三, Jr\",2021-03-05 14:07:09,300,100,-20.5,1\r") +
                                      "102,\"\"\"B\"\"\",2021-12-31 23:59:58,0,0,0,0\r");
    CCashbookset adder(&m_cash);
    adder.Open(CRecordset::dynaset, CString(), CRecordset::appendOnly);
    ASSERT_EQ(ImportCsv(CashbookCsvTable(adder), wxString::FromUTF8(path)).rows, 2);

    CCashbookset all(&m_cash);
    all.Open(CRecordset::dynaset);
    std::vector<CString> names;
    for (; !all.IsEOF(); all.MoveNext())
        names.push_back(all.m_strName + "|" + all.m_dtTime.Format("%Y-%m-%d %H:%M:%S") + "|" + all.m_strAmount +
                        (all.m_bStatus ? "|1" : "|0"));
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[2], names[0]);
    EXPECT_EQ(names[3], names[1]);
    EXPECT_EQ(names[2], U("张三, Jr|2021-03-05 14:07:09|-20.5|1"));
}

TEST_F(CsvTransfers, AnExportWritesTheLinesTheRowsMembersGive)
{
    // Values as the program and other programs store them: quoting, characters
    // GBK lacks, bytes that are no UTF-8, texts and dates past the fetch buffers,
    // dates of every form and none, flags other than 0 and 1.
    SKIP_ON_SERVER("a server's columns hold no text in a date, no bytes that are no UTF-8");
    const char* const texts[] = {
        "'101'", "''", "'客人'", "'a,b'", "'say \"hi\"'", "'two'||char(13,10)||'lines'", "'😀€ǹ'",
        "CAST(X'C328' AS TEXT)", "replace(hex(zeroblob(150)),'0','中')",
        "replace(hex(zeroblob(1500)),'0','中')", "12"};
    const char* const dates[] = {
        "'2021-03-05 08:07:09'", "'2021-03-05 08:07:09.499'", "'2021-03-05 08:07:09.500'",
        "'2021-12-31 23:59:59.999'", "'0999-01-02 03:04:05'", "'2021-02-30 00:00:00'", "'2021/3/5 8:07'",
        "'  '", "NULL", "'garbage'", "'2021-03-05'", "'2021-03-05 08:07:09.'||replace(hex(zeroblob(30)),'0','1')",
        "2459945.5", "'2021-03-05 08:07:09.123'", "'2021-03-05 08:07:0x'"};
    const char* const flags[] = {"0", "1", "2", "-1", "'1abc'"};
    const size_t T = std::size(texts), D = std::size(dates), F = std::size(flags);
    m_reg.BeginTrans();
    m_cash.BeginTrans();
    for (size_t i = 0; i < 300; ++i) {
        const auto text = [&](size_t k) { return CString(U(texts[(i + k) % T])); };
        const auto date = [&](size_t k) { return CString(U(dates[(i + k) % D])); };
        const CString flag = flags[i % F];
        m_reg.ExecuteSQL(U("INSERT INTO [register]([房间号],[姓名],[性别],[民族],[出生年月],[住房日期],[退房日期],"
                           "[证件号],[籍贯],[本人职务备注],[交钱],[押金]) VALUES (") +
                         text(0) + "," + text(1) + "," + flag + "," + text(2) + "," + date(0) + "," + date(3) + "," +
                         date(7) + "," + text(3) + "," + text(4) + "," + text(5) + "," + text(6) + "," + text(7) + ")");
        m_cash.ExecuteSQL(U("INSERT INTO [cashbook]([房间号],[姓名],[时间],[交钱],[押金],[交易金额],[状态]) VALUES (") +
                          text(8) + "," + text(9) + "," + date(5) + "," + text(10) + "," + text(0) + "," + text(1) +
                          "," + flag + ")");
    }
    m_reg.CommitTrans();
    m_cash.CommitTrans();

    std::string guests = GuestCsvHeader(), cash = CashbookCsvHeader();
    CRegisterset rs(&m_reg);
    for (rs.Open(CRecordset::dynaset); !rs.IsEOF(); rs.MoveNext())
        guests += GuestCsvLine(rs.GetGuestRecord());
    CCashbookset cb(&m_cash);
    for (cb.Open(CRecordset::dynaset); !cb.IsEOF(); cb.MoveNext()) {
        CashbookCsvRecord rec;
        rec.m_strRoomNo = cb.m_strRoomNo;
        rec.m_strName = cb.m_strName;
        rec.m_dtTime = cb.m_dtTime;
        rec.m_strPaid = cb.m_strPaid;
        rec.m_strDeposit = cb.m_strDeposit;
        rec.m_strAmount = cb.m_strAmount;
        rec.m_bStatus = cb.m_bStatus;
        cash += CashbookCsvLine(rec);
    }

    ASSERT_TRUE(ExportStays(PathOf("guests.csv")));
    EXPECT_EQ(ReadFileText(PathOf("guests.csv")), guests);
    CCsvFile file;
    ASSERT_TRUE(file.Open(wxString::FromUTF8(PathOf("cash.csv")).ToStdWstring(), CCsvFile::modeWrite));
    ASSERT_TRUE(ExportCsv(CashbookCsvTable(cb), file));
    EXPECT_EQ(ReadFileText(PathOf("cash.csv")), cash);

    // Lines that fail to reach the disk while rows are still read are reported.
    if (fs::exists("/dev/full")) {
        CCsvFile full;
        ASSERT_TRUE(full.Open(L"/dev/full", CCsvFile::modeWrite));
        EXPECT_FALSE(ExportCsv(GuestCsvTable(rs), full));
    }
}

TEST(CsvMessages, EveryUnreadableRowIsNamedByItsLineInBothLanguages)
{
    CsvImportResult r;
    r.line = 7;
    r.fields = 11;
    r.field = 6;
    for (int kind = CsvImportResult::fieldCount; kind <= CsvImportResult::notDate; ++kind) {
        SCOPED_TRACE(kind);
        r.kind = CsvImportResult::Kind(kind);
        const CString chinese = UnreadableRowMessage(r, kGuestCsvFields, 1);
        const CString english = UnreadableRowMessage(r, kGuestCsvFields, 2);
        EXPECT_TRUE(chinese.StartsWith(U("第7行无法读取："))) << chinese;
        EXPECT_EQ(chinese.Find(U("：。")), wxNOT_FOUND) << "every kind has its reason";
        EXPECT_TRUE(english.StartsWith("Line 7 cannot be read: ")) << english;
        EXPECT_EQ(english.Find(": ."), wxNOT_FOUND);
    }
    r.kind = CsvImportResult::notText;
    r.utf8 = true;
    EXPECT_EQ(UnreadableRowMessage(r, kGuestCsvFields, 2),
              "Line 7 cannot be read: field 6 is not UTF-8 text. Nothing of the file was imported.");
    r.kind = CsvImportResult::fieldCount;
    EXPECT_EQ(UnreadableRowMessage(r, kGuestCsvFields, 1),
              U("第7行无法读取：有11个字段，应为12个。文件中的记录都没有导入。"));
}
