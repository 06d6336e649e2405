// The platform layer: dates, settings files, code pages, program folder and DSN registration.
#include <gtest/gtest.h>

#include <csignal>
#include <iconv.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "COleDateTime.h"
#include "CodePage.h"
#include "Database.h"
#include "MessageBox.h"
#include "OdbcInstaller.h"
#include "Profile.h"
#include "ProgramFolder.h"

namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A fresh folder with HOME and ODBCINI inside it, restored afterwards.
class TempFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/unit_platform_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        Save("HOME", m_home);
        Save("ODBCINI", m_odbcIni);
        setenv("HOME", m_dir.c_str(), 1);
        setenv("ODBCINI", (m_dir + "/odbc.ini").c_str(), 1);
    }
    void TearDown() override
    {
        Restore("HOME", m_home);
        Restore("ODBCINI", m_odbcIni);
        std::system(("rm -rf '" + m_dir + "'").c_str());
    }
    std::wstring Path(const char* name) const { return CString(m_dir + "/" + name).ToStdWstring(); }

    std::string m_dir;

private:
    struct Saved { bool set = false; std::string value; };
    static void Save(const char* name, Saved& s)
    {
        const char* v = std::getenv(name);
        s.set = v != nullptr;
        s.value = v ? v : "";
    }
    static void Restore(const char* name, const Saved& s)
    {
        if (s.set) setenv(name, s.value.c_str(), 1);
        else unsetenv(name);
    }
    Saved m_home, m_odbcIni;
};

}  // namespace

