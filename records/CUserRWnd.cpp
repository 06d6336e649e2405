#include "CUserRWnd.h"

#include <algorithm>
#include <wx/app.h>
#include <wx/artprov.h>
#include <wx/image.h>
#include <wx/sizer.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

#include "AppConnections.h"
#include "CCashbookset.h"
#include "CPasswordDlg.h"
#include "CRegisterDlg.h"
#include "CRegisterset.h"
#include "ChangeWatch.h"
#include "Globals.h"
#include "MessageBox.h"
#include "ModelessInput.h"
#include "OpenFailure.h"
#include "RecordsetUse.h"
#include "Resources.h"
#include "StayOperations.h"
#include "UndoneOperation.h"

namespace {

CString U(const char* utf8) { return wxString::FromUTF8(utf8); }

struct RecordColumn
{
    const char* chinese;
    int chineseWidth;
    const char* english;
    int englishWidth;
    const char* sample = nullptr;  // the longest form of a cell that must read whole, when there is one
};

const RecordColumn kColumns[12] = {
    {"房间号", 60, "NumberHouse", 80},
    {"姓名", 60, "Name", 50},
    {"性别", 60, "Sex", 45},
    {"民族", 60, "Nation", 50},
    {"出生年月", 120, "Birthday", 120, "0000年00月00日"},
    {"住房日期", 120, "HouseingDate", 120, "0000年00月00日00时00分"},
    {"退房日期", 120, "CheckOut", 120, "0000年00月00日00时00分"},
    {"证件号", 125, "IDNumber", 125, "000000000000000000"},
    {"籍贯", 80, "NativePlace", 90},
    {"本人职务备注", 100, "Remarks", 100},
    {"交钱", 60, "PayMoney", 65},
    {"押金", 60, "Deposit", 60},
};

struct RecordTool
{
    int id;
    const char* chinese;
    const char* english;
    wxArtID art;
};

const RecordTool kTools[4] = {
    {ID_RECORDS_CLEAR, "清空记录", "Clear all record", wxART_DELETE},
    {ID_RECORDS_SEARCH, "搜索记录", "Search record", wxART_FIND},
    {ID_RECORDS_MODIFY, "修改记录", "Modify record", wxART_EDIT},
    {ID_RECORDS_DELETE, "删除记录", "Delete record", wxART_MINUS},
};

const char* const kDetailFormats[2][2] = {
    // Chinese: woman, man
    {"房间号:%s \n姓名:%s \n性别:女 \n民族:%s \n生日:%d年%d月%d日 \n住房时间:%d年%d月%d日%d:%d \n"
     "退房时间:%d年%d月%d日%d:%d \n籍贯:%s \n证件号:%s \n备注:%s\n交钱:%s \n押金:%s",
     "房间号:%s \n姓名:%s \n性别:男 \n民族:%s \n生日:%d年%d月%d日 \n住房时间:%d年%d月%d日%d:%d \n"
     "退房时间:%d年%d月%d日%d:%d \n籍贯:%s \n证件号:%s \n备注:%s\n交钱:%s \n押金:%s"},
    // English: woman, man
    {"HouseNumber:%s \nName:%s \nSex:Woman \nNation:%s \nBirthday:%d.%d.%d \nHousingTime:%d.%d.%d %d:%d \n"
     "CheckOutTime:%d.%d.%d %d:%d \nAddress:%s \nIDCard:%s \nRemark:%s\nPay:%s \nDeposit:%s",
     "HouseNumber:%s \nName:%s \nSex:Man \nNation:%s \nBirthday:%d.%d.%d \nHousingTime:%d.%d.%d %d:%d \n"
     "CheckOutTime:%d.%d.%d %d:%d \nAddress:%s \nIDCard:%s \nRemark:%s\nPay:%s \nDeposit:%s"},
};

const char* const kRowErrorMessage = "显示记录错误!";
const char* const kSelectRowMessage = "请选择一条记录！";
const char* const kDeleteQuestion = "是否要删除这条记录？";

bool IsOpenStay(const GuestRecord& rec)
{
    return rec.m_dtCheckOut.GetStatus() == COleDateTime::null;
}

// Closes a recordset on every way out of a handler, so that between messages
// the window's recordsets stand closed and the next handler reads the table afresh.
struct CloseOnExit
{
    CRecordset& set;
    ~CloseOnExit() { CloseIfOpen(set); }
};

}  // namespace

