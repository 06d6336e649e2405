// The windows the board opens: the records windows, password settings, the
// reward box and the review link.
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include "CCashBookDlg.h"
#include "CIEDlg.h"
#include "CMainFrame.h"
#include "CPasswordDlg.h"
#include "CQuillan2021View.h"
#include "CRewardDlg.h"
#include "CSetupPS.h"
#include "CUserRWnd.h"
#include "DialogDrivers.h"
#include "Globals.h"
#include "GuiTestSupport.h"
#include "LockSettings.h"
#include "Profile.h"
#include <sys/stat.h>

// The clerk types the three passwords, ticks the boxes and presses OK; a
// refused OK leaves the dialog open and the clerk then cancels.
struct PasswordForm
{
    wxString oldPassword, newPassword, confirmation;
    bool bootLock = false, cashBookLock = false;
};

template <>
class wxExpectModal<CSetupPS> : public wxExpectModalBase<CSetupPS>
{
public:
    explicit wxExpectModal(const PasswordForm& form) : m_form(form) {}

protected:
    int OnInvoked(CSetupPS* dlg) const override
    {
        using namespace DialogDriving;
        dlg->InitDialog();
        EnterText(dlg, IDC_SETUPPS_OLD, m_form.oldPassword);
        EnterText(dlg, IDC_SETUPPS_NEW, m_form.newPassword);
        EnterText(dlg, IDC_SETUPPS_CONFIRM, m_form.confirmation);
        wxStaticCast(dlg->FindWindow(IDC_SETUPPS_BOOTLOCK), wxCheckBox)->SetValue(m_form.bootLock);
        wxStaticCast(dlg->FindWindow(IDC_SETUPPS_CASHBOOKLOCK), wxCheckBox)->SetValue(m_form.cashBookLock);
        dlg->SetReturnCode(0);
        PressButton(dlg, IDC_SETUPPS_OK);
        return ResultOf(dlg);
    }

private:
    PasswordForm m_form;
};

namespace {

class Setup : public ::testing::Test
{
protected:
    void SetUp() override { m_saved = g_lockSettings; }
    void TearDown() override
    {
        g_lockSettings = m_saved;
        SaveLockSettings();
        g_nLanguage = 1;
    }

    LockSettings m_saved;
};

TEST_F(Setup, NewPasswordAndLocksAreStoredOnlyWhenTheOldOneAndTheConfirmationAgree)
{
    WritePrivateProfileStringW(L"PASSWORD", L"Password", L"abc", kSettingsFile);
    g_lockSettings.m_bBootLock = true;

    // A wrong old password is refused without a word.
    wxTEST_DIALOG(View()->OnPassword(), wxExpectModal<CSetupPS>({"ABC", "new", "new", false, true}));
    EXPECT_TRUE(g_lockSettings.m_bBootLock);

    ExpectMessageBox differ;
    wxTEST_DIALOG(View()->OnPassword(), wxExpectModal<CSetupPS>({"abc", "new", "neW", false, true}), differ);
    EXPECT_EQ(differ.Shown(), wxString::FromUTF8("两个密码不一样，请确认密码相同"));
    EXPECT_TRUE(g_lockSettings.m_bBootLock);

    wxTEST_DIALOG(View()->OnPassword(), wxExpectModal<CSetupPS>({"abc", wxString::FromUTF8("新密码"), wxString::FromUTF8("新密码"), false, true}));
    EXPECT_FALSE(g_lockSettings.m_bBootLock) << "an unticked box turns its lock off";
    EXPECT_TRUE(g_lockSettings.m_bCashBookLock);
    EXPECT_EQ(ReadStoredPassword(), wxString::FromUTF8("新密码"));
    EXPECT_TRUE(PasswordMatchesHeld(wxString::FromUTF8("新密码"))) << "the prompt takes the new password";
    const std::string ini = ReadFileText(GuiEnvironment().Folder() + "/Quillan.INI");
    EXPECT_NE(ini.find("CashBookLock=1"), std::string::npos);
    EXPECT_NE(ini.find("BOOTPSLock=0"), std::string::npos);
}

// What the dialog accepts opens the lock after a restart: a password the
// settings file cannot give back whole is refused with a message, in either
// language, and nothing changes; a file that cannot be written is reported.
TEST_F(Setup, APasswordThatCannotBeStoredWholeIsRefusedAndNothingChanges)
{
    const std::string path = GuiEnvironment().Folder() + "/Quillan.INI";
    WritePrivateProfileStringW(L"PASSWORD", L"Password", L"abc", kSettingsFile);
    g_lockSettings.m_bBootLock = true;
    const std::string before = ReadFileText(path);
    const struct
    {
        int language;
        wxString password, message;
    } refused[] = {
        {1, wxString::FromUTF8("密码😀"), wxString::FromUTF8("密码中有不能保存的字符（如表情符号）")},
        {1, "abcdefghijklmnopqrstuvwxy", wxString::FromUTF8("密码最多只能有19个字符。")},
        {2, wxString::FromUTF8("密码😀"), "The password holds characters that cannot be stored"},
        {2, "abcdefghijklmnopqrst", "The password can have at most 19 characters."},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.password.utf8_string());
        g_nLanguage = r.language;
        ExpectMessageBox told;
        wxTEST_DIALOG(View()->OnPassword(), wxExpectModal<CSetupPS>({"abc", r.password, r.password, false, true}), told);
        EXPECT_TRUE(told.Shown().StartsWith(r.message)) << told.Shown();
        EXPECT_TRUE(g_lockSettings.m_bBootLock);
        EXPECT_FALSE(g_lockSettings.m_bCashBookLock);
        EXPECT_EQ(ReadFileText(path), before);
    }
    g_nLanguage = 1;