TEST(OleDate, PartsOfKnownDates)
{
    COleDateTime epoch;
    EXPECT_EQ(epoch.GetYear(), 1899);
    EXPECT_EQ(epoch.GetMonth(), 12);
    EXPECT_EQ(epoch.GetDay(), 30);

    COleDateTime leap(2024, 2, 29, 23, 59, 58);
    ASSERT_EQ(leap.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(leap.GetDayOfYear(), 60);
    EXPECT_EQ(leap.GetDayOfWeek(), 5);  // a Thursday
    EXPECT_EQ(leap.GetSecond(), 58);
    EXPECT_NEAR(COleDateTime(2000, 1, 1, 0, 0, 0).m_dt, 36526.0, 1e-9);

    // Before the epoch the fraction is the time of the (negative) day.
    COleDateTime before(-1.25);
    EXPECT_EQ(before.GetDay(), 29);
    EXPECT_EQ(before.GetHour(), 6);
    COleDateTime back;
    back.SetDateTime(1899, 12, 29, 6, 0, 0);
    EXPECT_DOUBLE_EQ(back.m_dt, -1.25);
}

TEST(OleDate, OutOfRangeAndStatus)
{
    COleDateTime d;
    EXPECT_EQ(d.SetDateTime(2023, 2, 29, 0, 0, 0), 1);
    EXPECT_EQ(d.GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(d.GetYear(), -1);
    EXPECT_EQ(d.Format("%Y"), "Invalid DateTime");
    EXPECT_EQ(d.SetDateTime(99, 1, 1, 0, 0, 0), 1);
    EXPECT_EQ(d.SetDateTime(2024, 1, 1, 24, 0, 0), 1);
    EXPECT_EQ(d.SetDateTime(2024, 12, 31, 23, 59, 59), 0);
    EXPECT_EQ(d.GetStatus(), COleDateTime::valid);

    d.SetStatus(COleDateTime::null);
    EXPECT_EQ(d.Format("%Y-%m-%d"), "");
    EXPECT_EQ(d.GetMonth(), -1);
}

TEST(OleDate, RoundsToNearestSecondButKeepsMilliseconds)
{
    COleDateTime almost(COleDateTime(2024, 3, 5, 23, 59, 59).m_dt + 0.9999999 / 86400.0);
    EXPECT_EQ(almost.GetDay(), 6);
    EXPECT_EQ(almost.GetHour(), 0);
    EXPECT_EQ(almost.GetSecond(), 0);

    COleDateTime half;
    half.SetDateTimeMs(2024, 3, 5, 10, 0, 0, 500);
    EXPECT_EQ(half.GetSecond(), 1);
    int y, mo, d, h, mi, s, ms;
    ASSERT_TRUE(half.GetParts(y, mo, d, h, mi, s, ms));
    EXPECT_EQ(s, 0);
    EXPECT_EQ(ms, 500);

    COleDateTime low;
    low.SetDateTimeMs(2024, 3, 5, 10, 0, 0, 499);
    EXPECT_EQ(low.GetSecond(), 0);
}

TEST(OleDate, FormatConversions)
{
    COleDateTime d(2024, 3, 5, 14, 7, 9);
    EXPECT_EQ(d.Format("%Y-%m-%d %H:%M:%S"), "2024-03-05 14:07:09");
    EXPECT_EQ(d.Format(wxString::FromUTF8("%Y年%m月%d日%H时%M分")), wxString::FromUTF8("2024年03月05日14时07分"));
    EXPECT_EQ(d.Format("%A %a %B %b %y %j %p %%"), "Tuesday Tue March Mar 24 065 PM %");
}

TEST(OleDate, ParseAcceptedForms)
{
    struct Case { const char* text; int y, mo, d, h, mi, s; };
    const Case cases[] = {
        {"2024-03-05", 2024, 3, 5, 0, 0, 0},
        {"2024-03-05 14:30:00", 2024, 3, 5, 14, 30, 0},
        {"2024/3/5 14:30", 2024, 3, 5, 14, 30, 0},
        {"2024/03/05 14:30:15", 2024, 3, 5, 14, 30, 15},
        {"2024年03月05日", 2024, 3, 5, 0, 0, 0},
        {"2024年03月05日14时30分", 2024, 3, 5, 14, 30, 0},
        {"5.3.2024", 2024, 3, 5, 0, 0, 0},
        {"14:30", 1899, 12, 30, 14, 30, 0},
        {"2024-03-05 2:30 PM", 2024, 3, 5, 14, 30, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        COleDateTime d;
        ASSERT_TRUE(d.ParseDateTime(wxString::FromUTF8(c.text)));
        EXPECT_EQ(d.GetYear(), c.y);
        EXPECT_EQ(d.GetMonth(), c.mo);
        EXPECT_EQ(d.GetDay(), c.d);
        EXPECT_EQ(d.GetHour(), c.h);
        EXPECT_EQ(d.GetMinute(), c.mi);
        EXPECT_EQ(d.GetSecond(), c.s);
    }
    for (const char* bad : {"", "hello", "2024-13-01", "2024-02-30", "2024-03-05 25:00", "2024-03-05x"}) {
        SCOPED_TRACE(bad);
        COleDateTime d;
        EXPECT_FALSE(d.ParseDateTime(bad));
        EXPECT_EQ(d.GetStatus(), COleDateTime::invalid);
    }
}

TEST(OleDate, ParseTakesLongTextsInOnePass)
{
    // Texts a CSV import may carry; each once ended the program with a stack overflow.
    const CString blanks(' ', 30000), digits('1', 30000);
    COleDateTime d;
    EXPECT_FALSE(d.ParseDateTime(blanks));
    EXPECT_FALSE(d.ParseDateTime(digits));
    EXPECT_FALSE(d.ParseDateTime("12:30:15." + digits + "x"));
    ASSERT_TRUE(d.ParseDateTime("12:30:15.2" + digits));
    EXPECT_EQ(d.Format("%H:%M:%S"), "12:30:15");
    int y, mo, da, h, mi, s, ms;
    ASSERT_TRUE(d.GetParts(y, mo, da, h, mi, s, ms));
    EXPECT_EQ(ms, 211);  // three digits of the fraction count, the rest are dropped
    ASSERT_TRUE(d.ParseDateTime(blanks + "2024-03-05" + blanks));
    EXPECT_EQ(d.Format("%Y-%m-%d"), "2024-03-05");
}

TEST(OleDate, FormatParseRoundTripAndSpans)
{
    COleDateTime d(2021, 7, 31, 23, 15, 0);
    COleDateTime parsed;
    ASSERT_TRUE(parsed.ParseDateTime(d.Format(wxString::FromUTF8("%Y年%m月%d日%H时%M分"))));
    EXPECT_NEAR(parsed.m_dt, d.m_dt, 1e-9);

    COleDateTime later = d + COleDateTimeSpan(1, 1, 0, 0);
    EXPECT_EQ(later.Format("%Y-%m-%d %H:%M"), "2021-08-02 00:15");
    EXPECT_EQ((later - d).GetDays(), 1);
    EXPECT_NEAR((later - d).GetTotalHours(), 25.0, 1e-6);
    EXPECT_EQ((d - later).GetDays(), -1);
    // Across the epoch the arithmetic follows time, not the raw numbers.
    COleDateTime early = COleDateTime(0.25) - COleDateTimeSpan(0.5);
    EXPECT_EQ(early.Format("%Y-%m-%d %H:%M"), "1899-12-29 18:00");
    EXPECT_NEAR((COleDateTime(0.25) - early).GetTotalHours(), 12.0, 1e-6);

    COleDateTime now = COleDateTime::GetCurrentTime();
    EXPECT_EQ(now.GetStatus(), COleDateTime::valid);
    EXPECT_GE(now.GetYear(), 2024);
}

TEST_F(TempFolder, ProfileDefaultsWithoutFile)
{
    std::wstring ini = Path("none.ini");
    EXPECT_EQ(GetPrivateProfileIntW(L"S", L"K", 42, ini.c_str()), 42u);
    wchar_t buf[20];
    EXPECT_EQ(GetPrivateProfileStringW(L"S", L"K", L"fallback", buf, 20, ini.c_str()), 8u);
    EXPECT_STREQ(buf, L"fallback");
    EXPECT_EQ(GetPrivateProfileStringW(L"S", L"K", L"a default longer than this", buf, 5, ini.c_str()), 4u);
    EXPECT_STREQ(buf, L"a de");
    buf[0] = L'x';
    EXPECT_EQ(GetPrivateProfileStringW(L"S", L"K", L"fallback", buf, 0, ini.c_str()), 0u);
    EXPECT_EQ(buf[0], L'x');
    EXPECT_EQ(access(CString(ini).utf8_str().data(), F_OK), -1);  // reading never creates it
}

TEST_F(TempFolder, ProfileWritesReadsAndKeepsOrder)
{
    std::wstring ini = Path("Set.ini");
    ASSERT_TRUE(WritePrivateProfileStringW(L"LANGUAGE", L"Lang", L"  1  ", ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"PASSWORD", L"Pwd", L"1234567890123456789012345", ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"language", L"Other", L"7", ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"LANGUAGE", L"LANG", L"2", ini.c_str()));

    std::string text = Slurp(m_dir + "/Set.ini");
    EXPECT_LT(text.find("[LANGUAGE]"), text.find("[PASSWORD]"));
    EXPECT_LT(text.find("Other=7"), text.find("[PASSWORD]"));  // added inside its own section
    EXPECT_EQ(text.find("[language]"), std::string::npos);
    EXPECT_EQ(text.find("Lang=1"), std::string::npos);

    EXPECT_EQ(GetPrivateProfileIntW(L"Language", L"lang", 0, ini.c_str()), 2u);
    EXPECT_EQ(GetPrivateProfileIntW(L"LANGUAGE", L"Other", 0, ini.c_str()), 7u);
    wchar_t buf[20];
    EXPECT_EQ(GetPrivateProfileStringW(L"PASSWORD", L"Pwd", L"", buf, 20, ini.c_str()), 19u);
    EXPECT_STREQ(buf, L"1234567890123456789");

    ASSERT_TRUE(WritePrivateProfileStringW(L"LANGUAGE", L"Other", nullptr, ini.c_str()));
    EXPECT_EQ(GetPrivateProfileIntW(L"LANGUAGE", L"Other", -3, ini.c_str()), static_cast<UINT>(-3));
    EXPECT_EQ(GetPrivateProfileIntW(L"LANGUAGE", L"Lang", 0, ini.c_str()), 2u);
}

TEST_F(TempFolder, ProfileNumbersAndHostileContent)
{
    const std::string path = m_dir + "/odd.ini";
    std::string huge(100000, 'k');
    {
        std::ofstream out(path, std::ios::binary);
        out << "garbage without equals\n[[[\n=novalue\n" << std::string("\x01\x02\xff\xfe\x00zz\n", 8)
            << "[N]\r\nplain= 7 \r\nsigned=-12abc\r\nwords=abc\r\nblank=\r\ngbk=\xc7\xe0\xba\xcc\r\n"
            << huge << "=big\n" << std::string(100000, '[') << "\n[V]\nlong=" << huge << "\n";
    }
    std::wstring ini = CString(path).ToStdWstring();
    EXPECT_EQ(GetPrivateProfileIntW(L"N", L"plain", 0, ini.c_str()), 7u);
    EXPECT_EQ(static_cast<int>(GetPrivateProfileIntW(L"N", L"signed", 0, ini.c_str())), -12);
    EXPECT_EQ(GetPrivateProfileIntW(L"N", L"words", 5, ini.c_str()), 0u);
    EXPECT_EQ(GetPrivateProfileIntW(L"N", L"blank", 5, ini.c_str()), 0u);
    // Bytes that are no UTF-8 make the file one of the Windows code page.
    wchar_t buf[8];
    EXPECT_EQ(GetPrivateProfileStringW(L"N", L"gbk", L"", buf, 8, ini.c_str()), 2u);
    EXPECT_STREQ(buf, L"\u9752\u79be");
    std::wstring hugeKey(100000, L'k');
    EXPECT_EQ(GetPrivateProfileStringW(L"N", hugeKey.c_str(), L"", buf, 8, ini.c_str()), 3u);

    std::vector<wchar_t> whole(100001);
    EXPECT_EQ(GetPrivateProfileStringW(L"V", L"long", L"", whole.data(), 100001, ini.c_str()), 100000u);
    EXPECT_EQ(GetPrivateProfileStringW(L"V", L"long", L"", buf, 8, ini.c_str()), 7u);

    ASSERT_TRUE(WritePrivateProfileStringW(L"N", hugeKey.c_str(), L"changed", ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"N", L"plain", L"8", ini.c_str()));
    EXPECT_EQ(GetPrivateProfileIntW(L"N", L"plain", 0, ini.c_str()), 8u);
    std::string text = Slurp(path);
    EXPECT_NE(text.find("garbage without equals"), std::string::npos);  // other lines survive
    EXPECT_NE(text.find(std::string("\x01\x02\xff\xfe\x00zz", 7)), std::string::npos);
}

TEST_F(TempFolder, ProfileQuotedValuesReadWithoutTheirQuotes)
{
    const std::string path = m_dir + "/quoted.ini";
    std::ofstream(path) << "[S]\na=\"secret\"\nb= ' x y ' \nc=\"unpaired\nd=\"\ne=\"\"\nf=\"7\"\ng='mixed\"\n";
    const std::wstring ini = CString(path).ToStdWstring();
    auto read = [&](const wchar_t* key) {
        wchar_t buf[64];
        GetPrivateProfileStringW(L"S", key, L"-", buf, 64, ini.c_str());
        return std::wstring(buf);
    };
    EXPECT_EQ(read(L"a"), L"secret");
    EXPECT_EQ(read(L"b"), L" x y ");  // blanks inside the quotes stay
    EXPECT_EQ(read(L"c"), L"\"unpaired");
    EXPECT_EQ(read(L"d"), L"\"");
    EXPECT_EQ(read(L"e"), L"");
    EXPECT_EQ(read(L"g"), L"'mixed\"");
    EXPECT_EQ(GetPrivateProfileIntW(L"S", L"f", 0, ini.c_str()), 7u);
}

TEST_F(TempFolder, ProfileRewriteKeepsModeOwnerAndLinks)
{
    namespace fs = std::filesystem;
    auto mode = [](const std::string& p) {
        struct stat st;
        return stat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
    };
    auto write = [](const std::string& p, const wchar_t* value) {
        return WritePrivateProfileStringW(L"PASSWORD", L"Password", value, CString(p).ToStdWstring().c_str());
    };

    // A file the program makes holds the password: its owner alone reads it.
    const std::string fresh = m_dir + "/fresh.ini";
    ASSERT_TRUE(write(fresh, L"secret"));
    EXPECT_EQ(mode(fresh), 0600u);

    const std::string shared = m_dir + "/shared.ini";
    std::ofstream(shared) << "[PASSWORD]\nPassword=old\n";
    ASSERT_EQ(chmod(shared.c_str(), 0640), 0);
    ASSERT_TRUE(write(shared, L"new"));
    EXPECT_EQ(mode(shared), 0640u);
    EXPECT_EQ(Slurp(shared), "[PASSWORD]\nPassword=new\n");

    // Through a relative link, and a link to that link: the target changes, the links stay.
    fs::create_directories(m_dir + "/real");
    std::ofstream(m_dir + "/real/target.ini") << "[PASSWORD]\nPassword=old\n";
    ASSERT_EQ(chmod((m_dir + "/real/target.ini").c_str(), 0604), 0);
    fs::create_symlink("real/target.ini", m_dir + "/link.ini");
    fs::create_symlink(m_dir + "/link.ini", m_dir + "/link2.ini");
    ASSERT_TRUE(write(m_dir + "/link2.ini", L"linked"));
    EXPECT_TRUE(fs::is_symlink(m_dir + "/link.ini"));
    EXPECT_TRUE(fs::is_symlink(m_dir + "/link2.ini"));
    EXPECT_EQ(Slurp(m_dir + "/real/target.ini"), "[PASSWORD]\nPassword=linked\n");
    EXPECT_EQ(mode(m_dir + "/real/target.ini"), 0604u);

    // A link to a file not made yet makes the file.
    fs::create_symlink("real/later.ini", m_dir + "/dangling.ini");
    ASSERT_TRUE(write(m_dir + "/dangling.ini", L"first"));
    EXPECT_TRUE(fs::is_symlink(m_dir + "/dangling.ini"));
    EXPECT_EQ(mode(m_dir + "/real/later.ini"), 0600u);

    // A folder that takes no new file (for all but root): written over in place.
    const std::string closed = m_dir + "/closed";
    fs::create_directories(closed);
    std::ofstream(closed + "/s.ini") << "[PASSWORD]\nPassword=old\n";
    ASSERT_EQ(chmod(closed.c_str(), 0500), 0);
    EXPECT_TRUE(write(closed + "/s.ini", L"in place"));
    EXPECT_EQ(Slurp(closed + "/s.ini"), "[PASSWORD]\nPassword=in place\n");
    chmod(closed.c_str(), 0700);

    // A loop of links is no file to write.
    fs::create_symlink("loop-b.ini", m_dir + "/loop-a.ini");
    fs::create_symlink("loop-a.ini", m_dir + "/loop-b.ini");
    EXPECT_FALSE(write(m_dir + "/loop-a.ini", L"x"));

    // Only root can hand a file to another owner; a rewrite by root keeps it.
    if (geteuid() == 0) {
        ASSERT_EQ(chown(shared.c_str(), 65534, 65534), 0);
        ASSERT_TRUE(write(shared, L"owned"));
        struct stat st;
        ASSERT_EQ(stat(shared.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 65534u);
        EXPECT_EQ(st.st_gid, 65534u);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
    }

    // No temporary file is left beside the settings.
    for (const auto& entry : fs::recursive_directory_iterator(m_dir))
        EXPECT_EQ(entry.path().filename().string().find(".ini."), std::string::npos) << entry.path();
}

TEST_F(TempFolder, ProfileInPlaceOfAPipeNeitherWaitsNorWrites)
{
    const std::string path = m_dir + "/pipe.ini";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    const std::wstring ini = CString(path).ToStdWstring();
    EXPECT_EQ(GetPrivateProfileIntW(L"S", L"K", 5, ini.c_str()), 5u);
    EXPECT_FALSE(WritePrivateProfileStringW(L"S", L"K", L"1", ini.c_str()));
}

TEST_F(TempFolder, ProfileRewriteKilledMidWayLeavesTheOldOrTheNewFile)
{
    // Values long enough that a write takes a while, so the kills land inside one.
    const std::wstring ini = Path("killed.ini");
    const std::wstring a(300000, L'a'), b(300000, L'b');
    const std::string fileA = "[S]\nK=" + std::string(a.begin(), a.end()) + "\n";
    const std::string fileB = "[S]\nK=" + std::string(b.begin(), b.end()) + "\n";
    ASSERT_TRUE(WritePrivateProfileStringW(L"S", L"K", a.c_str(), ini.c_str()));
    std::mt19937 random(20240305);
    for (int kill = 0; kill < 30; ++kill) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;) {
                WritePrivateProfileStringW(L"S", L"K", b.c_str(), ini.c_str());
                WritePrivateProfileStringW(L"S", L"K", a.c_str(), ini.c_str());
            }
        }
        usleep(1000 + random() % 20000);
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        const std::string text = Slurp(m_dir + "/killed.ini");
        ASSERT_TRUE(text == fileA || text == fileB) << "after kill " << kill << ": " << text.size() << " bytes";
    }
}

// A settings file as other editors (a byte-order mark) and the Windows program
// (GBK) write it reads whole, and a rewrite keeps its encoding.
TEST_F(TempFolder, ProfileReadsEachEncodingAndARewriteKeepsIt)
{
    const std::wstring ini = Path("enc.ini");
    const std::string path = m_dir + "/enc.ini";
    auto password = [&] {
        wchar_t buf[20];
        GetPrivateProfileStringW(L"PASSWORD", L"Password", L"", buf, 20, ini.c_str());
        return std::wstring(buf);
    };
    struct Case
    {
        const char* name;
        std::string before;       // the file, its password 密码
        std::string newPassword;  // 新 in the file's encoding
    };
    const Case cases[] = {
        {"byte-order mark", "\xEF\xBB\xBF[PASSWORD]\r\nBOOTPSLock=1\r\nPassword=\xE5\xAF\x86\xE7\xA0\x81\r\n",
         "\xE6\x96\xB0"},
        {"GBK", "[PASSWORD]\r\nBOOTPSLock=1\r\nPassword=\xC3\xDC\xC2\xEB\r\n", "\xD0\xC2"},
        {"UTF-8", "[PASSWORD]\nBOOTPSLock=1\nPassword=\xE5\xAF\x86\xE7\xA0\x81\n", "\xE6\x96\xB0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.before;
        EXPECT_EQ(GetPrivateProfileIntW(L"PASSWORD", L"BOOTPSLock", 0, ini.c_str()), 1u);
        EXPECT_EQ(password(), L"\u5bc6\u7801");

        ASSERT_TRUE(WritePrivateProfileStringW(L"PASSWORD", L"CashBookLock", L"1", ini.c_str()));
        const std::string eol = c.before.find('\r') == std::string::npos ? "\n" : "\r\n";
        EXPECT_EQ(Slurp(path), c.before + "CashBookLock=1" + eol) << "one section, the lines before byte for byte";

        ASSERT_TRUE(WritePrivateProfileStringW(L"PASSWORD", L"Password", L"\u65b0", ini.c_str()));
        EXPECT_NE(Slurp(path).find("Password=" + c.newPassword + eol), std::string::npos);
        EXPECT_EQ(password(), L"\u65b0");
    }
}

TEST_F(TempFolder, ProfileLeavesAReadOnlyFileUnwritten)
{
    const std::string path = m_dir + "/ro.ini";
    std::ofstream(path) << "[PASSWORD]\nPassword=old\n";
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    const std::wstring ini = CString(path).ToStdWstring();
    EXPECT_FALSE(WritePrivateProfileStringW(L"PASSWORD", L"Password", L"new", ini.c_str()));
    EXPECT_FALSE(WritePrivateProfileValues(L"PASSWORD", {{"BOOTPSLock", "1"}}, ini.c_str()));
    EXPECT_EQ(Slurp(path), "[PASSWORD]\nPassword=old\n");
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
}

TEST_F(TempFolder, ProfileWritesSeveralKeysInOneReplacement)
{
    const std::wstring ini = Path("keys.ini");
    ASSERT_TRUE(WritePrivateProfileStringW(L"LANGUAGE", L"Language", L"2", ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"PASSWORD", L"Password", L"old", ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileValues(L"PASSWORD", {{"BOOTPSLock", "1"}, {"Password", "new"}}, ini.c_str()));
    EXPECT_EQ(Slurp(m_dir + "/keys.ini"), "[LANGUAGE]\nLanguage=2\n[PASSWORD]\nPassword=new\nBOOTPSLock=1\n");

    // Killed at any moment, a writer of two keys leaves both old or both new.
    const std::wstring a(200000, L'a'), b(200000, L'b');
    std::mt19937 random(20240611);
    for (int kill = 0; kill < 30; ++kill) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;) {
                WritePrivateProfileValues(L"S", {{"K1", b}, {"K2", b}}, ini.c_str());
                WritePrivateProfileValues(L"S", {{"K1", a}, {"K2", a}}, ini.c_str());
            }
        }
        usleep(1000 + random() % 20000);
        ::kill(child, SIGKILL);
        ASSERT_EQ(waitpid(child, nullptr, 0), child);
        std::vector<wchar_t> k1(200001), k2(200001);
        GetPrivateProfileStringW(L"S", L"K1", L"", k1.data(), 200001, ini.c_str());
        GetPrivateProfileStringW(L"S", L"K2", L"", k2.data(), 200001, ini.c_str());
        ASSERT_EQ(std::wstring(k1.data()), std::wstring(k2.data())) << "after kill " << kill;
        // The reader took away whatever the killed writer left.
        for (const auto& entry : std::filesystem::directory_iterator(m_dir))
            ASSERT_NE(entry.path().filename().string().rfind("keys.ini.", 0), 0u) << entry.path();
    }
}

