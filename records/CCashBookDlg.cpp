#include "CCashBookDlg.h"

#include <algorithm>
#include <memory>
#include <optional>

#include <wx/brush.h>
#include <wx/button.h>
#include <wx/graphics.h>
#include <wx/image.h>
#include <wx/listctrl.h>
#include <wx/pen.h>
#include <wx/settings.h>
#include <wx/toolbar.h>

#include "AppConnections.h"
#include "CashBookFigures.h"
#include "ChangeWatch.h"
#include "DialogTexts.h"
#include "Globals.h"
#include "MessageBox.h"
#include "OpenFailure.h"
#include "UndoneOperation.h"

namespace {

// The two toolbar pictures, 16 x 15: a tick and a cross for the status, three bars for the chart.
wxBitmap ToolPicture(int button)
{
    wxImage image(16, 15);
    image.InitAlpha();
    std::fill_n(image.GetAlpha(), 16 * 15, static_cast<unsigned char>(0));
    {
        std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(image));
        if (button == 0) {
            gc->SetPen(wxPen(wxColour(30, 150, 60), 2));
            gc->StrokeLine(1.5, 6.5, 4.5, 10.5);
            gc->StrokeLine(4.5, 10.5, 9.5, 2.5);
            gc->SetPen(wxPen(wxColour(200, 50, 40), 2));
            gc->StrokeLine(9.5, 8.5, 14.5, 13.5);
            gc->StrokeLine(14.5, 8.5, 9.5, 13.5);
        } else {
            gc->SetPen(*wxTRANSPARENT_PEN);
            gc->SetBrush(wxBrush(wxColour(60, 120, 210)));
            gc->DrawRectangle(2, 7, 3, 7);
            gc->SetBrush(wxBrush(wxColour(240, 160, 40)));
            gc->DrawRectangle(7, 2, 3, 12);
            gc->SetBrush(wxBrush(wxColour(40, 160, 90)));
            gc->DrawRectangle(12, 5, 3, 9);
            gc->SetPen(wxPen(wxColour(60, 60, 60), 1));
            gc->StrokeLine(0.5, 14.5, 15.5, 14.5);
        }
    }
    return wxBitmap(image);
}

}  // namespace

CCashBookDlg::CCashBookDlg(wxWindow* parent)
    : CDialogEx(parent, wxID_ANY, "Dialog", wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE),
      m_records(&AppConnections().m_dbCashbook)
{
    auto du = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
    auto dus = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };
    const wxSize client = dus(355, 212);

    m_wndToolBar = new wxToolBar(this, wxID_ANY, wxPoint(0, 0), wxDefaultSize,
                                 wxTB_FLAT | wxTB_HORIZONTAL | wxTB_NODIVIDER);
    m_wndToolBar->SetToolBitmapSize(wxSize(16, 15));
    m_wndToolBar->AddTool(ID_CASHBOOK_MODIFYSTATUS, wxString(), ToolPicture(0));
    m_wndToolBar->AddTool(ID_CASHBOOK_STAT, wxString(), ToolPicture(1));
    m_wndToolBar->Realize();
    m_wndToolBar->SetSize(0, 0, client.x, m_wndToolBar->GetBestSize().y);

    // The list leaves the top strip to the toolbar, however tall the toolkit draws it.
    wxPoint listAt = du(7, 16);
    listAt.y = std::max(listAt.y, m_wndToolBar->GetSize().y + 2);
    const wxSize listSize(dus(341, 171).x, du(7, 187).y - listAt.y);
    m_listCashBook = new CCashBookList(this, IDC_CASHBOOK_LIST, listAt, listSize, m_records);
    // A total that cannot be summed is told after the paint that asked for it.
    m_listCashBook->m_onTotalError = [this](const CString& error) {
        CallAfter([error] { AfxMessageBox(error); });
    };
    auto* update = new wxButton(this, IDC_CASHBOOK_UPDATE, wxString::FromUTF8("更新"), du(151, 191), dus(50, 14));
    // Enter reads the table again instead of closing the window.
    update->SetDefault();
    SetClientSize(client);
    FitListToColumns();

    // Only the close command closes: no button of the dialog stands for Esc.
    SetEscapeId(wxID_NONE);
    Bind(wxEVT_INIT_DIALOG, &CCashBookDlg::OnInitDialog, this);
    Bind(wxEVT_TOOL, &CCashBookDlg::OnModifyStatus, this, ID_CASHBOOK_MODIFYSTATUS);
    Bind(wxEVT_TOOL, &CCashBookDlg::OnStat, this, ID_CASHBOOK_STAT);
    Bind(wxEVT_BUTTON, &CCashBookDlg::OnBnClickedOk, this, IDC_CASHBOOK_UPDATE);
    Bind(wxEVT_BUTTON, &CCashBookDlg::OnBnClickedCancel, this, IDC_CASHBOOK_CLOSE);
    Bind(wxEVT_CLOSE_WINDOW, &CCashBookDlg::OnClose, this);
    Bind(wxEVT_CHAR_HOOK, &CCashBookDlg::OnCharHook, this);
    // A chart that cannot read the cash book ends the program as the list does;
    // the box comes after the chart's paint, and not once this window is gone.
    for (CDrawCount& chart : m_drawCount)
        chart.m_onOpenFailure = [this] { CallAfter(&CCashBookDlg::ReportOpenFailure); };
    m_followTimer.SetOwner(this);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { FollowOtherDesks(); }, m_followTimer.GetId());
    CentreOnParent();
}

