#include "CQuillan2021View.h"

#include <string>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/toolbar.h>
#include <wx/utils.h>
#include <algorithm>
#include "BoardOrder.h"
#include "CAddHouse.h"
#include "CExchangeHDlg.h"
#include "CRegEndDlg.h"
#include "CReserveDlg.h"
#include "CRegisterDlg.h"
#include "CQuillan2021App.h"
#include "Globals.h"
#include "LanguageTexts.h"
#include "LockSettings.h"
#include "MessageBox.h"
#include "Profile.h"
#include "RecordsetUse.h"
#include "Resources.h"

namespace {

// Widths at set-up; the language commands then set their own.
const int kSetupWidths[] = {110, 50, 100, 50, 170, 80, 170, 170, 80, 300};

// The two timers that watch the rooms let by the hour.
constexpr int kFillTimer = 1000;
constexpr int kBlinkTimer = 1001;

// Indexes of the row pictures in the image list.
enum { kPictureRoom = 0, kPictureGuest = 1, kPictureClean = 2, kPictureNone = -1 };

}  // namespace

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
    constexpr int kDay = 24 * 3600;
    auto secondsOfDay = [](const COleDateTime& t) {
        return t.GetHour() * 3600 + t.GetMinute() * 60 + t.GetSecond();
    };
    int period = secondsOfDay(end) - secondsOfDay(start);
    int elapsed = secondsOfDay(now) - secondsOfDay(start);
    const bool bothValid = start.GetStatus() == COleDateTime::valid && end.GetStatus() == COleDateTime::valid;
    // Across midnight the end's time of day is the smaller one: count it on the next day,
    // and so the time after midnight that has passed since the start.
    if (bothValid && period < 0) {
        period += kDay;
        if (elapsed < 0)
            elapsed += kDay;
    }
    return period <= elapsed ? TRUE : FALSE;
}

BOOL IsHourlyPeriodOver(COleDateTime start, COleDateTime end)
{
    return IsHourlyPeriodOverAt(start, end, COleDateTime::GetCurrentTime());
}

RoomRowTexts FormatRoomRow(const CHouseset& room)
{
    RoomRowTexts row;
    row.price = room.m_strPrice;
    if (room.m_bReserved)
        row.reserveDate = room.m_dtReserveDate.Format(wxString::FromUTF8("%Y年%m月%d日"));
    row.persons = wxString::Format(wxString::FromUTF8("%d人"), int(room.m_nPersons));
    if (room.m_bHourly) {
        row.hourStart = room.m_dtHourStart.Format("%H:%M");
        row.hourEnd = room.m_dtHourEnd.Format("%H:%M");
    }
    row.intro = room.m_strIntro;
    return row;
}