// A temporary file is taken for a dead writer's only while no writer is at
// work, and only one of the settings file's own name.
TEST_F(TempFolder, ProfileRemovesOnlyTheTemporariesOfDeadWriters)
{
    const std::wstring ini = Path("t.ini");
    const std::string names[] = {"t.ini.Ab12Cd", "t.ini.bak", "t.ini.Ab12C", "u.ini.Ab12Cd"};
    for (const std::string& name : names)
        std::ofstream(m_dir + "/" + name) << "x";
    {
        // A writer at work holds the folder's turn.
        const int folder = open(m_dir.c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_EQ(flock(folder, LOCK_EX), 0);
        GetPrivateProfileIntW(L"S", L"K", 0, ini.c_str());
        EXPECT_TRUE(std::filesystem::exists(m_dir + "/t.ini.Ab12Cd"));
        close(folder);
    }
    GetPrivateProfileIntW(L"S", L"K", 0, ini.c_str());
    EXPECT_FALSE(std::filesystem::exists(m_dir + "/t.ini.Ab12Cd"));
    for (const std::string& name : {names[1], names[2], names[3]})
        EXPECT_TRUE(std::filesystem::exists(m_dir + "/" + name)) << name;
}

TEST(CodePage, GbkRoundTripAndReplacement)
{
    const CString chinese = wxString::FromUTF8("宾馆前台 123");
    std::string gbk = ToCodePage(chinese);
    EXPECT_EQ(gbk, std::string("\xb1\xf6\xb9\xdd\xc7\xb0\xcc\xa8 123"));
    EXPECT_EQ(FromCodePage(gbk), chinese);
    EXPECT_EQ(ToCodePage(wxString::FromUTF8("a\xF0\x9F\x98\x80" "b")), "a?b");
    EXPECT_EQ(ToCodePage(wxString::FromUTF8("€")), "\x80");

    // Broken input never stops the conversion.
    CString broken = FromCodePage(std::string("A\xff\xb1"));
    EXPECT_TRUE(broken.StartsWith("A"));
    EXPECT_GE(broken.length(), 2u);
    EXPECT_EQ(FromCodePage(ToCodePage(chinese, CP_UTF8), CP_UTF8), chinese);
}

// Windows' code page 936 where iconv's GBK has no character: runs of private-use
// characters, each a lead byte, its first and last trail byte and the code point
// of the first, as Windows' own table lists them.
struct PrivateUseRun
{
    unsigned lead, firstTrail, lastTrail, firstCode;
};
const PrivateUseRun kWindowsPrivateUse[] = {
    {0xAA, 0xA1, 0xFE, 0xE000}, {0xAB, 0xA1, 0xFE, 0xE05E}, {0xAC, 0xA1, 0xFE, 0xE0BC}, {0xAD, 0xA1, 0xFE, 0xE11A},
    {0xAE, 0xA1, 0xFE, 0xE178}, {0xAF, 0xA1, 0xFE, 0xE1D6}, {0xF8, 0xA1, 0xFE, 0xE234}, {0xF9, 0xA1, 0xFE, 0xE292},
    {0xFA, 0xA1, 0xFE, 0xE2F0}, {0xFB, 0xA1, 0xFE, 0xE34E}, {0xFC, 0xA1, 0xFE, 0xE3AC}, {0xFD, 0xA1, 0xFE, 0xE40A},
    {0xFE, 0xA1, 0xFE, 0xE468}, {0xA1, 0x40, 0x7E, 0xE4C6}, {0xA1, 0x80, 0xA0, 0xE505}, {0xA2, 0x40, 0x7E, 0xE526},
    {0xA2, 0x80, 0xA0, 0xE565}, {0xA3, 0x40, 0x7E, 0xE586}, {0xA3, 0x80, 0xA0, 0xE5C5}, {0xA4, 0x40, 0x7E, 0xE5E6},
    {0xA4, 0x80, 0xA0, 0xE625}, {0xA5, 0x40, 0x7E, 0xE646}, {0xA5, 0x80, 0xA0, 0xE685}, {0xA6, 0x40, 0x7E, 0xE6A6},
    {0xA6, 0x80, 0xA0, 0xE6E5}, {0xA7, 0x40, 0x7E, 0xE706}, {0xA7, 0x80, 0xA0, 0xE745}, {0xA2, 0xAB, 0xB0, 0xE766},
    {0xA2, 0xE3, 0xE4, 0xE76C}, {0xA2, 0xEF, 0xF0, 0xE76E}, {0xA2, 0xFD, 0xFE, 0xE770}, {0xA4, 0xF4, 0xFE, 0xE772},
    {0xA5, 0xF7, 0xFE, 0xE77D}, {0xA6, 0xB9, 0xC0, 0xE785}, {0xA6, 0xD9, 0xDF, 0xE78D}, {0xA6, 0xEC, 0xED, 0xE794},
    {0xA6, 0xF3, 0xF3, 0xE796}, {0xA6, 0xF6, 0xFE, 0xE797}, {0xA7, 0xC2, 0xD0, 0xE7A0}, {0xA7, 0xF2, 0xFE, 0xE7AF},
    {0xA8, 0x96, 0xA0, 0xE7BC}, {0xA8, 0xBC, 0xBC, 0xE7C7}, {0xA8, 0xBF, 0xBF, 0xE7C8}, {0xA8, 0xC1, 0xC4, 0xE7C9},
    {0xA8, 0xEA, 0xFE, 0xE7CD}, {0xA9, 0x58, 0x58, 0xE7E2}, {0xA9, 0x5B, 0x5B, 0xE7E3}, {0xA9, 0x5D, 0x5F, 0xE7E4},
    {0xA9, 0x89, 0x95, 0xE7E7}, {0xA9, 0x97, 0xA3, 0xE7F4}, {0xA9, 0xF0, 0xFE, 0xE801}, {0xD7, 0xFA, 0xFE, 0xE810},
    {0xFE, 0x50, 0x7E, 0xE815}, {0xFE, 0x80, 0xA0, 0xE844},
};
// The byte FF alone.
constexpr wchar_t kWindowsFF = 0xF8F5;

// The private-use character of a byte pair in Windows' table, or 0.
wchar_t WindowsPrivateUse(unsigned lead, unsigned trail)
{
    for (const PrivateUseRun& run : kWindowsPrivateUse)
        if (run.lead == lead && trail >= run.firstTrail && trail <= run.lastTrail)
            return wchar_t(run.firstCode + trail - run.firstTrail);
    return 0;
}

// The GBK bytes of a private-use character in Windows' table, or empty.
std::string WindowsPrivateUseBytes(wchar_t code)
{
    if (code == kWindowsFF)
        return "\xff";
    for (const PrivateUseRun& run : kWindowsPrivateUse)
        if (unsigned(code) >= run.firstCode && unsigned(code) <= run.firstCode + run.lastTrail - run.firstTrail)
            return {char(run.lead), char(run.firstTrail + unsigned(code) - run.firstCode)};
    return {};
}

TEST(CodePage, GbkBytesAreIconvsOrWindowsPrivateUseForEveryCharacter)
{
    // The encoder keeps a table of its own: it must give what iconv gives, or
    // Windows' bytes for a private-use character, "?" where neither has any,
    // for the whole basic plane and beyond it.
    iconv_t cd = iconv_open("GBK", "WCHAR_T");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    for (unsigned long code = 1; code < 0x110000; code += code < 0x10000 ? 1 : 0x1F1) {
        wchar_t c = static_cast<wchar_t>(code);
        char* in = reinterpret_cast<char*>(&c);
        size_t inLeft = sizeof c;
        char bytes[8];
        char* out = bytes;
        size_t outLeft = sizeof bytes;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const bool held = iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1);
        const std::string windows = WindowsPrivateUseBytes(c);
        ASSERT_FALSE(held && !windows.empty()) << "U+" << std::hex << code << " is no private-use character";
        const std::string expected =
            held ? std::string(bytes, sizeof bytes - outLeft) : windows.empty() ? std::string("?") : windows;
        char got[8];
        const int length = WideCharToMultiByte(CP_OEMCP, 0, &c, 1, got, sizeof got, nullptr, nullptr);
        ASSERT_EQ(std::string(got, size_t(length)), expected) << "U+" << std::hex << code;
    }
    iconv_close(cd);
}