CCashBookDlg::~CCashBookDlg()
{
    // The charts are windows of their own on the screen; none outlives this window.
    for (CDrawCount& chart : m_drawCount)
        chart.DestroyWindow();
}

void CCashBookDlg::OnInitDialog(wxInitDialogEvent&)
{
    const CString title = GetCashBookTitle(g_nLanguage);
    if (!title.empty())
        SetTitle(title);
    for (int button = 0; button < 2; ++button)
        m_wndToolBar->SetToolShortHelp(button == 0 ? ID_CASHBOOK_MODIFYSTATUS : ID_CASHBOOK_STAT,
                                       GetCashBookToolTip(g_nLanguage, button));

    m_listCashBook->DeleteAllColumns();
    const std::vector<CashBookColumn> columns = GetCashBookColumns(g_nLanguage);
    for (size_t i = 0; i < columns.size(); ++i)
        m_listCashBook->InsertColumn(long(i), columns[i].header, wxLIST_FORMAT_CENTRE, columns[i].width);
    SetControlLabel(this, IDC_CASHBOOK_UPDATE, GetCashBookUpdateLabel(g_nLanguage));

    FillList();
    m_otherDesks = std::make_unique<ChangeWatch>(AppConnections());
    m_followTimer.Start(kChangeWatchMs);
}

void CCashBookDlg::FollowOtherDesks()
{
    // Only when another desk committed something, as the board does.
    if (m_bEnding || !m_otherDesks->HasChangedSince())
        return;
    // The book as the table holds it now, the list kept where the clerk has
    // it: the rows another desk adds come at its end. A table that does not
    // open is told by the next command.
    const bool opened = m_records.Open();
    m_listCashBook->SetItemCount(opened ? long(m_records.size()) + 1 : 0);
    m_listCashBook->Refresh();
}

void CCashBookDlg::FitListToColumns()
{
    // Every column at its width side by side, with room for the scroll bar
    // that a long book brings: the English columns are wider than the list
    // of the template, and the last heading would be cut off. Done before
    // the window is shown, so that it opens at its size, centred.
    int columns = 0;
    for (const CashBookColumn& column : GetCashBookColumns(g_nLanguage))
        columns += column.width;
    const int border = m_listCashBook->GetSize().x - m_listCashBook->GetClientSize().x;
    const int need = columns + wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, m_listCashBook) + border;
    const int grow = need - m_listCashBook->GetSize().x;
    if (grow <= 0)
        return;
    m_listCashBook->SetSize(m_listCashBook->GetSize() + wxSize(grow, 0));
    m_wndToolBar->SetSize(m_wndToolBar->GetSize() + wxSize(grow, 0));
    wxWindow* update = FindWindow(IDC_CASHBOOK_UPDATE);
    update->Move(update->GetPosition() + wxPoint(grow / 2, 0));
    SetClientSize(GetClientSize() + wxSize(grow, 0));
}

void CCashBookDlg::ReportOpenFailure()
{
    if (m_bEnding)
        return;
    m_bEnding = true;
    ::ReportOpenFailure();
    // Without the cash book the program cannot go on: it ends, and this window with it.
    CallAfter([this] { CloseWindow(); });
    QuitAfterOpenFailure();
}

void CCashBookDlg::FillList()
{
    const bool opened = m_records.Open();
    m_listCashBook->SyncRows(opened);
    if (!opened)
        ReportOpenFailure();
}

void CCashBookDlg::OnModifyStatus(wxCommandEvent&)
{
    const long sel = m_listCashBook->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (sel == -1 || size_t(sel) >= m_records.size())
        return;

    std::optional<BOOL> status;
    try {
        status = m_records.ToggleStatus(AppConnections(), size_t(sel));
    } catch (const CDBException& e) {
        ReportUndoneOperation(e);
        return;
    }
    // A record that is gone changes nothing; the list shows only what was stored.
    if (!status)
        return;
    // The row shows the status as stored, and the total row follows at once,
    // so it never disagrees with the rows above it.
    m_listCashBook->RefreshItem(sel);
    m_listCashBook->RefreshItem(long(m_records.size()));
}

void CCashBookDlg::OnBnClickedOk(wxCommandEvent&)
{
    FillList();
}

void CCashBookDlg::OnStat(wxCommandEvent&)
{
    // The lowest free slot; with all five charts open the command does nothing.
    for (CDrawCount& chart : m_drawCount)
        if (!chart.IsWindowOpen()) {
            chart.CreateChartWindow();
            return;
        }
}

void CCashBookDlg::CloseWindow()
{
    for (CDrawCount& chart : m_drawCount)
        chart.DestroyWindow();
    EndDialog(0);
}

void CCashBookDlg::OnBnClickedCancel(wxCommandEvent&)
{
    CloseWindow();
}

void CCashBookDlg::OnClose(wxCloseEvent&)
{
    CloseWindow();
}

void CCashBookDlg::OnCharHook(wxKeyEvent& event)
{
    switch (event.GetKeyCode()) {
    case WXK_ESCAPE:
        CloseWindow();
        break;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        // Enter refreshes wherever the focus is, the list too, which would
        // otherwise take the key for itself.
        FillList();
        break;
    default:
        event.Skip();
    }
}
