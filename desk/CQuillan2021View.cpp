#include "CQuillan2021View.h"

#include <algorithm>
#include <optional>
#include <string>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/toolbar.h>
#include <wx/utils.h>
#include "BoardOrder.h"
#include "CAddHouse.h"
#include "CDlgRightView.h"
#include "CExchangeHDlg.h"
#include "CMainFrame.h"
#include "CQuillan2021App.h"
#include "CQuillan2021Doc.h"
#include "CRegEndDlg.h"
#include "CRegisterDlg.h"
#include "CReserveDlg.h"
#include "CRewardDlg.h"
#include "CRightView.h"
#include "CRoomIconBoard.h"
#include "CRoomNumberset.h"
#include "CSetupPS.h"
#include "ChangeWatch.h"
#include "Globals.h"
#include "LanguageTexts.h"
#include "MessageBox.h"
#include "OpenFailure.h"
#include "Profile.h"
#include "RecordsCommands.h"
#include "RecordsetUse.h"
#include "Resources.h"
#include "Shell.h"
#include "StoreLink.h"
#include "UiLocale.h"
#include "UndoneOperation.h"

namespace {

// Runs one of the room operations. A database error has undone it: it is
// reported, and nothing is returned.
template <typename Operation>
auto RunReported(Operation operation) -> std::optional<decltype(operation())>
{
    try {
        return operation();
    } catch (const CDBException& e) {
        ReportUndoneOperation(e);
        return std::nullopt;
    }
}

// Widths at set-up; the language commands then set their own.
const int kSetupWidths[] = {110, 50, 100, 50, 170, 80, 170, 170, 80, 300};

// The two timers that watch the rooms let by the hour.
constexpr int kFillTimer = 1000;
constexpr int kBlinkTimer = 1001;

// Indexes of the row pictures in the image list.
enum { kPictureRoom = 0, kPictureGuest = 1, kPictureClean = 2, kPictureNone = -1 };

}  // namespace

wxString RoomHasGuestsMessage(int language, const CString& roomNo)
{
    static const LocalText hasGuests{"%s 房间还有客人入住，不能删除！", "House %s still has guests and cannot be deleted!"};
    return wxString::Format(hasGuests.For(language), roomNo);
}

wxString FormatRoomStatusLine(int language, const CString& roomNo, int persons)
{
    if (language == 1)
        return wxString::Format(wxString::FromUTF8("%s号房间有%d个人入住"), roomNo, persons);
    if (language == 2)
        return wxString::Format("%s number house have %d person move into", roomNo, persons);
    return roomNo;
}

BOOL IsHourlyPeriodOverAt(COleDateTime start, COleDateTime end, COleDateTime now)
{
    if (start.GetStatus() == COleDateTime::valid && end.GetStatus() == COleDateTime::valid) {
        // A stay that passes midnight may be stored with its end on the start's
        // date: the end is then on the next day.
        if (end < start)
            end = end + COleDateTimeSpan(1, 0, 0, 0);
        return now >= end ? TRUE : FALSE;
    }
    // Without valid dates only the parts can be compared, each of them -1.
    auto secondsOfDay = [](const COleDateTime& t) {
        return t.GetHour() * 3600 + t.GetMinute() * 60 + t.GetSecond();
    };
    return secondsOfDay(end) - secondsOfDay(start) <= secondsOfDay(now) - secondsOfDay(start) ? TRUE : FALSE;
}

BOOL IsHourlyPeriodOver(COleDateTime start, COleDateTime end)
{
    return IsHourlyPeriodOverAt(start, end, COleDateTime::GetCurrentTime());
}

void FormatRoomDetails(const CHouseset& room, BoardRow& row)
{
    static const wxString dayFormat = wxString::FromUTF8("%Y年%m月%d日");
    // Written for every room in view: plainer than the general formatter.
    static const std::wstring personsSuffix = wxString::FromUTF8("人").ToStdWstring();
    row.pictures[1] = room.m_nPersons > 0 ? kPictureGuest : kPictureNone;
    row.texts[2] = room.m_strPrice;
    row.pictures[3] = room.m_bCleaning ? kPictureClean : kPictureNone;
    row.texts[4] = room.m_bReserved ? room.m_dtReserveDate.Format(dayFormat) : wxString();
    row.texts[5] = std::to_wstring(int(room.m_nPersons)) + personsSuffix;
    row.texts[6] = room.m_bHourly ? room.m_dtHourStart.Format("%H:%M") : wxString();
    row.texts[7] = room.m_bHourly ? room.m_dtHourEnd.Format("%H:%M") : wxString();
    row.texts[9] = room.m_strIntro;
    row.reserved = room.m_bReserved != FALSE;
    row.detailed = true;
}

void FormatRoomHourly(BOOL hourly, const COleDateTime& start, const COleDateTime& end, BoardRow& row)
{
    row.pictures[8] = hourly ? kPictureGuest : kPictureNone;
    row.hourly = hourly != FALSE;
    row.hourStart = start;
    row.hourEnd = end;
}