// What Windows reads of GBK bytes: each character as iconv reads it, or as
// Windows' private-use table has it; "?" for each byte that is neither, going
// on at the next byte; `exact` false when there was one.
std::wstring WindowsGbk(const std::string& bytes, bool& exact)
{
    iconv_t cd = iconv_open("WCHAR_T", "GBK");
    const auto iconvReads = [cd](const std::string& part) -> wchar_t {
        char* in = const_cast<char*>(part.data());
        size_t inLeft = part.size();
        wchar_t wide[2];
        char* out = reinterpret_cast<char*>(wide);
        size_t outLeft = sizeof wide;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const bool read = iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1);
        return read && inLeft == 0 && outLeft == sizeof(wchar_t) ? wide[0] : 0;
    };
    std::wstring text;
    exact = true;
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        wchar_t c = 0;
        if (b < 0x80) {
            text += wchar_t(b);
            ++i;
            continue;
        }
        if (i + 1 < bytes.size()) {
            c = WindowsPrivateUse(b, static_cast<unsigned char>(bytes[i + 1]));
            if (c == 0)
                c = iconvReads(bytes.substr(i, 2));
        }
        if (c != 0) {
            text += c;
            i += 2;
            continue;
        }
        c = b == 0xFF ? kWindowsFF : iconvReads(bytes.substr(i, 1));
        text += c != 0 ? c : L'?';
        exact = exact && c != 0;
        ++i;
    }
    iconv_close(cd);
    return text;
}