    // Blanks at its ends are part of the password.
    wxTEST_DIALOG(View()->OnPassword(), wxExpectModal<CSetupPS>({"abc", " a b ", " a b ", false, true}));
    ReadLockSettings();
    EXPECT_TRUE(PasswordMatchesHeld(" a b "));
    EXPECT_EQ(ReadStoredPassword(), " a b ");

    // A settings file marked read-only is left as it is, and the clerk is told.
    const std::string stored = ReadFileText(path);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    ExpectMessageBox told;
    wxTEST_DIALOG(View()->OnPassword(), wxExpectModal<CSetupPS>({" a b ", "new", "new", true, true}), told);
    chmod(path.c_str(), 0600);
    EXPECT_TRUE(told.Shown().StartsWith(wxString::FromUTF8("没有完成：设置文件 Quillan.INI 不能写入"))) << told.Shown();
    EXPECT_EQ(ReadFileText(path), stored);
    EXPECT_TRUE(PasswordMatchesHeld(" a b ")) << "the password in memory changed without the file";
    EXPECT_FALSE(g_lockSettings.m_bBootLock);
}

TEST_F(Setup, EnglishWindowsSpeakEnglish)
{
    g_nLanguage = 2;
    WritePrivateProfileStringW(L"PASSWORD", L"Password", L"", kSettingsFile);
    ExpectMessageBox differ;
    wxTEST_DIALOG(View()->OnPassword(), wxExpectModal<CSetupPS>({"", "a", "b", false, false}), differ);
    EXPECT_EQ(differ.Shown(), "The both password not same,please input same password!");

    CRewardDlg reward(MainFrame());
    EXPECT_EQ(reward.GetTitle(), "Reward");
    EXPECT_EQ(reward.FindWindow(IDC_REWARD_TEXT)->GetLabel().Left(15), "if you support ");

    // Without the store the clerk is told it is missing or too old.
    ExpectMessageBox tooOld;
    wxTEST_DIALOG(View()->OnComment(), tooOld);
    EXPECT_EQ(tooOld.Shown(), "Lenove store version less 8.7,can't open store.");
}

TEST_F(Setup, WindowCommandsOpenTheirWindowsTheCashBookBehindItsLock)
{
    wxTEST_DIALOG(View()->OnViewRecords(), wxExpectDismissableModal<CUserRWnd>(wxID_CANCEL));
    wxTEST_DIALOG(View()->OnImportExport(), wxExpectDismissableModal<CIEDlg>(wxID_CANCEL));

    g_lockSettings.m_bCashBookLock = false;
    wxTEST_DIALOG(View()->OnCashBook(), wxExpectDismissableModal<CCashBookDlg>(wxID_CANCEL));
    g_lockSettings.m_bCashBookLock = true;
    // Cancel at the prompt: the cash book does not open (an unexpected one would fail the test).
    wxTEST_DIALOG(View()->OnCashBook(), wxExpectDismissableModal<CPasswordDlg>(wxID_CANCEL));
    wxTEST_DIALOG(View()->OnCashBook(), wxExpectDismissableModal<CPasswordDlg>(wxID_OK),
                  wxExpectDismissableModal<CCashBookDlg>(wxID_CANCEL));
}

}  // namespace