CQuillan2021View::CQuillan2021View(wxWindow* parent)
    : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLC_REPORT | wxLC_SINGLE_SEL | wxBORDER_SUNKEN)
{
    // Menu commands reach the frame; the board's own are handled here.
    parent->Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnLanguageChinese(); }, ID_LANGUAGE_CHINESE);
    parent->Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnLanguageEnglish(); }, ID_LANGUAGE_ENGLISH);
    parent->Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnRegister(); }, ID_REGISTER);
    parent->Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnCheckOut(); }, ID_CHECKOUT);
    parent->Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Enable(m_bCanCheckOut != FALSE); }, ID_CHECKOUT);
    Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent&) { OnRegister(); });
    parent->Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnChangeRoom(); }, ID_CHANGE_ROOM);
    parent->Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Enable(m_bCanChangeRoom != FALSE); }, ID_CHANGE_ROOM);
    parent->Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnReserve(); }, ID_RESERVE);
    parent->Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnCancelReservation(); }, ID_CANCEL_RESERVE);
    parent->Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Enable(GetSelectionMark() != -1); }, ID_RESERVE);
    // The board shows a reservation date exactly while the room is reserved.
    parent->Bind(
        wxEVT_UPDATE_UI,
        [this](wxUpdateUIEvent& e) {
            const int row = GetSelectionMark();
            e.Enable(row != -1 && !GetItemText(row, 4).empty());
        },
        ID_CANCEL_RESERVE);
    parent->Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnCleanRoom(); }, ID_CLEAN_ROOM);
    parent->Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnRepairRoom(); }, ID_REPAIR);
    parent->Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnAddRoom(); }, ID_ADD_ROOM);
    parent->Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnModifyRoom(); }, ID_MODIFY_ROOM);
    parent->Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnDeleteRoom(); }, ID_DELETE_ROOM);
    for (int id : {ID_REGISTER, ID_DELETE_ROOM, ID_REPAIR})
        parent->Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Enable(GetSelectionMark() != -1); }, id);
    parent->Bind(
        wxEVT_UPDATE_UI,
        [this](wxUpdateUIEvent& e) {
            e.Enable(GetSelectionMark() != -1);
            if (g_nLanguage == 1 || g_nLanguage == 2)
                e.SetText(g_nLanguage == 1 ? wxString::FromUTF8("修改房间记录") : wxString("Modify house record set"));
        },
        ID_MODIFY_ROOM);
    parent->Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnLargeIcons(); }, ID_LARGE_ICONS);
    parent->Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnSmallIcons(); }, ID_SMALL_ICONS);
    parent->Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnExtraLargeIcons(); }, ID_EXTRA_LARGE_ICONS);
    const std::pair<int, int> modes[] = {{ID_LARGE_ICONS, 1000}, {ID_SMALL_ICONS, 1001}, {ID_EXTRA_LARGE_ICONS, 1002}};
    for (const auto& [id, mode] : modes)
        parent->Bind(wxEVT_UPDATE_UI, [this, mode = mode](wxUpdateUIEvent& e) { e.Check(m_nViewMode == mode); }, id);
    Bind(wxEVT_KEY_DOWN, &CQuillan2021View::OnKeyDown, this);
    Bind(wxEVT_LIST_ITEM_SELECTED, &CQuillan2021View::OnItemChanged, this);
    Bind(wxEVT_LIST_ITEM_DESELECTED, &CQuillan2021View::OnItemChanged, this);
    Bind(wxEVT_TIMER, &CQuillan2021View::OnTimer, this);
    m_fillTimer.SetOwner(this, kFillTimer);
    m_blinkTimer.SetOwner(this, kBlinkTimer);
}

CQuillan2021View::~CQuillan2021View()
{
    m_fillTimer.Stop();
    m_blinkTimer.Stop();
}

void CQuillan2021View::OnItemChanged(wxListEvent& event)
{
    CHouseset rooms(&GetTheApp().m_dbHotel);
    if (!OpenRoomsInBoardOrder(rooms)) {
        wxTheApp->ExitMainLoop();
        return;
    }
    const long row = event.GetIndex();
    if (rooms.FindRoom(GetItemText(row, 0)) == -1)
        return;
    m_bCanCheckOut = m_bCanChangeRoom = rooms.m_nPersons != 0;
    if (wxFrame* frame = wxDynamicCast(GetParent(), wxFrame)) {
        frame->SetStatusText(FormatRoomStatusLine(g_nLanguage, rooms.m_strRoomNo, rooms.m_nPersons), 0);
        if (frame->GetStatusBar())
            frame->GetStatusBar()->Update();
    }
    if (g_nIconMode == 3)
        g_nSelectedRoomIndex = int(row);
}

void CQuillan2021View::OnTimer(wxTimerEvent& event)
{
    CHouseset rooms(&GetTheApp().m_dbHotel);
    if (!OpenRoomsInBoardOrder(rooms))
        return;
    if (event.GetId() == kFillTimer)
        FillHourlyFlags(rooms);
    else if (!g_vHourlyDue.empty())
        BlinkOverdueRooms(rooms);
}

void CQuillan2021View::FillHourlyFlags(CHouseset& rooms)
{
    const size_t count = size_t(rooms.GetRecordCount());
    size_t i = 0;
    for (rooms.MoveFirst(); !rooms.IsEOF() && g_vHourlyDue.size() < count; rooms.MoveNext(), ++i) {
        if (i < g_vHourlyDue.size())
            continue;  // flags already there keep their blink phase
        g_vHourlyDue.push_back(rooms.m_bHourly && IsHourlyPeriodOver(rooms.m_dtHourStart, rooms.m_dtHourEnd));
    }
}