TEST(CodePage, GbkTextIsWindowsForEveryByteAndPair)
{
    // The decoder keeps tables of its own: every byte and pair of bytes, alone,
    // at the end of a text and between characters, reads as Windows reads it,
    // and the exact form refuses what Windows cannot read.
    for (unsigned lead = 0x80; lead < 0x100; ++lead) {
        for (unsigned trail = 0; trail < 0x100; ++trail) {
            const std::string pair{char(lead), char(trail)};
            for (const std::string& bytes : {pair.substr(0, 1), pair, "a\xb1\xf6" + pair.substr(0, 1), pair + "\xb1\xf6"}) {
                bool exact = true;
                const std::wstring expected = WindowsGbk(bytes, exact);
                ASSERT_EQ(FromCodePage(bytes).ToStdWstring(), expected) << std::hex << lead << " " << trail;
                CString text = "unchanged";
                ASSERT_EQ(FromCodePageExact(bytes, CP_OEMCP, text), exact) << std::hex << lead << " " << trail;
                ASSERT_EQ(text.ToStdWstring(), exact ? expected : std::wstring(L"unchanged"));
            }
        }
    }
}

TEST(CodePage, UserDefinedCharactersReadAndWriteBackByteForByte)
{
    // A line as a Windows desk saves it, with characters of the user-defined
    // areas in a name and an address.
    const std::string line = "101,\xd5\xc5\xaa\xa1\xc8\xfd,\xa1\x40\xfe\xfe\xf8\xa1,\xa7\xa0\xaf\xfe\xff,80\r";
    CString text;
    ASSERT_TRUE(FromCodePageExact(line, CP_OEMCP, text));
    EXPECT_EQ(text.ToStdWstring(), std::wstring(L"101,\u5f20\ue000\u4e09,\ue4c6\ue4c5\ue234,\ue765\ue233\uf8f5,80\r"));
    EXPECT_EQ(ToCodePage(text), line);

    // Every private-use character of the table, both ways; none past it.
    size_t count = 0;
    for (const PrivateUseRun& run : kWindowsPrivateUse)
        for (unsigned trail = run.firstTrail; trail <= run.lastTrail; ++trail, ++count) {
            const std::string bytes{char(run.lead), char(trail)};
            const CString character(wchar_t(run.firstCode + trail - run.firstTrail));
            ASSERT_EQ(FromCodePage(bytes), character) << std::hex << run.lead << " " << trail;
            ASSERT_EQ(ToCodePage(character), bytes) << std::hex << run.lead << " " << trail;
        }
    EXPECT_EQ(count, 0xE865u - 0xE000u);
    EXPECT_EQ(ToCodePage(CString(wchar_t(0xE865))), "?");
    EXPECT_EQ(ToCodePage(CString(wchar_t(0xF8F4))), "?");
}