void FormatRoomRow(const CHouseset& room, BoardRow& row)
{
    row.texts[0] = room.m_strRoomNo;
    row.pictures[0] = kPictureRoom;
    FormatRoomDetails(room, row);
    FormatRoomHourly(room.m_bHourly, room.m_dtHourStart, room.m_dtHourEnd, row);
}

wxIMPLEMENT_DYNAMIC_CLASS(CQuillan2021View, wxView);

CQuillan2021View::CQuillan2021View()
{
    m_fillTimer.SetOwner(this, kFillTimer);
    m_blinkTimer.SetOwner(this, kBlinkTimer);
    Bind(wxEVT_TIMER, &CQuillan2021View::OnTimerEvent, this);
    BindCommands();
}

CQuillan2021Doc* CQuillan2021View::GetDocument() const
{
    return wxStaticCast(wxView::GetDocument(), CQuillan2021Doc);
}

// The view's message map: commands from the menu, the toolbar and the context
// menu reach the view through the document manager.
void CQuillan2021View::BindCommands()
{
    using Handler = void (CQuillan2021View::*)();
    const std::pair<int, Handler> commands[] = {
        {ID_LANGUAGE_CHINESE, &CQuillan2021View::OnLanguageChinese},
        {ID_LANGUAGE_ENGLISH, &CQuillan2021View::OnLanguageEnglish},
        {ID_REGISTER, &CQuillan2021View::OnRegister},
        {ID_CHECKOUT, &CQuillan2021View::OnCheckOut},
        {ID_CHANGE_ROOM, &CQuillan2021View::OnChangeRoom},
        {ID_RESERVE, &CQuillan2021View::OnReserve},
        {ID_CANCEL_RESERVE, &CQuillan2021View::OnCancelReservation},
        {ID_CLEAN_ROOM, &CQuillan2021View::OnCleanRoom},
        {ID_REPAIR, &CQuillan2021View::OnRepairRoom},
        {ID_ADD_ROOM, &CQuillan2021View::OnAddRoom},
        {ID_MODIFY_ROOM, &CQuillan2021View::OnModifyRoom},
        {ID_DELETE_ROOM, &CQuillan2021View::OnDeleteRoom},
        {ID_LARGE_ICONS, &CQuillan2021View::OnLargeIcons},
        {ID_SMALL_ICONS, &CQuillan2021View::OnSmallIcons},
        {ID_EXTRA_LARGE_ICONS, &CQuillan2021View::OnExtraLargeIcons},
        {ID_VIEW_RECORDS, &CQuillan2021View::OnViewRecords},
        {ID_CASHBOOK, &CQuillan2021View::OnCashBook},
        {ID_EXPORT_IMPORT, &CQuillan2021View::OnImportExport},
        {ID_SETUP_PASSWORD, &CQuillan2021View::OnPassword},
        {ID_REWARD, &CQuillan2021View::OnReward},
        {ID_CALCULATOR, &CQuillan2021View::OnCalculator},
        {ID_COMMENT, &CQuillan2021View::OnComment},
    };
    for (const auto& [id, handler] : commands)
        Bind(wxEVT_MENU, [this, handler = handler](wxCommandEvent&) { (this->*handler)(); }, id);

    for (int id : {ID_REGISTER, ID_DELETE_ROOM, ID_REPAIR, ID_RESERVE})
        Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Enable(GetSelectionMark() != -1); }, id);
    Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Enable(m_bCanCheckOut && GetSelectionMark() != -1); },
         ID_CHECKOUT);
    Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Enable(m_bCanChangeRoom && GetSelectionMark() != -1); },
         ID_CHANGE_ROOM);
    // The row knows whether its room is reserved, also when there is no date
    // to show: it answers without opening the table at every update.
    Bind(
        wxEVT_UPDATE_UI,
        [this](wxUpdateUIEvent& e) {
            const int row = GetSelectionMark();
            e.Enable(row != -1 && m_pList->DetailedRow(row).reserved);
        },
        ID_CANCEL_RESERVE);
    Bind(
        wxEVT_UPDATE_UI,
        [this](wxUpdateUIEvent& e) {
            e.Enable(GetSelectionMark() != -1);
            if (g_nLanguage == 1 || g_nLanguage == 2)
                e.SetText(g_nLanguage == 1 ? wxString::FromUTF8("修改房间记录") : wxString("Modify house record set"));
        },
        ID_MODIFY_ROOM);
    const std::pair<int, int> modes[] = {{ID_LARGE_ICONS, 1000}, {ID_SMALL_ICONS, 1001}, {ID_EXTRA_LARGE_ICONS, 1002}};
    for (const auto& [id, mode] : modes)
        Bind(wxEVT_UPDATE_UI, [this, mode = mode](wxUpdateUIEvent& e) { e.Check(m_nViewMode == mode); }, id);
}