void CQuillan2021View::BlinkOverdueRooms(CHouseset& rooms)
{
    size_t i = 0;
    for (rooms.MoveFirst(); !rooms.IsEOF(); rooms.MoveNext(), ++i) {
        if (i >= g_vHourlyDue.size() || int(i) >= GetItemCount())
            break;
        if (!rooms.m_bHourly || !IsHourlyPeriodOver(rooms.m_dtHourStart, rooms.m_dtHourEnd))
            continue;
        SetItemColumnImage(long(i), 8, g_vHourlyDue[i] ? kPictureGuest : kPictureNone);
        g_vHourlyDue[i] = !g_vHourlyDue[i];
    }
}

int CQuillan2021View::GetSelectionMark() const
{
    return int(GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED));
}

void CQuillan2021View::MarkRow(int row)
{
    if (row < 0 || row >= GetItemCount())
        return;
    SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
}

void CQuillan2021View::OnKeyDown(wxKeyEvent& event)
{
    if (event.GetKeyCode() == WXK_SPACE)
        OnCleanRoom();
    else
        event.Skip();
}

void CQuillan2021View::OnRegister()
{
    const int row = GetSelectionMark();
    if (row == -1)
        return;
    CRegisterDlg dialog(this);
    dialog.m_nMode = 0;
    dialog.m_nRoomIndex = row;
    if (dialog.ShowModal() != wxID_OK || dialog.m_strRoom.empty())
        return;
    // The clerk may have picked another room in the dialog: refresh the room of the new stay.
    UpdateRoomItem(row, dialog.m_strRoom, 0);
    MarkRow(FindRoomItem(dialog.m_strRoom));
    m_bCanCheckOut = m_bCanChangeRoom = TRUE;  // the room now has a guest
}

void CQuillan2021View::OnCheckOut()
{
    const int row = GetSelectionMark();
    CRegEndDlg dialog(this);
    if (row != -1)
        dialog.m_strRoomNo = GetItemText(row, 0);
    if (dialog.ShowModal() != wxID_OK)
        return;
    UpdateRoomItem(row, dialog.m_strRoomNo, 0);
}

void CQuillan2021View::OnChangeRoom()
{
    const int row = GetSelectionMark();
    if (row == -1)
        return;
    CExchangeHDlg dialog(this);
    dialog.m_strRoomNo = GetItemText(row, 0);
    if (dialog.ShowModal() != wxID_OK)
        return;
    UpdateRoomItem(row, dialog.m_strRoomNo, 0);
    UpdateRoomItem(0, dialog.m_strNewRoom, 0);
    MarkRow(FindRoomItem(dialog.m_strNewRoom));
}

void CQuillan2021View::OnReserve()
{
    g_nSelectedItem = GetSelectionMark();
    if (g_nSelectedItem == -1)
        return;
    g_strSelectedRoom = GetItemText(g_nSelectedItem, 0);
    CReserveDlg dialog(this);
    dialog.ShowModal();
    UpdateRoomItem(g_nSelectedItem, g_strSelectedRoom, 0);
}

void CQuillan2021View::OnCancelReservation()
{
    g_nSelectedItem = GetSelectionMark();
    if (g_nSelectedItem == -1)
        return;
    g_strSelectedRoom = GetItemText(g_nSelectedItem, 0);
    CancelReservation(g_strSelectedRoom);
    UpdateRoomItem(g_nSelectedItem, g_strSelectedRoom, 0);
}

void CQuillan2021View::OnCleanRoom()
{
    if (!OpenRooms()) {
        wxTheApp->ExitMainLoop();
        return;
    }
    const int row = GetSelectionMark();
    if (row == -1) {
        AfxMessageBox(wxString::FromUTF8("请选择一个房间"));
        return;
    }
    const CString room = GetItemText(row, 0);
    try {
        if (m_pHouseset->FindRoom(room) == -1)
            return;
        m_pHouseset->Edit();
        m_pHouseset->m_bCleaning = !m_pHouseset->m_bCleaning;
        m_pHouseset->Update();
    } catch (const CDBException& e) {
        e.ReportError();
        return;
    }
    UpdateRoomItem(row, room, 0);
    MarkRow(row);
    m_pHouseset->Close();
}

