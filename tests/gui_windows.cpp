// The windows of the program as the clerk meets them: where they open, the
// detail pane's size, and the status line around the menus.
#include <gtest/gtest.h>
#include <libintl.h>
#include <clocale>
#include <wx/aui/framemanager.h>
#include <wx/statbmp.h>
#include <wx/statusbr.h>
#include <wx/testing.h>
#include <wx/uiaction.h>

#include "CAboutDlg.h"
#include "CCashBookDlg.h"
#include "CIEDlg.h"
#include "CMainFrame.h"
#include "CMessageBox.h"
#include "CQuillan2021View.h"
#include "CRewardDlg.h"
#include "CRightView.h"
#include "CSetupPS.h"
#include "CUserRWnd.h"
#include "DialogDrivers.h"
#include "Globals.h"
#include "GuiTestSupport.h"
#include "LanguageTexts.h"
#include "MessageBox.h"

namespace {

wxString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

wxString StatusLine()
{
    return MainFrame()->GetStatusBar()->GetStatusText(0);
}

// English for one test, Chinese again at its end whatever its outcome.
struct EnglishUntilTheEnd
{
    EnglishUntilTheEnd() { View()->OnLanguageEnglish(); }
    ~EnglishUntilTheEnd() { View()->OnLanguageChinese(); }
};

// Keeps where a window stood when it was about to be shown, and closes it.
template <class Dlg>
class ExpectPlaced : public wxExpectModalBase<Dlg, ExpectPlaced<Dlg>>
{
public:
    ExpectPlaced() : m_rect(std::make_shared<wxRect>()) {}
    const wxRect& Rect() const { return *m_rect; }

protected:
    int OnInvoked(Dlg* dlg) const override
    {
        *m_rect = dlg->GetScreenRect();
        return wxID_CANCEL;
    }

private:
    std::shared_ptr<wxRect> m_rect;
};

// Keeps the labels of a window's controls, and closes it.
template <class Dlg>
class ExpectLabels : public wxExpectModalBase<Dlg, ExpectLabels<Dlg>>
{
public:
    explicit ExpectLabels(std::vector<int> ids) : m_ids(std::move(ids)), m_labels(std::make_shared<std::vector<wxString>>())
    {
    }
    const std::vector<wxString>& Labels() const { return *m_labels; }

protected:
    int OnInvoked(Dlg* dlg) const override
    {
        for (int id : m_ids)
            m_labels->push_back(DialogDriving::TextOf(dlg, id));
        return wxID_CANCEL;
    }

private:
    std::vector<int> m_ids;
    std::shared_ptr<std::vector<wxString>> m_labels;
};

template <class Dlg, class Command>
void ExpectOpensCentred(Command command, const char* what)
{
    ExpectPlaced<Dlg> placed;
    wxTEST_DIALOG(command(), placed);
    const wxPoint centre = placed.Rect().GetPosition() + placed.Rect().GetSize() / 2;
    const wxRect frame = MainFrame()->GetScreenRect();
    const wxPoint frameCentre = frame.GetPosition() + frame.GetSize() / 2;
    EXPECT_NEAR(centre.x, frameCentre.x, 1) << what;
    EXPECT_NEAR(centre.y, frameCentre.y, 1) << what;
}

class Windows : public testing::Test
{
protected:
    void SetUp() override
    {
        if (g_nLanguage != 1)
            View()->OnLanguageChinese();
        SeedRooms("[房间号],[住房],[房价],[房间人数],[房间介绍]", "('101',1,'80',1,'南'),('102',0,'90',0,'北')");
        Select(0);
    }
};

TEST_F(Windows, EveryWindowOfTheBoardOpensCentredOnTheMainFrame)
{
    CQuillan2021View* view = View();
    ExpectOpensCentred<CRegisterDlg>([view] { view->OnRegister(); }, "check-in");
    ExpectOpensCentred<CRegEndDlg>([view] { view->OnCheckOut(); }, "check-out");
    ExpectOpensCentred<CExchangeHDlg>([view] { view->OnChangeRoom(); }, "change room");
    ExpectOpensCentred<CReserveDlg>([view] { view->OnReserve(); }, "reservation");
    ExpectOpensCentred<CAddHouse>([view] { view->OnAddRoom(); }, "add room");
    ExpectOpensCentred<CAddHouse>([view] { view->OnModifyRoom(); }, "modify room");
    ExpectOpensCentred<CUserRWnd>([view] { view->OnViewRecords(); }, "guest records");
    ExpectOpensCentred<CCashBookDlg>([view] { view->OnCashBook(); }, "cash book");
    ExpectOpensCentred<CIEDlg>([view] { view->OnImportExport(); }, "import/export");
    ExpectOpensCentred<CSetupPS>([view] { view->OnPassword(); }, "password settings");
    ExpectOpensCentred<CRewardDlg>([view] { view->OnReward(); }, "reward");
    ExpectOpensCentred<CAboutDlg>([] { MainFrame()->OnAppAbout(); }, "about");
}

// Esc ends the windows without a Cancel button, run for real.
TEST_F(Windows, EscapeEndsTheWindowsWithoutACancelButton)
{
    constexpr int kStillOpen = -2;
    CIEDlg dlg(MainFrame());
    dlg.CallAfter([&dlg] {
        wxKeyEvent esc(wxEVT_CHAR_HOOK);
        esc.m_keyCode = WXK_ESCAPE;
        esc.SetEventObject(&dlg);
        dlg.ProcessWindowEvent(esc);
        dlg.CallAfter([&dlg] {
            if (dlg.IsModal())
                dlg.EndModal(kStillOpen);
        });
    });
    RealModals real;
    EXPECT_EQ(dlg.ShowModal(), wxID_CANCEL) << "import/export ignored Esc";
}

TEST_F(Windows, ReservationSpeaksEnglish)
{
    const EnglishUntilTheEnd english;
    ExpectLabels<CReserveDlg> dialog({1014, 1043, wxID_OK, wxID_CANCEL});
    wxTEST_DIALOG(View()->OnReserve(), dialog);
    EXPECT_EQ(dialog.Labels(), (std::vector<wxString>{U("House Number：101"), U("Date："), "OK", "Cancel"}));
}

TEST_F(Windows, DetailPaneIsResizedByDraggingItsEdge)
{
    CRightView* pane = MainFrame()->GetRightView();
    wxAuiManager* manager = wxAuiManager::GetManager(pane);
    ASSERT_NE(manager, nullptr);
    const wxAuiPaneInfo& info = manager->GetPane(pane);
    EXPECT_TRUE(info.IsResizable());
    EXPECT_FALSE(info.IsFloatable());
    EXPECT_FALSE(info.HasCloseButton());
    EXPECT_FALSE(info.IsMovable());

    // The sash lies just left of the pane.
    const int width = pane->GetSize().x;
    const wxPoint sash = pane->GetScreenPosition() + wxPoint(-2, pane->GetSize().y / 2);
    wxUIActionSimulator mouse;
    mouse.MouseMove(sash);
    DialogDriving::PumpUntil([] { return false; }, 100);
    mouse.MouseDown();
    DialogDriving::PumpUntil([] { return false; }, 100);
    mouse.MouseMove(sash - wxPoint(100, 0));
    DialogDriving::PumpUntil([] { return false; }, 100);
    mouse.MouseUp();
    EXPECT_TRUE(DialogDriving::PumpUntil([&] { return pane->GetSize().x >= width + 90; }, 3000))
        << "the pane is " << pane->GetSize().x << " wide, was " << width;
}

TEST_F(Windows, ReviewPromptShowsWhileItsItemIsHighlightedAndTheRoomComesBack)
{
    const wxString room = U("101号房间有1个人入住");
    ASSERT_EQ(StatusLine(), room);
    wxUIActionSimulator keys;
    keys.MouseMove(MainFrame()->GetScreenRect().GetPosition() + wxPoint(400, 400));
    DialogDriving::PumpUntil([] { return false; }, 100);
    MainFrame()->Raise();
    keys.Char('h', wxMOD_ALT);  // 帮助(&H), on 打赏
    DialogDriving::PumpUntil([] { return false; }, 200);
    keys.Char(WXK_DOWN);        // 评论
    EXPECT_TRUE(DialogDriving::PumpUntil([] { return StatusLine() == U("给软件评论"); }, 3000)) << StatusLine();
    keys.Char(WXK_ESCAPE);
    keys.Char(WXK_ESCAPE);
    EXPECT_TRUE(DialogDriving::PumpUntil([&] { return StatusLine() == room; }, 3000)) << StatusLine();
}

TEST_F(Windows, HighlightsReportedAfterAMenuClosedLeaveTheRoomsLine)
{
    const wxString room = StatusLine();
    ASSERT_FALSE(room.empty());
    auto send = [](wxEventType type, int id) {
        wxMenuEvent event(type, id);
        event.SetEventObject(MainFrame());
        MainFrame()->ProcessWindowEvent(event);
    };
    send(wxEVT_MENU_OPEN, 0);
    send(wxEVT_MENU_HIGHLIGHT, ID_REGISTER);
    send(wxEVT_MENU_CLOSE, 0);
    send(wxEVT_MENU_HIGHLIGHT, wxID_NONE);
    EXPECT_EQ(StatusLine(), room);
}

// The label GTK gives its own Yes button in the locale the program runs in.
wxString ToolkitYes()
{
    return wxString::FromUTF8(dgettext("gtk30", "_Yes"));
}

TEST(Toolkit, SpeaksTheUiLanguageFromTheStartAndAfterTheSwitch)
{
    ASSERT_EQ(StateAtStart().language, 1);
    EXPECT_STREQ(std::setlocale(LC_MESSAGES, nullptr), "zh_CN.UTF-8");
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C") << "amounts keep their decimal point";
    EXPECT_EQ(ToolkitYes(), U("是(_Y)"));
    {
        const EnglishUntilTheEnd english;
        EXPECT_STREQ(std::setlocale(LC_MESSAGES, nullptr), "en_US.UTF-8");
        EXPECT_EQ(ToolkitYes(), "_Yes");
    }
    EXPECT_EQ(ToolkitYes(), U("是(_Y)"));
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
}

// The icon shown in a message box window, or a null bitmap.
wxBitmap IconOf(wxWindow* window)
{
    for (wxWindow* child : window->GetChildren())
        if (auto* picture = dynamic_cast<wxStaticBitmap*>(child))
            return picture->GetBitmap();
    return wxNullBitmap;
}

TEST(MessageBoxes, ShortTextsStillShowTheWholeCaption)
{
    const auto box = BuildMessageBoxWindow(MainFrame(), U("请选择一个房间"), "Quillan2021", wxOK);
    const int captionText = MainFrame()->GetTextExtent("Quillan2021").x;
    EXPECT_GE(CaptionWidth("Quillan2021"), captionText + 100);
    EXPECT_GE(box->GetSize().x, CaptionWidth("Quillan2021"));
    EXPECT_FALSE(IconOf(box.get()).IsOk()) << "a box asked for no icon shows none";
}

TEST(MessageBoxes, TheDeleteConfirmationAsksWithTheQuestionIcon)
{
    const auto box = BuildMessageBoxWindow(MainFrame(), U("您确认要删除 101 房间吗？"), "Quillan2021",
                                           wxOK | wxCANCEL | wxICON_QUESTION);
    EXPECT_TRUE(IconOf(box.get()).IsOk());

    // The board's confirmation is such a box.
    SeedRooms("[房间号],[住房],[房价],[房间人数],[房间介绍]", "('101',0,'80',0,'南')");
    Select(0);
    long style = 0;
    bool ours = false;
    class Answer : public wxExpectModalBase<wxMessageDialog, Answer>
    {
    public:
        Answer(long& style, bool& ours) : m_style(style), m_ours(ours) {}

    protected:
        int OnInvoked(wxMessageDialog* dlg) const override
        {
            m_style = dlg->GetMessageDialogStyle();
            m_ours = dynamic_cast<CMessageBox*>(dlg) != nullptr;
            return wxID_CANCEL;
        }

    private:
        long& m_style;
        bool& m_ours;
    };
    wxTEST_DIALOG(View()->OnDeleteRoom(), Answer(style, ours));
    EXPECT_TRUE(ours);
    EXPECT_EQ(style & wxICON_MASK, wxICON_QUESTION);
    EXPECT_EQ(Board().GetItemCount(), 1);
}

}  // namespace