bool CQuillan2021View::OnCreate(wxDocument* doc, long flags)
{
    if (!wxView::OnCreate(doc, flags))
        return false;
    CMainFrame* frame = wxStaticCast(wxTheApp->GetTopWindow(), CMainFrame);
    // The rows and, for the extra-large mode, the icons drawn from them share the middle of the frame.
    m_pBoardWindow = new wxPanel(frame);
    m_pList = new CRoomList(m_pBoardWindow, wxLC_SINGLE_SEL | wxBORDER_SUNKEN);
    m_pIconBoard = new CRoomIconBoard(m_pBoardWindow, *m_pList);
    m_pIconBoard->Hide();
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pList, 1, wxEXPAND);
    sizer->Add(m_pIconBoard, 1, wxEXPAND);
    m_pBoardWindow->SetSizer(sizer);
    SetFrame(frame);
    frame->SetViewWindow(m_pBoardWindow);
    BindListEvents();
    m_pList->SetDetailsReader([this](long first, long last) { ReadRowDetails(first, last); });
    Activate(true);
    return true;
}

bool CQuillan2021View::OnClose(bool deleteWindow)
{
    if (!wxView::OnClose(deleteWindow))
        return false;
    Activate(false);
    m_fillTimer.Stop();
    m_blinkTimer.Stop();
    // The list's handlers belong to this view: the list goes with it.
    if (CMainFrame* frame = wxDynamicCast(GetFrame(), CMainFrame))
        frame->SetViewWindow(nullptr);
    if (m_pBoardWindow)
        m_pBoardWindow->Destroy();
    m_pBoardWindow = nullptr;
    m_pList = nullptr;
    m_pIconBoard = nullptr;
    return true;
}

wxWindow* ListRowsWindow(wxListCtrl& list)
{
#ifdef __WXGTK__
    // GTK's list is drawn by wx itself: its rows lie in a child window of the list.
    for (wxWindow* child : list.GetChildren())
        if (static_cast<void*>(child) == static_cast<void*>(list.m_mainWin))
            return child;
#endif
    return &list;
}

void CQuillan2021View::BindListEvents()
{
    for (wxWindow* board : {static_cast<wxWindow*>(m_pList), static_cast<wxWindow*>(m_pIconBoard)}) {
        board->Bind(wxEVT_KEY_DOWN, &CQuillan2021View::OnKeyDown, this);
        board->Bind(wxEVT_CONTEXT_MENU, &CQuillan2021View::OnContextMenu, this);
    }
    m_pList->Bind(wxEVT_LIST_ITEM_SELECTED, &CQuillan2021View::OnItemChanged, this);
    m_pList->Bind(wxEVT_LIST_ITEM_DESELECTED, &CQuillan2021View::OnItemChanged, this);
    // The list reports a double-click only on a row, and as an activation: a
    // double-click anywhere, also beside the rows, checks in the marked room.
    wxWindow* rows = ListRowsWindow(*m_pList);
    rows->Bind(wxEVT_LEFT_DCLICK, [this](wxMouseEvent&) { OnDblClk(); });
    // The commands act on the marked room: a click beside the rows leaves it marked.
    rows->Bind(wxEVT_LEFT_DOWN, [this, rows](wxMouseEvent& event) {
        int flags = 0;
        if (m_pList->HitTest(event.GetPosition(), flags) == wxNOT_FOUND)
            rows->SetFocus();
        else
            event.Skip();
    });
    m_pIconBoard->Bind(wxEVT_LEFT_DCLICK, [this](wxMouseEvent&) { OnDblClk(); });
    // Enter on a row checks in as well.
    m_pList->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent&) { OnRegister(); });
}

void CQuillan2021View::OnDblClk()
{
    OnRegister();
}

// Windows opened from the board stand over the middle of the main frame.
wxWindow* CQuillan2021View::DialogParent() const
{
    return GetFrame();
}

void CQuillan2021View::SetStatusLine(const wxString& text)
{
    if (CMainFrame* frame = wxDynamicCast(GetFrame(), CMainFrame))
        frame->SetRoomStatusLine(text);
}

void CQuillan2021View::OnItemChanged(wxListEvent& event)
{
    event.Skip();  // the icon board follows the selection too
    ReadRoomOfRow(int(event.GetIndex()));
}

void CQuillan2021View::OnRowChanged()
{
    const int marked = GetSelectionMark();
    if (marked != -1)
        ReadRoomOfRow(marked);
}