CString RecordColumnHeading(int column, int language)
{
    const RecordColumn& col = kColumns[column];
    return language == 2 ? CString(col.english) : U(col.chinese);
}

int RecordColumnWidth(int column, int language)
{
    const RecordColumn& col = kColumns[column];
    return language == 2 ? col.englishWidth : col.chineseWidth;
}

bool RecordColumnsFit(const wxWindow& list, const wxFont& font, int language)
{
    for (int c = 0; c < 12; ++c) {
        const CString texts[] = {RecordColumnHeading(c, language), kColumns[c].sample ? U(kColumns[c].sample) : CString()};
        for (const CString& text : texts) {
            int width = 0, height = 0;
            list.GetTextExtent(text, &width, &height, nullptr, nullptr, &font);
            if (width + kRecordCellMargin > RecordColumnWidth(c, language))
                return false;
        }
    }
    return true;
}

wxFont FitRecordListFont(const wxWindow& list, int language)
{
    // The window's template is laid out for an 8-point font.
    wxFont font = list.GetFont();
    double points = std::min(8.0, double(font.GetFractionalPointSize()));
    font.SetFractionalPointSize(points);
    while (points > 7.0 && !RecordColumnsFit(list, font, language)) {
        points -= 0.5;
        font.SetFractionalPointSize(points);
    }
    return font;
}

CString RecordCellText(const GuestRecord& rec, int column)
{
    static const CString dayFormat = U("%Y年%m月%d日");
    static const CString timeFormat = U("%Y年%m月%d日%H时%M分");
    switch (column) {
    case 0: return rec.m_strRoomNo;
    case 1: return rec.m_strName;
    case 2: return rec.m_bSex ? U("男") : U("女");
    case 3: return rec.m_strNation;
    case 4: return rec.m_dtBirth.Format(dayFormat);
    case 5: return rec.m_dtCheckIn.Format(timeFormat);
    case 6: return rec.m_dtCheckOut.Format(timeFormat);  // a running stay's null date gives an empty cell
    case 7: return rec.m_strIdNumber;
    case 8: return rec.m_strNativePlace;
    case 9: return rec.m_strRemarks;
    case 10: return rec.m_strPaid;
    case 11: return rec.m_strDeposit;
    default: return CString();
    }
}

std::vector<CString> RecordRowTexts(const GuestRecord& rec)
{
    std::vector<CString> texts;
    for (int c = 0; c < 12; ++c)
        texts.push_back(RecordCellText(rec, c));
    return texts;
}

bool RecordMatchesSearch(const GuestRecord& rec, int key, const CString& text)
{
    if (key == SEARCH_BY_NAME)
        return rec.m_strName == text;
    if (key == SEARCH_BY_ID_NUMBER)
        return rec.m_strIdNumber == text;
    return false;
}

bool FormatStayDetail(const GuestRecord& rec, int language, bool cashFound, const CString& amount, CString& text1,
                      CString& text2)
{
    if (language != 1 && language != 2)
        return false;
    const CString format = U(kDetailFormats[language - 1][rec.m_bSex ? 1 : 0]);
    const COleDateTime& b = rec.m_dtBirth;
    const COleDateTime& in = rec.m_dtCheckIn;
    const COleDateTime& out = rec.m_dtCheckOut;
    // The accessors give -1 for every part of a date that is not valid.
    text1 = wxString::Format(format, rec.m_strRoomNo, rec.m_strName, rec.m_strNation, b.GetYear(), b.GetMonth(),
                             b.GetDay(), in.GetYear(), in.GetMonth(), in.GetDay(), in.GetHour(), in.GetMinute(),
                             out.GetYear(), out.GetMonth(), out.GetDay(), out.GetHour(), out.GetMinute(),
                             rec.m_strNativePlace, rec.m_strIdNumber, rec.m_strRemarks, rec.m_strPaid,
                             rec.m_strDeposit);
    if (cashFound)
        text2 = (language == 1 ? U("消费:￥ ") : U("Consumption￥ ")) + amount;
    else
        text2 = language == 1 ? U("消费:￥ 0.00f") : U("Consumption:￥ 0.00f");
    return true;
}