TEST(CodePage, WindowsCallingConventions)
{
    const wchar_t* text = L"\u5bbe\u9986x";
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr), 6);  // with the NUL
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, 3, nullptr, 0, nullptr, nullptr), 7);
    char out[8] = {};
    EXPECT_EQ(WideCharToMultiByte(CP_OEMCP, 0, text, -1, out, 3, nullptr, nullptr), 0);  // too small
    ASSERT_EQ(WideCharToMultiByte(CP_OEMCP, 0, text, -1, out, 8, nullptr, nullptr), 6);
    EXPECT_STREQ(out, "\xb1\xf6\xb9\xdd" "x");
    BOOL used = FALSE;
    const wchar_t emoji[] = {L'a', static_cast<wchar_t>(0x1F600), 0};
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, emoji, -1, out, 8, nullptr, &used), 3);
    EXPECT_TRUE(used);
    EXPECT_STREQ(out, "a?");

    wchar_t wide[8] = {};
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, out, -1, nullptr, 0), 3);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xb1\xf6\xb9\xdd", 4, wide, 8), 2);
    EXPECT_EQ(wide[0], L'\u5bbe');
    EXPECT_EQ(wide[1], L'\u9986');
}

TEST(ProgramFolderTest, ExecutableFolderAndOverride)
{
    CString exe = GetModuleFileName();
    ASSERT_FALSE(exe.empty());
    EXPECT_TRUE(exe.StartsWith("/"));
    OverrideProgramFolder("");
    CString folder = GetProgramFolder();
    EXPECT_TRUE(folder.EndsWith("/"));
    EXPECT_TRUE(exe.StartsWith(folder));
    EXPECT_EQ(exe.Mid(folder.length()).Find('/'), wxNOT_FOUND);

    OverrideProgramFolder("/tmp/somewhere");
    EXPECT_EQ(GetProgramFolder(), "/tmp/somewhere/");
    OverrideProgramFolder("");
    EXPECT_EQ(GetProgramFolder(), folder);
}