void CQuillan2021View::ReadRoomOfRow(int row)
{
    const bool onRow = row >= 0 && row < m_pList->GetItemCount();
    const RoomRef room = onRow ? RoomOfRow(row) : RoomRef();
    CHouseset rooms(&GetTheApp().m_dbHotel);
    if (!OpenRoomsNumbered(rooms, room.number)) {
        QuitAfterOpenFailure();
        return;
    }
    // No row, or a room gone from the table: nothing to check out, nothing to show.
    const bool found = onRow && rooms.FindRoom(room.number, room.twin) != -1;
    m_bCanCheckOut = m_bCanChangeRoom = found && rooms.m_nPersons != 0;
    SetStatusLine(found ? FormatRoomStatusLine(g_nLanguage, rooms.m_strRoomNo, rooms.m_nPersons) : wxString());
    rooms.Close();
    if (g_nIconMode == 3) {
        if (found)
            g_nSelectedRoomIndex = row;
        RefreshDetailPane(false);
    }
}

void CQuillan2021View::OnTimerEvent(wxTimerEvent& event)
{
    // The frame's clock timer shares an id with the blink timer, and the frame
    // hands its events to the view first: let it pass on to the frame.
    const wxTimer& timer = event.GetTimer();
    if (&timer == &m_fillTimer || &timer == &m_blinkTimer)
        OnTimer(UINT_PTR(event.GetId()));
    else
        event.Skip();
}

void CQuillan2021View::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kFillTimer) {
        FillHourlyFlags();
        // What another desk changed reaches this board within a tick or two.
        if (!m_otherDesks)
            m_otherDesks = std::make_unique<ChangeWatch>(GetTheApp());
        else if (m_otherDesks->HasChangedSince())
            LoadRooms();
    } else if (!g_vHourlyDue.empty())
        BlinkOverdueRooms();
}

void CQuillan2021View::FillHourlyFlags()
{
    // Flags already there keep their blink phase; rooms added since get theirs.
    const COleDateTime now = COleDateTime::GetCurrentTime();
    for (long i = long(g_vHourlyDue.size()); i < m_pList->GetItemCount(); ++i) {
        const BoardRow& room = m_pList->Row(i);
        g_vHourlyDue.push_back(room.hourly && IsHourlyPeriodOverAt(room.hourStart, room.hourEnd, now));
    }
}

void CQuillan2021View::BlinkOverdueRooms()
{
    const COleDateTime now = COleDateTime::GetCurrentTime();
    const size_t rows = std::min(g_vHourlyDue.size(), size_t(m_pList->GetItemCount()));
    for (size_t i = 0; i < rows; ++i) {
        const BoardRow& room = m_pList->Row(long(i));
        if (!room.hourly || !IsHourlyPeriodOverAt(room.hourStart, room.hourEnd, now))
            continue;
        m_pList->SetPicture(long(i), 8, g_vHourlyDue[i] ? kPictureGuest : kPictureNone);
        g_vHourlyDue[i] = !g_vHourlyDue[i];
    }
}

int CQuillan2021View::GetSelectionMark() const
{
    return m_pList ? int(m_pList->SelectedRow()) : -1;
}

RoomRef CQuillan2021View::RoomOfRow(int row) const
{
    return {m_pList->RoomNumber(row), m_pList->TwinOfRow(row)};
}

int CQuillan2021View::RowShowing(int row, const CString& roomNo) const
{
    const bool onRow = row >= 0 && row < m_pList->GetItemCount() && m_pList->RoomNumber(row) == roomNo;
    return onRow ? row : int(m_pList->FindRoom(roomNo));
}

void CQuillan2021View::MarkRow(int row)
{
    if (row < 0 || row >= m_pList->GetItemCount()) {
        ReadRoomOfRow(-1);
        return;
    }
    // Selecting a row that is already selected tells nobody: read its room
    // here, so the guests flags and the status line follow what the command did.
    const bool alreadySelected = m_pList->GetItemState(row, wxLIST_STATE_SELECTED) != 0;
    const long state = wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED;
    m_pList->SetItemState(row, state, state);
    m_pList->EnsureVisible(row);
    if (alreadySelected)
        ReadRoomOfRow(row);
}

void CQuillan2021View::OnKeyDown(wxKeyEvent& event)
{
    // The list itself would take the space bar as an activation, which checks a
    // guest in; here it only toggles cleaning.
    if (event.GetKeyCode() == WXK_SPACE)
        OnCleanRoom();
    else
        event.Skip();
}

wxMenu* CQuillan2021View::BuildContextMenu()
{
    const int row = GetSelectionMark();
    if (row == -1)
        return nullptr;
    const RoomRef room = RoomOfRow(row);
    CHouseset rooms(&GetTheApp().m_dbHotel);
    if (!OpenRoomsNumbered(rooms, room.number)) {
        QuitAfterOpenFailure();
        return nullptr;
    }
    g_nSelectedItem = row;
    g_strSelectedRoom = room.number;
    if (rooms.FindRoom(room.number, room.twin) == -1)
        return nullptr;
    m_bCanCancelReserve = rooms.m_bReserved;
    m_bCanChangeRoom = rooms.m_nPersons != 0;
    auto* menu = new wxMenu;
    for (const ContextMenuText& item : ContextMenuTexts())
        menu->Append(item.id, item.text.For(g_nLanguage));
    menu->Enable(ID_CHECKOUT, m_bCanCheckOut != FALSE);
    menu->Enable(ID_CANCEL_RESERVE, m_bCanCancelReserve != FALSE);
    menu->Enable(ID_CHANGE_ROOM, m_bCanChangeRoom != FALSE);
    return menu;
}