// ---------------------------------------------------------------- the window

CUserRWnd::CUserRWnd(wxWindow* parent)
    : CDialogEx(parent, wxID_ANY, U("客户记录"), wxDefaultPosition, wxDefaultSize,
                wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_pRegisterset(std::make_unique<CRegisterset>(&AppConnections().m_dbRegister)),
      m_pCashbookset(std::make_unique<CCashbookset>(&AppConnections().m_dbCashbook)),
      m_vRecords(&AppConnections().m_dbRegister)
{
    if (g_nLanguage == 2)
        SetTitle("User Record");

    const bool english = g_nLanguage == 2;
    m_wndToolBar = new wxToolBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                 wxTB_FLAT | wxTB_HORIZONTAL | wxTB_TEXT | wxTB_HORZ_LAYOUT | wxTB_NODIVIDER);
    const wxSize toolSize(16, 16);
    m_wndToolBar->SetToolBitmapSize(toolSize);
    for (const RecordTool& tool : kTools) {
        wxBitmap picture = wxArtProvider::GetBitmap(tool.art, wxART_TOOLBAR, toolSize);
        if (!picture.IsOk()) {
            // Without an icon theme the button keeps its label on a clear picture.
            wxImage clear(toolSize);
            clear.SetAlpha();
            std::fill_n(clear.GetAlpha(), toolSize.x * toolSize.y, 0);
            picture = wxBitmap(clear);
        }
        // The tooltips exist in the two languages only; the labels fall back to Chinese.
        const CString label = english ? CString(tool.english) : U(tool.chinese);
        const CString tip = g_nLanguage == 1 ? U(tool.chinese) : g_nLanguage == 2 ? CString(tool.english) : CString();
        m_wndToolBar->AddTool(tool.id, label, picture, tip);
    }
    m_wndToolBar->Realize();

    m_listRecords = new CRecordList(this, IDC_RECORDS_LIST, m_vRecords);
    m_listRecords->SetFont(FitRecordListFont(*m_listRecords, g_nLanguage));
    for (int c = 0; c < 12; ++c)
        m_listRecords->InsertColumn(c, RecordColumnHeading(c, g_nLanguage), wxLIST_FORMAT_CENTRE,
                                    RecordColumnWidth(c, g_nLanguage));
    m_imageList.Create(16, 16, true, 2);
    m_imageList.Add(LoadResourceBitmap(IDI_GUEST, 16));
    m_listRecords->SetImageList(&m_imageList, wxIMAGE_LIST_SMALL);

    // The list fills the window under the toolbar, whatever its size.
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_wndToolBar, 0, wxEXPAND);
    sizer->Add(m_listRecords, 1, wxEXPAND);
    SetSizer(sizer);
    SetSize(1075, 550);
    CentreOnParent();

    Bind(wxEVT_INIT_DIALOG, &CUserRWnd::OnInitDialog, this);
    Bind(wxEVT_TOOL, [this](wxCommandEvent&) { OnClearRecords(); }, ID_RECORDS_CLEAR);
    Bind(wxEVT_TOOL, [this](wxCommandEvent&) { OnSearchRecord(); }, ID_RECORDS_SEARCH);
    Bind(wxEVT_TOOL, [this](wxCommandEvent&) { OnModifyRecord(); }, ID_RECORDS_MODIFY);
    Bind(wxEVT_TOOL, [this](wxCommandEvent&) { OnDeleteRecord(); }, ID_RECORDS_DELETE);
    Bind(wxEVT_LIST_ITEM_SELECTED, &CUserRWnd::OnClickList, this, IDC_RECORDS_LIST);
    Bind(wxEVT_LIST_ITEM_DESELECTED, &CUserRWnd::OnDeselectList, this, IDC_RECORDS_LIST);
    Bind(wxEVT_LIST_ITEM_ACTIVATED, &CUserRWnd::OnDblclkList, this, IDC_RECORDS_LIST);
    Bind(EVT_RECORD_MESSAGE, &CUserRWnd::OnRecordMessage, this);
    // Clicked, this window comes to the front: the search dialog it owns stays above it.
    Bind(wxEVT_ACTIVATE, [this](wxActivateEvent& event) {
        CUserSearchDlg* search = m_pSearchDlg.get();
        if (event.GetActive() && search && search->IsShown())
            search->Raise();
        event.Skip();
    });
    m_followTimer.SetOwner(this);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { FollowOtherDesks(); }, m_followTimer.GetId());
    // No buttons: the close box and Escape end the window.
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { EndDialog(wxID_CANCEL); });
    CloseOnEscape();

    // The window opens even when a table cannot be opened now; every command
    // tries again and says so when it still fails. The tables are only looked
    // at: each command opens its recordset on the rows as they are then.
    if (!TryOpen(*m_pRegisterset, CRecordset::appendOnly) || !TryOpen(*m_pCashbookset, CRecordset::appendOnly))
        ReportOpenFailure();
    CloseIfOpen(*m_pRegisterset);
    CloseIfOpen(*m_pCashbookset);
}