void CQuillan2021View::OnRepairRoom()
{
    const int row = GetSelectionMark();
    if (row == -1)
        return;
    CHouseset rooms(&GetTheApp().m_dbHotel);
    if (!OpenRoomsInBoardOrder(rooms)) {
        wxTheApp->ExitMainLoop();
        return;
    }
    rooms.Move(row);
    rooms.Edit();
    rooms.m_bOccupied = FALSE;
    rooms.m_nPersons = 0;
    rooms.m_bHourly = FALSE;
    rooms.Update();
    UpdateRoomItem(row, rooms.m_strRoomNo, 0);
}

void CQuillan2021View::OnAddRoom()
{
    CAddHouse dialog(this);
    dialog.m_nMode = 0;
    if (dialog.ShowModal() != wxID_OK)
        return;
    if (m_pHouseset && m_pHouseset->IsOpen())
        m_pHouseset->Close();
    if (!OpenRooms())
        return;
    if (dialog.m_strRoomNo.empty()) {
        m_pHouseset->Close();
        return;
    }
    m_pHouseset->AddRoom(dialog.m_strRoomNo, dialog.m_strPrice, dialog.m_strIntro);
    LoadRooms();
    const int row = FindRoomItem(dialog.m_strRoomNo);
    MarkRow(row);
    if (row != -1)
        EnsureVisible(row);
}

void CQuillan2021View::OnModifyRoom()
{
    CAddHouse dialog(this);
    const int row = GetSelectionMark();
    CHouseset rooms(&GetTheApp().m_dbHotel);
    if (!OpenRoomsInBoardOrder(rooms))
        return;
    rooms.Move(std::max(row, 0));
    dialog.m_strRoomNo = rooms.m_strRoomNo;
    dialog.m_strPrice = rooms.m_strPrice;
    dialog.m_strIntro = rooms.m_strIntro;
    dialog.m_nMode = 1;
    if (dialog.ShowModal() == wxID_OK && !dialog.m_strRoomNo.empty()) {
        rooms.ModifyRoom(row, dialog.m_strRoomNo, dialog.m_strPrice, dialog.m_strIntro);
        LoadRooms();
    }
}

void CQuillan2021View::OnDeleteRoom()
{
    const int row = GetSelectionMark();
    if (row == -1) {
        AfxMessageBox(wxString::FromUTF8("请选择一个房间！"));
        return;
    }
    const CString room = GetItemText(row, 0);
    const CString question = g_nLanguage == 2
                                 ? wxString::Format("Do you sure to delete %s house?", room)
                                 : wxString::Format(wxString::FromUTF8("您确认要删除 %s 房间吗？"), room);
    if (AfxMessageBox(question, MB_OKCANCEL | MB_ICONQUESTION) == IDCANCEL)
        return;
    if (!OpenRooms())
        return;
    try {
        if (m_pHouseset->FindRoom(room) == -1)
            return;
        m_pHouseset->Delete();
    } catch (const CDBException& e) {
        e.ReportError();
        return;
    }
    LoadRooms();
    MarkRow(row - 1);
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
    wxFrame* frame = wxDynamicCast(GetParent(), wxFrame);
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
    for (size_t i = 0; i < columns.size() && int(i) < GetColumnCount(); ++i) {
        wxListItem column;
        column.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH);
        column.SetText(columns[i].text.For(language));
        column.SetWidth(columns[i].WidthFor(language));
        SetColumn(long(i), column);
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
    WritePrivateProfileStringW(L"LANGUAGE", L"Language", std::to_wstring(language).c_str(), kSettingsFile);
}

void CQuillan2021View::SetRowImageList(int size)
{
    m_imageList.RemoveAll();
    m_imageList.Create(size, size, true, 4);
    for (int id : {IDI_ROOM, IDI_GUEST, IDI_CLEAN, IDI_APP})
        m_imageList.Add(LoadResourceBitmap(id, size));
    SetImageList(&m_imageList, wxIMAGE_LIST_SMALL);
}