void CQuillan2021View::OnContextMenu(wxContextMenuEvent& event)
{
    std::unique_ptr<wxMenu> menu(BuildContextMenu());
    if (!menu)
        return;
    // Commands of the menu go to the board's window, then up to the frame and so to this view.
    wxWindow* board = m_pIconBoard->IsShown() ? static_cast<wxWindow*>(m_pIconBoard) : m_pList;
    wxPoint at = event.GetPosition();
    at = at == wxDefaultPosition ? wxDefaultPosition : board->ScreenToClient(at);
    board->PopupMenu(menu.get(), at);
}

void CQuillan2021View::OnRegister()
{
    const int row = GetSelectionMark();
    CRegisterDlg dialog(DialogParent());
    dialog.m_nMode = 0;
    dialog.m_nRoomIndex = row;
    const bool checkedIn = dialog.ShowModal() == wxID_OK;
    // The clerk may have picked another room in the dialog: the room of the new
    // stay is refreshed, also after a check-in that failed, to what the table holds.
    UpdateRoomItem(row, dialog.m_strRoom, 0);
    if (checkedIn)
        MarkRow(RowShowing(row, dialog.m_strRoom));
    CloseIfOpen(*GetDocument()->m_pHouseset);
}

void CQuillan2021View::OnCheckOut()
{
    const int row = GetSelectionMark();
    CRegEndDlg dialog(DialogParent());
    if (row != -1)
        dialog.m_strRoomNo = m_pList->RoomNumber(row);
    const bool checkedOut = dialog.ShowModal() == wxID_OK;
    // Also after a check-out that failed, the row shows what the table holds.
    UpdateRoomItem(row, dialog.m_strRoomNo, 0);
    if (checkedOut) {
        // The hourly picture goes with the stay: clear it on the room checked out of.
        const int left = FindRoomItem(dialog.m_strRoomNo);
        if (left != -1)
            m_pList->SetPicture(left, 8, kPictureNone);
    }
    MarkRow(row);
}

void CQuillan2021View::OnChangeRoom()
{
    const int row = GetSelectionMark();
    if (row == -1)
        return;
    CExchangeHDlg dialog(DialogParent());
    dialog.m_strRoomNo = m_pList->RoomNumber(row);
    const bool moved = dialog.ShowModal() == wxID_OK;
    // Also after a move that failed, both rows show what the table holds.
    UpdateRoomItem(row, dialog.m_strRoomNo, 0);
    UpdateRoomItem(0, dialog.m_strNewRoom, 0);
    MarkRow(moved ? FindRoomItem(dialog.m_strNewRoom) : row);
}

void CQuillan2021View::OnReserve()
{
    g_nSelectedItem = GetSelectionMark();
    if (g_nSelectedItem == -1)
        return;
    const RoomRef room = RoomOfRow(g_nSelectedItem);
    g_strSelectedRoom = room.number;
    CReserveDlg dialog(DialogParent(), room);
    dialog.ShowModal();
    UpdateRoomItem(g_nSelectedItem, g_strSelectedRoom, 0);
}

void CQuillan2021View::OnCancelReservation()
{
    g_nSelectedItem = GetSelectionMark();
    if (g_nSelectedItem == -1)
        return;
    const RoomRef room = RoomOfRow(g_nSelectedItem);
    g_strSelectedRoom = room.number;
    RunReported([&] { return CancelReservation(GetTheApp(), room); });
    UpdateRoomItem(g_nSelectedItem, g_strSelectedRoom, 0);
}

void CQuillan2021View::OnCleanRoom()
{
    const int row = GetSelectionMark();
    if (row == -1) {
        AfxMessageBox(wxString::FromUTF8("请选择一个房间"));
        return;
    }
    const RoomRef room = RoomOfRow(row);
    if (!RunReported([&] { return ToggleCleaning(GetTheApp(), room); }).value_or(false))
        return;
    UpdateRoomItem(row, room.number, 0);
    MarkRow(row);
}

void CQuillan2021View::OnRepairRoom()
{
    const int row = GetSelectionMark();
    if (row == -1)
        return;
    const RoomRef room = RoomOfRow(row);
    RunReported([&] { return RepairRoom(GetTheApp(), room); });
    UpdateRoomItem(row, room.number, 0);
}