TEST(MessageBoxTest, HandlerReceivesCaptionAndAnswers)
{
    CString seenText, seenCaption;
    MessageBoxHandler previous = SetMessageBoxHandler([&](const CString& t, const CString& c, UINT) {
        seenText = t;
        seenCaption = c;
        return IDNO;
    });
    EXPECT_EQ(AfxMessageBox("Delete?", MB_YESNO), IDNO);
    EXPECT_EQ(seenText, "Delete?");
    EXPECT_EQ(seenCaption, "Quillan2021");
    SetMessageBoxHandler(nullptr);
    EXPECT_EQ(AfxMessageBox("no one listening", MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(MessageBoxWithCaption("no one listening", "x", MB_OK), IDOK);
    SetMessageBoxHandler(previous);
}

TEST_F(TempFolder, InstallerAddsAndRemovesUserDsn)
{
    const std::string db = m_dir + "/Data/Guest.mdb";
    std::wstring attrs = L"DSN=QuillanTest";
    attrs += L'\0';
    attrs += L" DBQ=" + CString(db).ToStdWstring();
    attrs += L'\0';
    attrs += L" DEFAULTDIR=" + CString(m_dir).ToStdWstring();
    attrs += L'\0';
    attrs += L"DESCRIPTION=Guests";
    attrs += L'\0';
    attrs += L'\0';
    ASSERT_TRUE(SQLConfigDataSourceW(nullptr, ODBC_ADD_DSN, L"Microsoft Access Driver (*.mdb)", attrs.c_str()));
    std::string text = Slurp(m_dir + "/odbc.ini");
    EXPECT_NE(text.find("[QuillanTest]"), std::string::npos);
    EXPECT_NE(text.find("Driver=SQLite3"), std::string::npos);
    EXPECT_NE(text.find("Database=" + db), std::string::npos);
    EXPECT_NE(text.find("NoCreat=1"), std::string::npos);
    EXPECT_NE(text.find("JournalMode=TRUNCATE"), std::string::npos);
    EXPECT_NE(text.find("Timeout=" + std::to_string(kBusyTimeoutMs)), std::string::npos);
    EXPECT_NE(text.find("StepAPI=1"), std::string::npos);
    EXPECT_NE(text.find("Description=Guests"), std::string::npos);
    EXPECT_EQ(text.find("DEFAULTDIR"), std::string::npos);
    EXPECT_EQ(text.find("Microsoft Access"), std::string::npos);

    ASSERT_TRUE(SQLConfigDataSourceW(nullptr, ODBC_REMOVE_DSN, L"Microsoft Access Driver (*.mdb)", attrs.c_str()));
    EXPECT_EQ(Slurp(m_dir + "/odbc.ini").find("[QuillanTest]"), std::string::npos);
}