void CQuillan2021View::SetViewMode(int nMode)
{
    if (nMode == 1002) {
        SetSingleStyle(wxLC_ICON);
        m_largeImageList.Create(128, 128, true, 1);
        m_largeImageList.Add(LoadResourceBitmap(IDI_ROOM, 128));
        SetImageList(&m_largeImageList, wxIMAGE_LIST_NORMAL);
    } else {
        SetSingleStyle(wxLC_REPORT);
        SetRowImageList(nMode == 1000 ? 48 : 32);
    }
    Refresh();
}

void CQuillan2021View::OnLargeIcons()
{
    m_nViewMode = 1000;
    SetViewMode(1000);
    g_nIconMode = 2;
}

void CQuillan2021View::OnSmallIcons()
{
    m_nViewMode = 1001;
    SetViewMode(1001);
    g_nIconMode = 1;
}

void CQuillan2021View::OnExtraLargeIcons()
{
    m_nViewMode = 1002;
    SetViewMode(1002);
    g_nIconMode = 3;
}

void CQuillan2021View::OnInitialUpdate()
{
    SetRowImageList(48);
    const auto& columns = BoardColumnTexts();
    for (size_t i = 0; i < columns.size(); ++i)
        InsertColumn(long(i), columns[i].text.For(1), wxLIST_FORMAT_CENTRE, kSetupWidths[i]);
    if (g_nLanguage == 0 || g_nLanguage == 1) {
        g_nLanguage = 1;
        OnLanguageChinese();
    } else if (g_nLanguage == 2) {
        OnLanguageEnglish();
    }
    LoadRooms();
}

BOOL CQuillan2021View::OpenRooms()
{
    if (!m_pHouseset)
        m_pHouseset = std::make_unique<CHouseset>(&GetTheApp().m_dbHotel);
    if (m_pHouseset->IsOpen())
        return TRUE;
    return OpenRoomsInBoardOrder(*m_pHouseset);
}

void CQuillan2021View::LoadRooms()
{
    m_fillTimer.Start(800);
    m_blinkTimer.Start(800);
    DeleteAllItems();
    if (!OpenRooms())
        return;
    // Rooms added since the recordset opened stand at its end: read them again in order.
    m_pHouseset->Requery();
    wxBusyCursor wait;
    // Walk by position, not by number, so rooms that share a number are each listed once.
    std::vector<CString> rooms;
    for (m_pHouseset->MoveFirst(); !m_pHouseset->IsEOF(); m_pHouseset->MoveNext())
        rooms.push_back(m_pHouseset->m_strRoomNo);
    for (size_t i = 0; i < rooms.size(); ++i)
        UpdateRoomItem(int(i), rooms[i], 1);
    m_pHouseset->Close();
}

BOOL CQuillan2021View::UpdateRoomItem(int nItem, CString strRoomNo, int nMode)
{
    if (!OpenRooms())
        return FALSE;
    if (m_pHouseset->FindRoom(strRoomNo) == -1)
        return FALSE;
    if (nMode == 0) {
        nItem = FindRoomItem(strRoomNo);
        if (nItem == -1)
            return FALSE;
        SetItem(nItem, 0, strRoomNo, kPictureRoom);
    } else {
        InsertItem(nItem, m_pHouseset->m_strRoomNo, kPictureRoom);
    }
    SetItemColumnImage(nItem, 1, m_pHouseset->m_nPersons > 0 ? kPictureGuest : kPictureNone);
    SetItemColumnImage(nItem, 3, m_pHouseset->m_bCleaning ? kPictureClean : kPictureNone);
    SetItemColumnImage(nItem, 8, m_pHouseset->m_bHourly ? kPictureGuest : kPictureNone);
    const RoomRowTexts row = FormatRoomRow(*m_pHouseset);
    SetItem(nItem, 2, row.price);
    SetItem(nItem, 4, row.reserveDate);
    SetItem(nItem, 5, row.persons);
    SetItem(nItem, 6, row.hourStart);
    SetItem(nItem, 7, row.hourEnd);
    SetItem(nItem, 9, row.intro);
    return TRUE;
}

int CQuillan2021View::FindRoomItem(CString strRoomNo)
{
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i)
        if (GetItemText(i, 0) == strRoomNo)
            return i;
    return -1;
}