void CQuillan2021View::OnAddRoom()
{
    CAddHouse dialog(DialogParent());
    dialog.m_nMode = 0;
    if (dialog.ShowModal() != wxID_OK || dialog.m_strRoomNo.empty())
        return;
    if (!ChangedRooms(RunReported([&] { return AddRoom(GetTheApp(), dialog.Values()); }), dialog.m_strRoomNo))
        return;
    MarkRow(InsertRoomRow(dialog.m_strRoomNo));
}

void CQuillan2021View::OnModifyRoom()
{
    // With no row marked, the first room is the one changed.
    const int row = std::max(GetSelectionMark(), 0);
    if (row >= m_pList->GetItemCount())
        return;
    const RoomRef room = RoomOfRow(row);
    CAddHouse dialog(DialogParent());
    {
        CHouseset rooms(&GetTheApp().m_dbHotel);
        if (!OpenRoomsNumbered(rooms, room.number) || rooms.FindRoom(room.number, room.twin) == -1)
            return;
        dialog.m_strRoomNo = rooms.m_strRoomNo;
        dialog.m_strPrice = rooms.m_strPrice;
        dialog.m_strIntro = rooms.m_strIntro;
    }
    dialog.m_nMode = 1;
    if (dialog.ShowModal() != wxID_OK || dialog.m_strRoomNo.empty())
        return;
    if (!ChangedRooms(RunReported([&] { return ModifyRoom(GetTheApp(), room, dialog.Values()); }),
                      dialog.m_strRoomNo))
        return;
    // The room keeps the mark, under its new number, in its new place, when it got one.
    if (dialog.m_strRoomNo == room.number) {
        UpdateRoomItem(row, room.number, 0);
        MarkRow(row);
        return;
    }
    RemoveRoomRow(row);
    MarkRow(InsertRoomRow(dialog.m_strRoomNo));
}

void CQuillan2021View::OnDeleteRoom()
{
    const int row = GetSelectionMark();
    if (row == -1) {
        AfxMessageBox(wxString::FromUTF8("请选择一个房间！"));
        return;
    }
    const RoomRef room = RoomOfRow(row);
    const CString question = g_nLanguage == 2
                                 ? wxString::Format("Do you sure to delete %s house?", room.number)
                                 : wxString::Format(wxString::FromUTF8("您确认要删除 %s 房间吗？"), room.number);
    if (AfxMessageBox(question, MB_OKCANCEL | MB_ICONQUESTION) == IDCANCEL)
        return;
    if (!ChangedRooms(RunReported([&] { return DeleteRoom(GetTheApp(), room); }), room.number))
        return;
    RemoveRoomRow(row);
    MarkRow(row - 1);
}

int CQuillan2021View::InsertRoomRow(const CString& roomNo)
{
    CHouseset rooms(&GetTheApp().m_dbHotel);
    if (!OpenRoomsNumbered(rooms, roomNo) || rooms.FindRoom(roomNo) == -1)
        return -1;
    BoardRow values;
    FormatRoomRow(rooms, values);
    // Its place in the board's order, as the database sorts; the rooms before
    // it are counted, not read.
    const long row = std::min(RoomsBefore(GetTheApp().m_dbHotel, roomNo), long(m_pList->GetItemCount()));
    m_pList->InsertRow(row, std::move(values));
    m_pIconBoard->Relayout();
    return int(row);
}

void CQuillan2021View::RemoveRoomRow(int row)
{
    m_pList->DeleteRow(row);
    m_pIconBoard->Relayout();
}

bool CQuillan2021View::ChangedRooms(std::optional<RoomChange> change, const CString& roomNo)
{
    if (change == RoomChange::numberTaken)
        AfxMessageBox(RoomNoTakenMessage(g_nLanguage, roomNo));
    else if (change == RoomChange::hasGuests)
        AfxMessageBox(RoomHasGuestsMessage(g_nLanguage, roomNo));
    return change == RoomChange::done;
}

void CQuillan2021View::OnViewRecords()
{
    OpenGuestRecords(DialogParent());
}

void CQuillan2021View::OnCashBook()
{
    OpenCashBook(DialogParent());
}

void CQuillan2021View::OnImportExport()
{
    OpenImportExport(DialogParent());
}

void CQuillan2021View::OnPassword()
{
    CSetupPS dialog(DialogParent());
    dialog.ShowModal();
}

void CQuillan2021View::OnReward()
{
    CRewardDlg dialog(DialogParent());
    dialog.ShowModal();
}

void CQuillan2021View::OnCalculator()
{
    ShellOpen("calc.exe");
}

void CQuillan2021View::OnComment()
{
    if (IsStoreVersionSupported())
        ShellOpen(StoreLaunchLink());
    else
        AfxMessageBox(StoreTooOldMessage(g_nLanguage), MB_OK);
}

void CQuillan2021View::OnLanguageChinese()
{
    ApplyLanguage(1);
}

void CQuillan2021View::OnLanguageEnglish()
{
    ApplyLanguage(2);
}

