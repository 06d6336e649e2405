// The guest-records window's logic without a window: the cells of a row, the
// search match, the money written back after a modification, the detail text
// of a closed stay and where its pop-up draws it; and the edit of a stay.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CNoticeDlg.h"
#include "CRegisterset.h"
#include "CUserRWnd.h"
#include "DeskData.h"
#include "OdbcConnection.h"
#include "StayOperations.h"
#include "Utf8Text.h"

namespace {

CString U(const char* utf8) { return wxString::FromUTF8(utf8); }

GuestRecord ClosedStay()
{
    GuestRecord rec;
    rec.m_strRoomNo = "203";
    rec.m_strName = U("李梅");
    rec.m_bSex = TRUE;
    rec.m_strNation = U("回族");
    rec.m_dtBirth = COleDateTime(1990, 5, 7, 0, 0, 0);
    rec.m_dtCheckIn = COleDateTime(2021, 3, 1, 9, 5, 0);
    rec.m_dtCheckOut = COleDateTime(2021, 3, 4, 14, 5, 30);
    rec.m_strIdNumber = "320102199005070026";
    rec.m_strNativePlace = U("江苏南京");
    rec.m_strRemarks = U("教师");
    rec.m_strPaid = "120.0000";
    rec.m_strDeposit = "20";
    return rec;
}

}  // namespace

TEST(RecordRows, CellsOfAClosedAndAnOpenStay)
{
    GuestRecord rec = ClosedStay();
    std::vector<CString> cells = RecordRowTexts(rec);
    ASSERT_EQ(cells.size(), 12u);
    EXPECT_EQ(cells[0], "203");
    EXPECT_EQ(cells[2], U("男"));
    EXPECT_EQ(cells[4], U("1990年05月07日"));
    EXPECT_EQ(cells[5], U("2021年03月01日09时05分"));
    EXPECT_EQ(cells[6], U("2021年03月04日14时05分"));
    EXPECT_EQ(cells[7], "320102199005070026");
    EXPECT_EQ(cells[10], "120.0000");
    EXPECT_EQ(cells[11], "20");

    rec.m_bSex = FALSE;
    rec.m_dtCheckOut.SetStatus(COleDateTime::null);
    cells = RecordRowTexts(rec);
    EXPECT_EQ(cells[2], U("女"));
    EXPECT_EQ(cells[6], "") << "a running stay has no check-out yet";
}

TEST(RecordSearch, OnlyTheWholeExactTextMatches)
{
    const GuestRecord rec = ClosedStay();
    EXPECT_TRUE(RecordMatchesSearch(rec, SEARCH_BY_NAME, U("李梅")));
    EXPECT_FALSE(RecordMatchesSearch(rec, SEARCH_BY_NAME, U("李梅 ")));
    EXPECT_FALSE(RecordMatchesSearch(rec, SEARCH_BY_NAME, U("李")));
    EXPECT_FALSE(RecordMatchesSearch(rec, SEARCH_BY_NAME, "320102199005070026"));
    EXPECT_TRUE(RecordMatchesSearch(rec, SEARCH_BY_ID_NUMBER, "320102199005070026"));
    EXPECT_FALSE(RecordMatchesSearch(rec, SEARCH_BY_ID_NUMBER, "32010219900507002"));

    GuestRecord latin = rec;
    latin.m_strName = "Anna";
    EXPECT_FALSE(RecordMatchesSearch(latin, SEARCH_BY_NAME, "anna")) << "the match is case-sensitive";
    EXPECT_FALSE(RecordMatchesSearch(latin, 2, "Anna")) << "an unknown key matches nothing";
}

TEST(RecordMoney, WrittenBackWithFourDecimalsAndZeroWithoutADigit)
{
    EXPECT_EQ(NormaliseMoney("88.5"), "88.5000");
    EXPECT_EQ(NormaliseMoney("120"), "120.0000");
    EXPECT_EQ(NormaliseMoney("0.5"), "0.5000");
    EXPECT_EQ(NormaliseMoney("-20"), "-20.0000");
    EXPECT_EQ(NormaliseMoney("150.000"), "150.0000");
    EXPECT_EQ(NormaliseMoney("12yuan"), "12.0000") << "the leading number counts";
    for (const char* zero : {"0", "", "abc", "0.00", "nan", "inf"})
        EXPECT_EQ(NormaliseMoney(zero), ".0000") << '"' << zero << '"';
    EXPECT_EQ(NormaliseMoney(U("８８")), "88.0000") << "full-width digits count as the ASCII ones";
}

TEST(RecordDetail, ChineseDetailOfAManWithTheCashBookAmount)
{
    CString text1, text2;
    ASSERT_TRUE(FormatStayDetail(ClosedStay(), 1, true, "120.0000", text1, text2));
    EXPECT_EQ(text1, U("房间号:203 \n姓名:李梅 \n性别:男 \n民族:回族 \n生日:1990年5月7日 \n"
                       "住房时间:2021年3月1日9:5 \n退房时间:2021年3月4日14:5 \n籍贯:江苏南京 \n"
                       "证件号:320102199005070026 \n备注:教师\n交钱:120.0000 \n押金:20"));
    EXPECT_EQ(text2, U("消费:￥ 120.0000"));
    EXPECT_EQ(text1.Freq('\n'), 11) << "twelve lines";
}

