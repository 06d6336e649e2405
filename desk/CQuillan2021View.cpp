#include "CQuillan2021View.h"

#include <wx/utils.h>
#include "CQuillan2021App.h"
#include "MessageBox.h"
#include "Resources.h"

namespace {

struct ColumnSetup
{
    const char* heading;
    int width;
};

const ColumnSetup kColumns[] = {
    {"房间号", 110}, {"住房", 50},      {"房价", 100},     {"打扫", 50},     {"订房日期", 170},
    {"房间人数", 80}, {"钟点开始", 170}, {"钟点结束", 170}, {"钟点房", 80},   {"房间介绍", 300},
};

const char* const kSortByRoom = "房间号 ASC";

// Indexes of the row pictures in the image list.
enum { kPictureRoom = 0, kPictureGuest = 1, kPictureClean = 2, kPictureNone = -1 };

}  // namespace

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
}

void CQuillan2021View::SetRowImageList(int size)
{
    m_imageList.Create(size, size, true, 4);
    for (int id : {IDI_ROOM, IDI_GUEST, IDI_CLEAN, IDI_APP})
        m_imageList.Add(LoadResourceBitmap(id, size));
    SetImageList(&m_imageList, wxIMAGE_LIST_SMALL);
}

void CQuillan2021View::OnInitialUpdate()
{
    SetRowImageList(48);
    for (size_t i = 0; i < WXSIZEOF(kColumns); ++i)
        InsertColumn(long(i), wxString::FromUTF8(kColumns[i].heading), wxLIST_FORMAT_CENTRE, kColumns[i].width);
    LoadRooms();
}

BOOL CQuillan2021View::OpenRooms()
{
    if (!m_pHouseset)
        m_pHouseset = std::make_unique<CHouseset>(&GetTheApp().m_dbHotel);
    if (m_pHouseset->IsOpen())
        return TRUE;
    m_pHouseset->m_strSort = wxString::FromUTF8(kSortByRoom);
    try {
        m_pHouseset->Open(CRecordset::dynaset);
    } catch (const CDBException&) {
        AfxMessageBox(wxString::FromUTF8("打开数据库失败！"));
        return FALSE;
    }
    return TRUE;
}

void CQuillan2021View::LoadRooms()
{
    DeleteAllItems();
    if (!OpenRooms())
        return;
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