void CQuillan2021View::ApplyLanguage(int language)
{
    wxFrame* frame = wxDynamicCast(GetFrame(), wxFrame);
    if (wxMenuBar* bar = frame ? frame->GetMenuBar() : nullptr) {
        const auto& top = TopMenuTexts();
        for (size_t i = 0; i < top.size() && i < bar->GetMenuCount(); ++i)
            bar->SetMenuLabel(i, top[i].For(language));
        for (const MenuItemText& item : MenuItemTexts()) {
            wxMenu* menu = bar->GetMenu(size_t(item.menu));
            wxMenuItem* entry = item.id == -1 ? menu->FindItemByPosition(size_t(item.position))
                                              : menu->FindItem(item.id);
            if (entry)
                entry->SetItemLabel(item.text.For(language));
        }
    }
    const auto& columns = BoardColumnTexts();
    for (size_t i = 0; i < columns.size() && int(i) < m_pList->GetColumnCount(); ++i) {
        wxListItem column;
        column.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH);
        column.SetText(columns[i].text.For(language));
        column.SetWidth(columns[i].WidthFor(language));
        m_pList->SetColumn(long(i), column);
    }
    if (wxToolBar* tools = frame ? frame->GetToolBar() : nullptr) {
        for (const ToolText& tool : ToolbarTexts()) {
            if (tool.id == 0)
                continue;
            if (wxToolBarToolBase* button = tools->FindById(tool.id))
                button->SetLabel(tool.label.For(language));
            tools->SetToolShortHelp(tool.id, ToolTipFor(tool.id, language));
        }
        tools->Realize();
    }
    if (frame)
        frame->Refresh();
    g_nLanguage = language;
    // Windows opened from now on, the toolkit's own dialogs among them, speak the new language.
    ApplyUiLocale(language);
    WritePrivateProfileStringW(L"LANGUAGE", L"Language", std::to_wstring(language).c_str(), kSettingsFile);
}

void CQuillan2021View::SetRowImageList(int size)
{
    m_imageList.RemoveAll();
    m_imageList.Create(size, size, true, 4);
    for (int id : {IDI_ROOM, IDI_GUEST, IDI_CLEAN, IDI_APP})
        m_imageList.Add(LoadResourceBitmap(id, size));
    m_pList->SetImageList(&m_imageList, wxIMAGE_LIST_SMALL);
}

void CQuillan2021View::SetViewMode(int nMode)
{
    // The list stays in rows, so that every column is there when the rows come back;
    // the extra-large icons are drawn from it.
    const bool icons = nMode == 1002;
    if (icons)
        m_pIconBoard->SetIcon(LoadResourceBitmap(IDI_ROOM, IconGrid::kIconSize));
    else
        SetRowImageList(nMode == 1000 ? 48 : 32);
    const bool hadFocus = wxWindow::FindFocus() && m_pBoardWindow->IsDescendant(wxWindow::FindFocus());
    m_pList->Show(!icons);
    m_pIconBoard->Show(icons);
    m_pBoardWindow->Layout();
    wxWindow* shown = icons ? static_cast<wxWindow*>(m_pIconBoard) : m_pList;
    if (hadFocus)
        shown->SetFocus();
    if (icons)
        m_pIconBoard->EnsureVisible(GetSelectionMark());
    shown->Refresh();
}

void CQuillan2021View::RefreshDetailPane(bool showPane)
{
    CMainFrame* frame = wxDynamicCast(GetFrame(), CMainFrame);
    if (!frame)
        return;
    if (showPane)
        frame->ShowPane(true);
    if (CRightView* pane = frame->GetRightView())
        pane->GetPanel()->RedrawNow();
    frame->SendSizeEvent();
}

void CQuillan2021View::OnLargeIcons()
{
    m_nViewMode = 1000;
    SetViewMode(1000);
    g_nIconMode = 2;
    RefreshDetailPane(true);
}

void CQuillan2021View::OnSmallIcons()
{
    m_nViewMode = 1001;
    SetViewMode(1001);
    g_nIconMode = 1;
    RefreshDetailPane(false);
}

void CQuillan2021View::OnExtraLargeIcons()
{
    m_nViewMode = 1002;
    SetViewMode(1002);
    g_nIconMode = 3;
    // The card shows the marked room from the start.
    if (GetSelectionMark() != -1)
        g_nSelectedRoomIndex = GetSelectionMark();
    RefreshDetailPane(false);
}

void CQuillan2021View::OnInitialUpdate()
{
    SetRowImageList(48);
    const auto& columns = BoardColumnTexts();
    for (size_t i = 0; i < columns.size(); ++i)
        m_pList->InsertColumn(long(i), columns[i].text.For(1), wxLIST_FORMAT_CENTRE, kSetupWidths[i]);
    if (g_nLanguage == 0 || g_nLanguage == 1) {
        g_nLanguage = 1;
        OnLanguageChinese();
    } else if (g_nLanguage == 2) {
        OnLanguageEnglish();
    }
    g_nIconMode = 2;
    LoadRooms();
}