TEST(RecordDetail, EnglishDetailOfAWomanWithoutCashBookRow)
{
    GuestRecord rec = ClosedStay();
    rec.m_bSex = FALSE;
    rec.m_dtBirth.SetStatus(COleDateTime::null);
    CString text1, text2;
    ASSERT_TRUE(FormatStayDetail(rec, 2, false, "", text1, text2));
    EXPECT_EQ(text1, U("HouseNumber:203 \nName:李梅 \nSex:Woman \nNation:回族 \nBirthday:-1.-1.-1 \n"
                       "HousingTime:2021.3.1 9:5 \nCheckOutTime:2021.3.4 14:5 \nAddress:江苏南京 \n"
                       "IDCard:320102199005070026 \nRemark:教师\nPay:120.0000 \nDeposit:20"));
    EXPECT_EQ(text2, U("Consumption:￥ 0.00f"));

    ASSERT_TRUE(FormatStayDetail(rec, 1, false, "", text1, text2));
    EXPECT_NE(text1.Find(U("生日:-1年-1月-1日 ")), wxNOT_FOUND);
    EXPECT_EQ(text2, U("消费:￥ 0.00f"));
    ASSERT_TRUE(FormatStayDetail(rec, 2, true, "88", text1, text2));
    EXPECT_EQ(text2, U("Consumption￥ 88"));
}

TEST(RecordDetail, OtherLanguagesWriteNothing)
{
    CString text1 = "before", text2 = "";
    EXPECT_FALSE(FormatStayDetail(ClosedStay(), 0, true, "1", text1, text2));
    EXPECT_FALSE(FormatStayDetail(ClosedStay(), 3, true, "1", text1, text2));
    EXPECT_EQ(text1, "before");
    EXPECT_EQ(text2, "");
}

TEST(NoticeLayout, ConsumptionLineBelowTheDetailsEvenWhenTheyRunLong)
{
    const wxSize client(420, 460);
    NoticeLayout layout = ComputeNoticeLayout(client, 12 * 27);
    EXPECT_EQ(layout.frame, wxRect(10, 10, 400, 440));
    EXPECT_EQ(layout.text1.GetTop(), 25);
    EXPECT_EQ(layout.text2.GetTop(), 355);
    EXPECT_EQ(layout.text2.GetBottom(), layout.frame.GetBottom());

    // Remarks with line feeds of their own push the consumption line down.
    layout = ComputeNoticeLayout(client, 14 * 27);
    EXPECT_GE(layout.text2.GetTop(), 25 + 14 * 27);
}

// ---------------------------------------------------------------- the edit itself

namespace {

class StayEdit : public DeskData
{
protected:
    void SetUp() override
    {
        DeskData::SetUp();
        if (IsSkipped())
            return;
        m_env.Execute("Register.db", "INSERT INTO [register]([房间号],[姓名],[住房日期],[交钱],[押金]) "
                                     "VALUES ('101','王五','2026-03-01 10:00:00','100','0')");
        CRegisterset stays(&m_db.m_dbRegister);
        stays.Open();
        m_stored = stays.GetGuestRecord();
    }

    GuestRecord m_stored;
};

}  // namespace

// The money is stored in its normal form with the rest of the edit, in the
// same operation, and the record handed back is what was stored.
TEST_F(StayEdit, StoresTheMoneyInItsNormalFormWithTheEdit)
{
    GuestRecord edited = m_stored;
    edited.m_strRemarks = U("常客");
    edited.m_strPaid = "88.5";
    edited.m_strDeposit = "abc";
    ASSERT_TRUE(ModifyStay(m_db, m_stored, edited));
    EXPECT_EQ(edited.m_strPaid, "88.5000");
    EXPECT_EQ(edited.m_strDeposit, ".0000");
    EXPECT_EQ(m_env.Query("Register.db", "SELECT [本人职务备注],[交钱],[押金] FROM [register]"),
              (std::vector<std::vector<std::string>>{{"常客", "88.5000", ".0000"}}));

    CRegisterset stays(&m_db.m_dbRegister);
    stays.Open();
    EXPECT_NE(stays.FindRecord(edited), -1) << "the record handed back finds its stay again";
}

// Clearing the history hands the pages it took to the free list without
// writing them again, and leaves the connection as it found it.
TEST_F(StayEdit, ClearingTheHistoryFreesItsPagesAndKeepsTheConnectionsSettings)
{
    if (TestEnvironment::Backend() != TestBackend::sqlite)
        GTEST_SKIP() << "SQLite's: how a file's freed pages are written";
    std::string rows = "BEGIN;";
    for (int i = 0; i < 2000; ++i)
        rows += "INSERT INTO [register]([房间号],[姓名],[退房日期],[证件号],[本人职务备注]) VALUES ('102','客人" +
                std::to_string(i) + "','2026-03-02 12:00:00','11010519900101" + std::to_string(1000 + i) +
                "','" + std::string(200, 'x') + "');";
    ExecuteOnDatabase(File("Register.db"), rows + "COMMIT;");
    OdbcConnection& conn = m_db.m_dbRegister.Connection();
    const std::string setting = "PRAGMA " + ToUtf8(m_db.m_dbRegister.GetSchemaName()) + ".secure_delete";
    for (const char* before : {"1", "0"}) {
        SCOPED_TRACE(before);
        QueryText(conn, setting + " = " + before);
        ClearStays(m_db);
        EXPECT_EQ(QueryText(conn, setting), before);
    }
    EXPECT_GT(std::stoi(QueryOne("Register.db", "PRAGMA freelist_count")), 100);
    EXPECT_EQ(QueryOne("Register.db", "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(QueryDatabase(File("Register.db"), "SELECT [姓名] FROM [register]"),
              (std::vector<std::vector<std::string>>{{"王五"}}));
}
