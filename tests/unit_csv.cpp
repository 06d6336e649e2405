// The CSV reader and writer, and the two row formats of the import/export
// pages: exact bytes written, rows read back, and what damaged files give.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include <unistd.h>

#include "CCsvFile.h"
#include "CodePage.h"
#include "CsvRecords.h"
#include "TestEnvironment.h"

namespace {

namespace fs = std::filesystem;
typedef std::vector<CsvRow> Rows;

wxString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

// The fields of one written line, split as the reader splits it.
CsvRow SplitLine(const std::string& line)
{
    CsvRow fields(1);
    for (char c : line.substr(0, line.find('\r'))) {
        if (c == ',')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
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
    Rows Read(const std::string& bytes) const
    {
        CCsvFile csv;
        Rows rows;
        EXPECT_TRUE(csv.ReadAll(Write("in.csv", bytes), rows));
        return rows;
    }

    std::string m_folder;
};

}  // namespace

// ---------------------------------------------------------------- reading

TEST_F(CsvFiles, FieldsAreSplitAtEveryCommaWithEmptyFieldsKept)
{
    EXPECT_EQ(Read("a,b,c\r"), (Rows{{"a", "b", "c"}}));
    EXPECT_EQ(Read("a,,c\r"), (Rows{{"a", "", "c"}}));
    EXPECT_EQ(Read("a,b,\r"), (Rows{{"a", "b", ""}}));
    // Nothing is quoted: quotes are bytes and a quoted comma still splits.
    EXPECT_EQ(Read("\"x,y\",z\r"), (Rows{{"\"x", "y\"", "z"}}));
}

TEST_F(CsvFiles, LinesEndAtCrCrLfOrLfAndEmptyLinesArePassedOver)
{
    const Rows two{{"a", "b"}, {"c", "d"}};
    EXPECT_EQ(Read("a,b\rc,d\r"), two);
    EXPECT_EQ(Read("a,b\r\nc,d\r\n"), two) << "as spreadsheets save the file";
    EXPECT_EQ(Read("a,b\nc,d\n"), two);
    EXPECT_EQ(Read("a,b\r\r\n  \rc,d\r"), two) << "empty and blank lines hold no row, and do not end the file";
    EXPECT_EQ(Read("a,b\rc,d"), two) << "a last line without its line end counts";
    EXPECT_EQ(Read("a,b\rsingle\r"), (Rows{{"a", "b"}, {"single"}}));
    EXPECT_EQ(Read(std::string("a\0b,c\r", 6)), (Rows{{"ab", "c"}})) << "NUL bytes are dropped";
    EXPECT_TRUE(Read("").empty());
}

TEST_F(CsvFiles, RowsAccumulateOverReadsAndAMissingFileChangesNothing)
{
    CCsvFile csv;
    Rows rows;
    ASSERT_TRUE(csv.ReadAll(Write("1.csv", "a,b\r"), rows));
    ASSERT_TRUE(csv.ReadAll(Write("2.csv", "c,d\r"), rows));
    EXPECT_EQ(rows, (Rows{{"a", "b"}, {"c", "d"}}));

    testing::internal::CaptureStdout();
    EXPECT_FALSE(csv.ReadAll(PathOf("missing.csv"), rows));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "open csv file" + PathOf("missing.csv") + "failed!\n");
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

    const CashbookCsvRecord back = CashbookRecordFromCsv(SplitLine(line));
    EXPECT_EQ(back.m_strRoomNo, "101");
    EXPECT_EQ(back.m_strName, "GuestA");
    EXPECT_EQ(back.m_dtTime.Format("%Y-%m-%d %H:%M:%S"), "2021-03-05 14:07:09");
    EXPECT_EQ(back.m_strAmount, "200");
    EXPECT_TRUE(back.m_bStatus);
}

TEST(CsvCashbook, StatusIsTrueExactlyWhenItStartsWithOne)
{
    auto status = [](const char* field) {
        return CashbookRecordFromCsv(CsvRow{"1", "n", "2021-01-01 00:00:00", "0", "0", "0", field}).m_bStatus;
    };
    EXPECT_TRUE(status("1"));
    EXPECT_TRUE(status("10"));
    EXPECT_FALSE(status("0"));
    EXPECT_FALSE(status(""));
    EXPECT_FALSE(status("TRUE"));
}