CUserRWnd::~CUserRWnd()
{
    CloseIfOpen(*m_pRegisterset);
    CloseIfOpen(*m_pCashbookset);
    // The image list is a member and goes before the list, which must not keep it.
    m_listRecords->SetImageList(nullptr, wxIMAGE_LIST_SMALL);
    // The search dialog and the pop-ups are child windows: they go with this one.
}

void CUserRWnd::OnInitDialog(wxInitDialogEvent&)
{
    LoadRecords();
    EnableModify(false);
    m_otherDesks = std::make_unique<ChangeWatch>(AppConnections());
    m_followTimer.Start(kChangeWatchMs);
}

void CUserRWnd::FollowOtherDesks()
{
    // Not under a dialog of this window's own, which asks about a row it chose;
    // and only when another desk committed something, as the board does.
    if (!IsEnabled() || !m_otherDesks->HasChangedSince())
        return;
    // The same stays again as the table holds them now, the list kept where
    // the clerk has it; a table that does not open is told by the next command.
    if (m_nListedKey == -1)
        m_vRecords.ShowAll();
    else
        m_vRecords.ShowMatches(m_nListedKey, m_strListedText);
    m_listRecords->SyncRows();
    UpdateModifyForRow(GetSelectionMark());
}

bool CUserRWnd::OpenStays()
{
    if (TryOpen(*m_pRegisterset))
        return true;
    ReportOpenFailure();
    return false;
}

void CUserRWnd::EnableModify(bool enable)
{
    m_wndToolBar->EnableTool(ID_RECORDS_MODIFY, enable);
}

void CUserRWnd::UpdateModifyForRow(long row)
{
    // Only a running stay is modified from here; a click beside the rows leaves nothing to modify.
    EnableModify(row >= 0 && size_t(row) < m_vRecords.size() && IsOpenStay(m_vRecords[size_t(row)]));
}

void CUserRWnd::SelectRow(long row)
{
    if (row < 0 || row >= m_listRecords->GetItemCount())
        return;
    m_listRecords->SetItemState(-1, 0, wxLIST_STATE_SELECTED);
    m_listRecords->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                                wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    m_listRecords->EnsureVisible(row);
    UpdateModifyForRow(row);
}

int CUserRWnd::GetSelectionMark() const
{
    return int(m_listRecords->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED));
}

int CUserRWnd::FreeNoticeSlot() const
{
    for (int i = 0; i < kNoticeSlots; ++i) {
        CNoticeDlg* dlg = m_dlgNotice[size_t(i)].get();
        if (!dlg || wxTheApp->IsScheduledForDestruction(dlg))
            return i;
    }
    return -1;
}

void CUserRWnd::LoadRecords()
{
    m_listRecords->DeleteAllItems();
    wxBusyCursor wait;
    m_nListedKey = -1;
    if (!m_vRecords.ShowAll())
        ReportOpenFailure();
    m_listRecords->SyncRows();
}