// The document's rooms recordset, opened in the board's order when it is closed.
BOOL CQuillan2021View::OpenRooms()
{
    CHouseset& rooms = *GetDocument()->m_pHouseset;
    return rooms.IsOpen() || OpenRoomsInBoardOrder(rooms);
}

void CQuillan2021View::LoadRooms()
{
    m_fillTimer.Start(800);
    m_blinkTimer.Start(800);
    m_pList->SetRows({});
    // The board reads its rooms itself: the document's stand closed, as after every load.
    CloseIfOpen(*GetDocument()->m_pHouseset);
    CRoomNumberset rooms(&GetTheApp().m_dbHotel, true);
    if (!OpenRoomsInBoardOrder(rooms))
        return;
    wxBusyCursor wait;
    // Every room's number and hourly stay, which the hourly timers watch on
    // every row; the list has the rest of a row read when it draws the row.
    // Rooms that share a number are each listed once, with their own values.
    std::vector<BoardRow> rows;
    rows.reserve(size_t(std::max(rooms.GetRecordCount(), 0L)));
    for (; !rooms.IsEOF(); rooms.MoveNext()) {
        BoardRow& row = rows.emplace_back();
        row.texts[0] = rooms.m_strRoomNo;
        row.pictures[0] = kPictureRoom;
        FormatRoomHourly(rooms.m_bHourly, rooms.m_dtHourStart, rooms.m_dtHourEnd, row);
        row.detailed = false;
    }
    rooms.Close();
    m_pList->SetRows(std::move(rows));
    m_pIconBoard->Relayout();
}

void CQuillan2021View::ReadRowDetails(long first, long last)
{
    // Rooms that share a number come together: the rows of the numbers at both ends are read whole.
    const CString low = m_pList->RoomNumber(first), high = m_pList->RoomNumber(last);
    while (first > 0 && m_pList->RoomNumber(first - 1) == low)
        --first;
    while (last + 1 < m_pList->GetItemCount() && m_pList->RoomNumber(last + 1) == high)
        ++last;
    try {
        CHouseset rooms(&GetTheApp().m_dbHotel);
        rooms.SetNumberRange(low, high);
        OpenOrThrow(rooms);
        // The rooms come in the board's order; a row whose room went keeps its number alone.
        long row = first;
        for (; !rooms.IsEOF(); rooms.MoveNext()) {
            long shows = row;
            while (shows <= last && m_pList->RoomNumber(shows) != rooms.m_strRoomNo)
                ++shows;
            if (shows > last)
                continue;
            FormatRoomDetails(rooms, m_pList->RowToFill(shows));
            row = shows + 1;
        }
    } catch (const CDBException& e) {
        // The list is drawing: the clerk is told once it has drawn.
        CallAfter([e] { e.ReportError(); });
    }
    for (long row = first; row <= last; ++row)
        m_pList->RowToFill(row).detailed = true;
}

BOOL CQuillan2021View::UpdateRoomItem(int nItem, CString strRoomNo, int nMode)
{
    if (nMode == 1) {
        CHouseset& rooms = *GetDocument()->m_pHouseset;
        if (!OpenRooms())
            return FALSE;
        // The walk of LoadRooms has just moved onto the room: its values are
        // fresh and searching again would make loading the board quadratic.
        const bool onRoom = !rooms.IsEOF() && rooms.m_strRoomNo == strRoomNo;
        if (!onRoom && rooms.FindRoom(strRoomNo) == -1)
            return FALSE;
        BoardRow values;
        FormatRoomRow(rooms, values);
        m_pList->InsertRow(nItem, std::move(values));
        return TRUE;
    }
    // Rows are refreshed from their rooms read alone: finding them in the board's
    // recordset would first count every room before them in the board's order.
    // Each row of the number shows its own room, where rooms share a number.
    CHouseset rooms(&GetTheApp().m_dbHotel);
    if (!OpenRoomsNumbered(rooms, strRoomNo))
        return FALSE;
    BOOL written = FALSE;
    // The board is looked through for a row only while the table has a room
    // for it: the rows after the last one of the number are not read.
    long row = -1;
    for (int twin = 0; rooms.FindRoom(strRoomNo, twin) != -1; ++twin) {
        row = m_pList->FindRoom(strRoomNo, row + 1);
        if (row == -1)
            break;
        BoardRow values;
        FormatRoomRow(rooms, values);
        values.texts[0] = strRoomNo;
        m_pList->SetRow(row, std::move(values));
        written = TRUE;
    }
    if (written)
        OnRowChanged();
    return written;
}

int CQuillan2021View::FindRoomItem(CString strRoomNo)
{
    return int(m_pList->FindRoom(strRoomNo));
}