TEST(CsvCashbook, ACommaOrLineEndInAValueCannotShiftTheColumns)
{
    CashbookCsvRecord rec;
    rec.m_strRoomNo = "101";
    rec.m_strName = "Smith, John\r\nJr";
    rec.m_dtTime = COleDateTime(2021, 3, 5, 14, 7, 9);
    rec.m_strPaid = "1,000";
    const std::string line = CashbookCsvLine(rec);
    EXPECT_EQ(std::count(line.begin(), line.end(), '\r'), 1);
    const CsvRow fields = SplitLine(line);
    ASSERT_EQ(fields.size(), kCashbookCsvFields);
    const CashbookCsvRecord back = CashbookRecordFromCsv(fields);
    EXPECT_EQ(back.m_strName, U("Smith， John Jr"));
    EXPECT_EQ(back.m_strPaid, U("1，000"));
    EXPECT_EQ(back.m_dtTime.Format("%Y-%m-%d %H:%M:%S"), "2021-03-05 14:07:09");
}

// ---------------------------------------------------------------- guest-records rows

TEST(CsvGuests, HeaderAndRowAreTheFileFormat)
{
    const std::string header = GuestCsvHeader();
    EXPECT_EQ(header.size(), 76u);
    EXPECT_EQ(FromCodePage(header), U("房间号,姓名,性别,民族,生日,入住时间,退房时间,证件号,地址,职务备注,交钱,押金\r"));

    GuestRecord stay;
    stay.m_strRoomNo = "203";
    stay.m_strName = U("李梅");
    stay.m_bSex = FALSE;
    stay.m_strNation = U("回族");
    stay.m_dtBirth = COleDateTime(1990, 5, 17, 0, 0, 0);
    stay.m_dtCheckIn = COleDateTime(2021, 3, 5, 8, 7, 9);
    stay.m_dtCheckOut.SetStatus(COleDateTime::null);  // still staying
    stay.m_strIdNumber = "320102199005170026";
    stay.m_strNativePlace = U("江苏省南京市");
    stay.m_strRemarks = U("教师");
    stay.m_strPaid = "120";
    stay.m_strDeposit = "20.000";
    const std::string line = GuestCsvLine(stay);
    EXPECT_EQ(FromCodePage(line), U("203,李梅,女,回族,1990-05-17 00:00:00,2021-03-05 08:07:09,-1--1--1 -1:-1:-1,"
                                    "320102199005170026,江苏省南京市,教师,120,20.000\r"));

    const CsvRow fields = SplitLine(line);
    ASSERT_EQ(fields.size(), kGuestCsvFields);
    const GuestRecord back = GuestRecordFromCsv(fields);
    EXPECT_EQ(back.m_strName, U("李梅"));
    EXPECT_FALSE(back.m_bSex);
    EXPECT_EQ(back.m_dtCheckIn.Format("%Y-%m-%d %H:%M:%S"), "2021-03-05 08:07:09");
    EXPECT_NE(back.m_dtCheckOut.GetStatus(), COleDateTime::valid) << "no check-out comes back as none";
    EXPECT_EQ(back.m_strNativePlace, U("江苏省南京市"));
    EXPECT_EQ(back.m_strDeposit, "20.000");
}

TEST(CsvGuests, SexIsManOnlyForTheChineseWord)
{
    auto sex = [](const std::string& field) {
        CsvRow row(kGuestCsvFields);
        row[2] = field;
        return GuestRecordFromCsv(row).m_bSex;
    };
    EXPECT_TRUE(sex(ToCodePage(U("男"))));
    EXPECT_FALSE(sex(ToCodePage(U("女"))));
    EXPECT_FALSE(sex("Man"));
    EXPECT_FALSE(sex(""));
}

// ---------------------------------------------------------------- file kinds

TEST(CsvKinds, AFileFitsWithAHeaderOfExactlyItsFieldsAndNoShortRow)
{
    const CsvRow seven(7), six(6), eight(8);
    EXPECT_TRUE(CsvRowsFit({seven}, 7)) << "a header alone is an empty book";
    EXPECT_TRUE(CsvRowsFit({seven, seven, eight}, 7)) << "fields past the seventh are ignored";
    EXPECT_FALSE(CsvRowsFit({}, 7));
    EXPECT_FALSE(CsvRowsFit({six, seven}, 7));
    EXPECT_FALSE(CsvRowsFit({eight, seven}, 7));
    EXPECT_FALSE(CsvRowsFit({seven, seven, six}, 7)) << "a damaged row refuses the whole file";
    EXPECT_FALSE(CsvRowsFit({CsvRow(7)}, 12));
}