BOOL CUserRWnd::AddRecordRow(int nItem, int nMode)
{
    switch (nMode) {
    case 1:
        m_listRecords->SyncRows(nItem);
        return TRUE;
    case 0: {
        if (!OpenStays())
            return FALSE;
        CRegisterset& set = *m_pRegisterset;
        // The stay was written through another recordset: the row is read afresh.
        m_vRecords.Reread();
        if (nItem < 0 || size_t(nItem) >= m_vRecords.size() || set.FindRecord(m_vRecords[size_t(nItem)]) == -1) {
            AfxMessageBox(U(kRowErrorMessage));
            return FALSE;
        }
        m_listRecords->RefreshItem(nItem);
        return TRUE;
    }
    case 2:
        if (nItem >= 0 && nItem < m_listRecords->GetItemCount())
            m_listRecords->DeleteItem(nItem);
        return TRUE;
    default:
        return TRUE;
    }
}

void CUserRWnd::OnClearRecords()
{
    // One statement clears: opening the table only proves it is there, no row is read.
    if (!TryOpen(*m_pRegisterset, CRecordset::appendOnly)) {
        ReportOpenFailure();
        return;
    }
    CloseIfOpen(*m_pRegisterset);

    // Clearing is asked for every time, whatever the locks.
    CPasswordDlg prompt(this);
    if (prompt.ShowModal() != wxID_OK)
        return;

    wxBusyCursor wait;
    // The list lets go of its rows first: nothing reads the stays while they go.
    m_listRecords->DeleteAllItems();
    m_vRecords.clear();
    try {
        // One statement in one transaction: a failure half-way deletes nothing.
        ClearStays(AppConnections());
    } catch (const CDBException& e) {
        ReportUndoneOperation(e);
    }
    // What is left (the guests still in, or every stay when nothing went) is
    // listed again as the table holds it.
    LoadRecords();
    EnableModify(false);
}

void CUserRWnd::OnSearchRecord()
{
    // Each search command starts with a fresh dialog.
    if (CUserSearchDlg* old = m_pSearchDlg.get())
        if (!wxTheApp->IsScheduledForDestruction(old))
            old->Destroy();
    auto* dlg = new CUserSearchDlg(this);
    m_pSearchDlg = dlg;
    AllowInputBesideModal(dlg);
    dlg->CentreOnParent();
    dlg->Show();
    m_bSearchMode = 1;
}

std::intptr_t CUserRWnd::WindowProc(UINT message, UINT_PTR wParam, std::intptr_t)
{
    if (message == WM_SEARCH_RECORD) {
        if (CUserSearchDlg* dlg = m_pSearchDlg.get()) {
            dlg->UpdateData(TRUE);
            if (!dlg->m_strSearch.empty()) {
                if (wParam == SEARCH_BY_NAME)
                    SearchByName();
                else if (wParam == SEARCH_BY_ID_NUMBER)
                    SearchByIdNumber();
                m_bSearchMode = 1;
            }
        }
    } else if (message == WM_SEARCH_CLOSED) {
        // The list keeps the last result until the window is opened again.
        m_bSearchMode = 0;
    }
    return 0;
}

void CUserRWnd::OnRecordMessage(wxCommandEvent& event)
{
    WindowProc(UINT(event.GetId()), UINT_PTR(event.GetInt()), 0);
}

void CUserRWnd::SearchByName()
{
    Search(SEARCH_BY_NAME);
}

void CUserRWnd::SearchByIdNumber()
{
    Search(SEARCH_BY_ID_NUMBER);
}

void CUserRWnd::Search(int key)
{
    m_listRecords->DeleteAllItems();
    m_vRecords.clear();
    EnableModify(false);
    CUserSearchDlg* dlg = m_pSearchDlg.get();
    if (!dlg)
        return;
    dlg->UpdateData(TRUE);
    const CString text = dlg->m_strSearch;
    wxBusyCursor wait;
    m_nListedKey = key;
    m_strListedText = text;
    if (!m_vRecords.ShowMatches(key, text))
        ReportOpenFailure();
    m_listRecords->SyncRows();
}

void CUserRWnd::OnModifyRecord()
{
    const int sel = GetSelectionMark();
    if (sel == -1 || size_t(sel) >= m_vRecords.size()) {
        AfxMessageBox(U(kSelectRowMessage));
        return;
    }
    if (!OpenStays())
        return;
    CloseOnExit closer{*m_pRegisterset};
    CRegisterset& set = *m_pRegisterset;
    const GuestRecord stored = m_vRecords[size_t(sel)];
    // A stay deleted meanwhile is left alone without a word.
    if (set.FindRecord(stored) == -1)
        return;

    CRegisterDlg dlg(this);
    dlg.m_nMode = 1;
    dlg.m_record = stored;
    dlg.m_strRoom = stored.m_strRoomNo;
    dlg.m_strName = stored.m_strName;
    dlg.m_bSex = stored.m_bSex;
    dlg.m_strNation = stored.m_strNation;
    dlg.m_dtBirthday = stored.m_dtBirth;
    dlg.m_strIdNumber = stored.m_strIdNumber;
    dlg.m_strNativePlace = stored.m_strNativePlace;
    dlg.m_strRemarks = stored.m_strRemarks;
    dlg.m_strPaid = stored.m_strPaid;
    dlg.m_strDeposit = stored.m_strDeposit;
    // The dialog stores the edit, money in its normal form, in one operation.
    if (dlg.ShowModal() != wxID_OK)
        return;
    AddRecordRow(sel, 0);
    UpdateModifyForRow(sel);
}

void CUserRWnd::OnDeleteRecord()
{
    const int sel = GetSelectionMark();
    if (sel == -1 || size_t(sel) >= m_vRecords.size()) {
        AfxMessageBox(U(kSelectRowMessage));
        return;
    }
    // The stay is taken before the question: the list may be read anew meanwhile.
    const GuestRecord chosen = m_vRecords[size_t(sel)];
    if (AfxMessageBox(U(kDeleteQuestion), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (!OpenStays())
        return;
    CloseOnExit closer{*m_pRegisterset};
    try {
        if (!DeleteStay(AppConnections(), chosen))
            return;
    } catch (const CDBException& e) {
        ReportUndoneOperation(e);
        return;
    }
    AddRecordRow(sel, 2);
    m_vRecords.erase(size_t(sel));

    // The row above takes the selection; after the first row, the new first row.
    EnableModify(false);
    SelectRow(sel > 0 ? sel - 1 : 0);
}

void CUserRWnd::OnClickList(wxListEvent& event)
{
    UpdateModifyForRow(event.GetIndex());
}

void CUserRWnd::OnDeselectList(wxListEvent&)
{
    if (GetSelectionMark() == -1)
        EnableModify(false);
}

void CUserRWnd::OnDblclkList(wxListEvent& event)
{
    const long row = event.GetIndex();
    // A double-click beside the rows concerns no stay.
    if (row < 0 || size_t(row) >= m_vRecords.size())
        return;
    const GuestRecord rec = m_vRecords[size_t(row)];

    if (IsOpenStay(rec)) {
        // Modify works on the selection, which the double-clicked row must hold.
        SelectRow(row);
        OnModifyRecord();
        return;
    }
    if (m_bSearchMode == 1)
        return;
    const int slot = FreeNoticeSlot();
    if (slot < 0)
        return;

    if (!TryOpen(*m_pCashbookset)) {
        ReportOpenFailure();
        return;
    }
    CloseOnExit closer{*m_pCashbookset};
    // The stay's cash-book row is the one written at its check-out.
    CCashbookset& cash = *m_pCashbookset;
    for (cash.MoveFirst(); !cash.IsEOF(); cash.MoveNext())
        if (SameStayDate(cash.m_dtTime, rec.m_dtCheckOut))
            break;

    m_nNoticeSlot = 0x10100 + slot;
    auto* dlg = new CNoticeDlg(this);
    dlg->m_nMode = 1;
    ShowRecordDetail(dlg, int(row));
    m_dlgNotice[size_t(slot)] = dlg;
    AllowInputBesideModal(dlg);
    // Each slot has its own place, so that pop-ups open together do not hide one another.
    dlg->Move(GetScreenPosition() + wxPoint(60 + 30 * slot, 60 + 30 * slot));
    dlg->Show();
}

void CUserRWnd::ShowRecordDetail(CNoticeDlg* pDlg, int nItem)
{
    if (!pDlg || nItem < 0 || size_t(nItem) >= m_vRecords.size())
        return;
    const bool found = m_pCashbookset->IsOpen() && !m_pCashbookset->IsEOF();
    FormatStayDetail(m_vRecords[size_t(nItem)], g_nLanguage, found, found ? m_pCashbookset->m_strAmount : CString(),
                     pDlg->m_strText1, pDlg->m_strText2);
}
