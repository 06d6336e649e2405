#include "CRegisterDlg.h"
#include "RecordsetUse.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "AppConnections.h"
#include "BoardOrder.h"
#include "CBoundedComboBox.h"
#include "CHouseset.h"
#include "CRegisterset.h"
#include "CardReader.h"
#include "Globals.h"
#include "IdNumber.h"
#include "MessageBox.h"
#include "ProgramFolder.h"
#include "StayOperations.h"
#include "TextFields.h"
#include "UndoneOperation.h"

namespace {

CString U(const char* utf8) { return wxString::FromUTF8(utf8); }

const char* const kNations[56] = {
    "汉族", "回族", "藏族", "蒙古族", "苗族", "维吾尔族", "彝族", "壮族", "布依族", "白族",
    "朝鲜族", "侗族", "哈尼族", "哈萨克族", "满族", "土家族", "瑶族", "达斡尔族", "东乡族", "高山族",
    "景颇族", "柯尔克孜族", "拉祜族", "纳西族", "畲族", "傣族", "黎族", "傈僳族", "仫佬族", "羌族",
    "水族", "土族", "佤族", "阿昌族", "布朗族", "毛南族", "普米族", "撒拉族", "塔吉克族", "锡伯族",
    "仡佬族", "保安族", "德昂族", "俄罗斯族", "鄂温克族", "京族", "怒族", "乌孜别克族", "裕固族", "独龙族",
    "鄂伦春族", "赫哲族", "基诺族", "珞巴族", "门巴族", "塔塔尔族",
};

wxDateTime ToWx(const COleDateTime& dt)
{
    int y, mo, d, h, mi, s, ms;
    if (!dt.GetParts(y, mo, d, h, mi, s, ms))
        return wxDateTime::Now();
    return wxDateTime(wxDateTime::wxDateTime_t(d), wxDateTime::Month(mo - 1), y, wxDateTime::wxDateTime_t(h),
                      wxDateTime::wxDateTime_t(mi), wxDateTime::wxDateTime_t(s));
}

COleDateTime FromWx(const wxDateTime& dt, const COleDateTime& keepTime)
{
    if (!dt.IsValid())
        return keepTime;
    int h = 0, mi = 0, s = 0;
    if (keepTime.GetStatus() == COleDateTime::valid) {
        h = keepTime.GetHour();
        mi = keepTime.GetMinute();
        s = keepTime.GetSecond();
    }
    return COleDateTime(dt.GetYear(), int(dt.GetMonth()) + 1, dt.GetDay(), h, mi, s);
}

}  // namespace

std::vector<CString> SortedAsText(std::vector<CString> items)
{
    std::sort(items.begin(), items.end(), [](const CString& a, const CString& b) { return a.compare(b) < 0; });
    return items;
}

std::vector<CString> RegisterNationNames()
{
    std::vector<CString> names;
    for (const char* n : kNations)
        names.push_back(U(n));
    return names;
}

std::vector<CString> RegisterPaidChoices()
{
    return SortedAsText({"40.000", "50.000", "60.000", "100.000", "150.000"});
}

std::vector<CString> RegisterDepositChoices()
{
    return SortedAsText({"0.000", "10.000", "20.000", "30.000"});
}

std::vector<CString> RegisterHourChoices()
{
    std::vector<CString> hours;
    for (int i = 0; i <= 22; ++i)
        hours.push_back(wxString::Format("%d", i));
    return SortedAsText(hours);
}

CString RegisterDefaultName(long rows)
{
    return wxString::Format(U("客户%ld"), rows);
}

int ParseHourCount(const CString& text)
{
    // Leading integer as the C library reads it: "5" and " 5h" give 5, "abc" 0.
    std::string s = text.ToStdString();
    long v = std::strtol(s.c_str(), nullptr, 10);
    if (v > 100000)
        v = 100000;  // keeps the span arithmetic sane for absurd entries
    if (v < -100000)
        v = -100000;
    return int(v);
}

bool ComputeHourlyEnd(const COleDateTime& start, int hours, COleDateTime& end)
{
    if (hours <= 0 || start.GetStatus() != COleDateTime::valid)
        return false;
    // Whole days plus the remaining hours, so that crossing midnight moves the
    // end onto the following day instead of back to the start's morning.
    end = start + COleDateTimeSpan(hours / 24, hours % 24, 0, 0);
    return true;
}

bool IsManText(const CString& text)
{
    return text == U("男") || text == "Man";
}

CString RegisterIdRejectMessage(int language)
{
    if (language == 2)
        return "The number id is empty or contians letters,please check id card number!";
    return U("证件号不能为空，或有字母或汉字请检查！！");
}

CString RegisterUnknownRoomMessage(int language)
{
    if (language == 2)
        return "There is no room of this number, please check the room number!";
    return U("没有这个房间号，请检查房间号！");
}

CString RegisterTitle(int language, int mode)
{
    if (mode == 2)
        return U("查看");
    if (mode == 1)
        return language == 2 ? CString("Modify record") : U("修改记录");
    return language == 2 ? CString("Register record") : U("登记记录");
}

int FindComboEntry(const std::vector<CString>& entries, const CString& value)
{
    const auto found = std::find(entries.begin(), entries.end(), value);
    return found == entries.end() ? -1 : int(found - entries.begin());
}

BOOL CRegisterDlg::CheckIdNumber(const CString& idNumber)
{
    // The shared helper answers "acceptable"; this one answers "reject".
    return ::CheckIdNumber(idNumber) ? FALSE : TRUE;
}

CRegisterDlg::CRegisterDlg(wxWindow* parent)
    : CDialogEx(parent, wxID_ANY, "Dialog", wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE),
      m_dtBirthday(COleDateTime::GetCurrentTime()), m_timer(this)
{
    auto du = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
    auto dus = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };
    auto label = [&](int id, const char* text, int x, int y) {
        new wxStaticText(this, id, U(text), du(x, y), dus(52, 8), wxALIGN_RIGHT);
    };

    label(IDC_REG_ROOM_LABEL, "房间号：", 4, 10);
    m_comboRoom = new CBoundedComboBox(this, IDC_REG_ROOM, du(58, 8), dus(60, 14), wxCB_DROPDOWN);
    label(IDC_REG_NAME_LABEL, "姓名：", 4, 28);
    m_editName = new wxTextCtrl(this, IDC_REG_NAME, wxEmptyString, du(58, 26), dus(60, 14));
    label(IDC_REG_SEX_LABEL, "性别：", 4, 46);
    m_comboSex = new wxComboBox(this, IDC_REG_SEX, wxEmptyString, du(58, 44), dus(60, 14), 0, nullptr,
                                wxCB_DROPDOWN | wxCB_READONLY);
    label(IDC_REG_NATION_LABEL, "民族：", 4, 64);
    m_comboNation = new wxComboBox(this, IDC_REG_NATION, wxEmptyString, du(58, 62), dus(60, 14), 0, nullptr,
                                   wxCB_DROPDOWN);
    label(IDC_REG_BIRTHDAY_LABEL, "出生年月：", 4, 82);
    m_pickBirthday = new wxDatePickerCtrl(this, IDC_REG_BIRTHDAY, wxDefaultDateTime, du(58, 80), dus(75, 14));
    label(IDC_REG_NATIVEPLACE_LABEL, "籍贯：", 4, 100);
    m_editNativePlace = new wxTextCtrl(this, IDC_REG_NATIVEPLACE, wxEmptyString, du(58, 98), dus(160, 14));
    label(IDC_REG_IDNUMBER_LABEL, "证件号：", 4, 118);
    m_editIdNumber = new wxTextCtrl(this, IDC_REG_IDNUMBER, wxEmptyString, du(58, 116), dus(160, 14));
    label(IDC_REG_REMARKS_LABEL, "本人职务备注：", 4, 136);
    m_editRemarks = new wxTextCtrl(this, IDC_REG_REMARKS, wxEmptyString, du(58, 134), dus(160, 30),
                                   wxTE_MULTILINE);
    label(IDC_REG_PAID_LABEL, "交钱：", 4, 172);
    m_comboPaid = new wxComboBox(this, IDC_REG_PAID, wxEmptyString, du(58, 170), dus(50, 14), 0, nullptr,
                                 wxCB_DROPDOWN);
    label(IDC_REG_DEPOSIT_LABEL, "押金：", 110, 172);
    m_comboDeposit = new wxComboBox(this, IDC_REG_DEPOSIT, wxEmptyString, du(164, 170), dus(50, 14), 0,
                                    nullptr, wxCB_DROPDOWN);
    label(IDC_REG_HOURS_LABEL, "钟点房：", 4, 190);
    m_comboHours = new wxComboBox(this, IDC_REG_HOURS, wxEmptyString, du(58, 188), dus(40, 14), 0, nullptr,
                                  wxCB_DROPDOWN);
    new wxStaticText(this, IDC_REG_HOURS_UNIT, U("小时"), du(100, 190), dus(20, 8));
    new wxStaticText(this, IDC_REG_PHOTO_FRAME, wxEmptyString, du(150, 8), dus(68, 84), wxBORDER_SIMPLE);
    m_photo = new wxStaticBitmap(this, IDC_REG_PHOTO, wxNullBitmap, du(152, 10), dus(64, 80));
    m_textValidity = new wxStaticText(this, IDC_REG_VALIDITY, wxEmptyString, du(4, 206), dus(219, 8));
    auto* ok = new wxButton(this, IDC_REG_OK, U("确定"), du(88, 218), dus(50, 14));
    ok->SetDefault();
    for (wxWindow* field : std::initializer_list<wxWindow*>{m_comboRoom, m_editName, m_comboNation, m_editNativePlace,
                                                            m_editIdNumber, m_editRemarks, m_comboPaid, m_comboDeposit,
                                                            m_comboHours})
        LimitText(field);
    KeepHintWhileFocused(m_editName);
    SetClientSize(dus(227, 237));

    // No Cancel button: Esc and the close box end the dialog as cancelled.
    CloseOnEscape();
    Bind(wxEVT_INIT_DIALOG, &CRegisterDlg::OnInitDialog, this);
    Bind(wxEVT_BUTTON, &CRegisterDlg::OnOK, this, IDC_REG_OK);
    Bind(wxEVT_TIMER, &CRegisterDlg::OnTimer, this);
    Bind(wxEVT_CLOSE_WINDOW, &CRegisterDlg::OnClose, this);
    CentreOnParent();
}

CRegisterDlg::~CRegisterDlg()
{
    StopReader();
}

void CRegisterDlg::SetStayToModify(const GuestRecord& stored)
{
    m_nMode = 1;
    m_record = stored;
    m_strRoom = stored.m_strRoomNo;
    m_strName = stored.m_strName;
    m_bSex = stored.m_bSex;
    m_strNation = stored.m_strNation;
    m_dtBirthday = stored.m_dtBirth;
    m_strIdNumber = stored.m_strIdNumber;
    m_strNativePlace = stored.m_strNativePlace;
    m_strRemarks = stored.m_strRemarks;
    m_strPaid = stored.m_strPaid;
    m_strDeposit = stored.m_strDeposit;
}

void CRegisterDlg::StopReader()
{
    m_timer.Stop();
    if (m_reader) {
        m_reader->Close();
        m_reader.reset();
    }
}

void CRegisterDlg::SetComboValue(wxComboBox* combo, const CString& value)
{
    const wxArrayString strings = combo->GetStrings();
    const int found = FindComboEntry(std::vector<CString>(strings.begin(), strings.end()), value);
    if (found >= 0)
        combo->SetSelection(found);
    else if (!combo->HasFlag(wxCB_READONLY))
        combo->ChangeValue(value);
}

void CRegisterDlg::OnInitDialog(wxInitDialogEvent&)
{
    CHouseset rooms(&AppConnections().m_dbHotel);
    CRegisterset stays(&AppConnections().m_dbRegister);

    if (g_nLanguage == 2) {
        const std::pair<int, const char*> texts[] = {
            {IDC_REG_ROOM_LABEL, "HouseNumber："}, {IDC_REG_NAME_LABEL, "Name："},
            {IDC_REG_SEX_LABEL, "Sex："},          {IDC_REG_NATION_LABEL, "Nation："},
            {IDC_REG_BIRTHDAY_LABEL, "Birthday："}, {IDC_REG_NATIVEPLACE_LABEL, "NativePlace："},
            {IDC_REG_IDNUMBER_LABEL, "IDCard："},   {IDC_REG_REMARKS_LABEL, "Remarks："},
            {IDC_REG_PAID_LABEL, "TotalMoney："},   {IDC_REG_DEPOSIT_LABEL, "Deposit："},
            {IDC_REG_HOURS_LABEL, "HouseHours："},  {IDC_REG_HOURS_UNIT, "Hour"},
            {IDC_REG_OK, "OK"},
        };
        for (const auto& t : texts)
            if (wxWindow* w = FindWindow(t.first))
                w->SetLabel(U(t.second));
    }

    // The board lists the rooms by number, so a board row's index is a position in that order.
    rooms.m_strSort = BoardSortText();
    // The stays are only counted: no row of the history is read.
    if (!TryOpen(rooms) || !TryOpen(stays, CRecordset::appendOnly)) {
        // The program cannot work without its tables; the dialog ends and so does the run.
        EndForOpenFailure(AfterOpenFailure::endDialogAndQuit);
        return;
    }

    SetTitle(RegisterTitle(g_nLanguage, m_nMode));
    if (m_nMode == 0) {
        std::vector<CString> roomNos;
        rooms.MoveFirst();
        while (!rooms.IsEOF()) {
            roomNos.push_back(rooms.m_strRoomNo);
            rooms.MoveNext();
        }
        m_comboRoom->Set(SortedAsText(roomNos));
        // A position past the end keeps the last room; an empty table leaves no room.
        m_strRoom.clear();
        if (!roomNos.empty())
            m_strRoom = roomNos[std::min<size_t>(std::max(m_nRoomIndex, 0), roomNos.size() - 1)];
        m_strNation = U("汉族");
    } else if (m_nMode == 2) {
        for (int id : {IDC_REG_ROOM, IDC_REG_NAME, IDC_REG_PAID, IDC_REG_SEX, IDC_REG_NATION, IDC_REG_DEPOSIT,
                       IDC_REG_BIRTHDAY, IDC_REG_NATIVEPLACE, IDC_REG_IDNUMBER, IDC_REG_REMARKS, IDC_REG_HOURS})
            if (wxWindow* w = FindWindow(id))
                w->Disable();
    }

    m_nStayRows = stays.CountRows();
    m_editName->SetHint(RegisterDefaultName(m_nStayRows));

    if (g_nLanguage == 2)
        m_comboSex->Set(std::vector<wxString>{"Man", "Woman"});
    else
        m_comboSex->Set(std::vector<wxString>{U("男"), U("女")});
    m_comboSex->SetSelection(0);

    m_comboNation->Set(RegisterNationNames());
    if (m_nMode != 1 || m_strNation.empty())
        m_strNation = U("汉族");

    if (m_nMode == 1) {
        m_comboRoom->Disable();
        m_comboSex->SetSelection(m_bSex ? 0 : 1);
        rooms.Close();
        stays.Close();
        TransferDataToWindow();
        return;
    }

    m_comboPaid->Set(RegisterPaidChoices());
    m_comboDeposit->Set(RegisterDepositChoices());
    // The entries themselves, so that a value shown is always the value stored.
    m_strPaid = "100.000";
    m_strDeposit = "0.000";
    m_comboHours->Set(RegisterHourChoices());
    m_comboHours->SetSelection(0);

    m_dtOpenedBirthday = m_dtBirthday;
    m_reader = std::make_unique<CardReader>(GetProgramFolder());
    if (m_reader->IsLoaded() && m_reader->FindPort())
        m_timer.Start(1000);

    TransferDataToWindow();
    m_editName->SetFocus();
    rooms.Close();
    stays.Close();
}

bool CRegisterDlg::TransferDataToWindow()
{
    m_editName->ChangeValue(m_strName);
    m_shownBirthday = ToWx(m_dtBirthday);
    m_pickBirthday->SetValue(m_shownBirthday);
    m_editNativePlace->ChangeValue(m_strNativePlace);
    m_editIdNumber->ChangeValue(m_strIdNumber);
    m_editRemarks->ChangeValue(m_strRemarks);
    SetComboValue(m_comboPaid, m_strPaid);
    SetComboValue(m_comboDeposit, m_strDeposit);
    SetComboValue(m_comboNation, m_strNation);
    SetComboValue(m_comboRoom, m_strRoom);
    m_textValidity->SetLabel(m_strValidity);
    return CDialogEx::TransferDataToWindow();
}

bool CRegisterDlg::TransferDataFromWindow()
{
    m_strName = m_editName->GetValue();
    // A stay stored without a birthday shows today in the picker; unless the
    // clerk picked a day, it keeps having none rather than today's date.
    const wxDateTime picked = m_pickBirthday->GetValue();
    if (m_dtBirthday.GetStatus() == COleDateTime::valid || !picked.IsSameDate(m_shownBirthday))
        m_dtBirthday = FromWx(picked, m_dtBirthday);
    m_strNativePlace = m_editNativePlace->GetValue();
    m_strIdNumber = m_editIdNumber->GetValue();
    m_strRemarks = m_editRemarks->GetValue();
    m_strPaid = m_comboPaid->GetValue();
    m_strDeposit = m_comboDeposit->GetValue();
    m_strNation = m_comboNation->GetValue();
    m_strRoom = m_comboRoom->GetValue();
    m_strValidity = m_textValidity->GetLabel();
    return CDialogEx::TransferDataFromWindow();
}

void CRegisterDlg::OnOK(wxCommandEvent&)
{
    TransferDataFromWindow();

    // The stays counted when the dialog opened: nothing else writes stays while it is up.
    if (m_strName.empty())
        m_strName = RegisterDefaultName(m_nStayRows);

    if (CheckIdNumber(m_strIdNumber)) {
        AfxMessageBox(RegisterIdRejectMessage(g_nLanguage));
        return;
    }
    m_strIdNumber = NormalizeIdNumber(m_strIdNumber);
    m_editIdNumber->ChangeValue(m_strIdNumber);

    m_strRoom = m_comboRoom->GetValue();
    m_strNation = m_comboNation->GetValue();
    const BOOL bSex = IsManText(m_comboSex->GetValue()) ? TRUE : FALSE;

    try {
        if (m_nMode == 0 && !CheckInGuest(bSex)) {
            // The room can be typed: a number no room has would lose the guest.
            AfxMessageBox(RegisterUnknownRoomMessage(g_nLanguage));
            return;
        }
        if (m_nMode == 1)
            RewriteStay(bSex);
    } catch (const CDBException& e) {
        ReportUndoneOperation(e);
        StopReader();
        EndDialog(wxID_CANCEL);
        return;
    }

    StopReader();
    TransferDataFromWindow();
    EndDialog(wxID_OK);
}

GuestRecord CRegisterDlg::FormRecord(BOOL bSex) const
{
    GuestRecord rec;
    rec.m_strRoomNo = m_strRoom;
    rec.m_strName = m_strName;
    rec.m_bSex = bSex;
    rec.m_strNation = m_strNation;
    rec.m_dtBirth = m_dtBirthday;
    rec.m_strIdNumber = m_strIdNumber;
    rec.m_strNativePlace = m_strNativePlace;
    rec.m_strRemarks = m_strRemarks;
    rec.m_strPaid = m_strPaid;
    rec.m_strDeposit = m_strDeposit;
    return rec;
}

bool CRegisterDlg::CheckInGuest(BOOL bSex)
{
    GuestRecord stay = FormRecord(bSex);
    stay.m_dtCheckIn = COleDateTime::GetCurrentTime();
    std::optional<HourlySpan> hourly;
    HourlySpan span;
    span.start = COleDateTime::GetCurrentTime();
    if (ComputeHourlyEnd(span.start, ParseHourCount(m_comboHours->GetValue()), span.end))
        hourly = span;
    return CheckIn(AppConnections(), stay, hourly);
}

void CRegisterDlg::RewriteStay(BOOL bSex)
{
    GuestRecord edited = FormRecord(bSex);
    // Only what was stored is handed back.
    if (ModifyStay(AppConnections(), m_record, edited))
        m_record = edited;
}

void CRegisterDlg::OnTimer(wxTimerEvent&)
{
    if (!m_reader)
        return;
    IdCardData data;
    const CardReader::PollResult result = m_reader->Poll(data);
    if (result == CardReader::PollResult::NoCard)
        return;
    TakeCard(result, data);
    m_reader->RemoveCardFiles();
}

void CRegisterDlg::TakeCard(CardReader::PollResult result, const IdCardData& data)
{
    switch (result) {
    case CardReader::PollResult::NoCard:
        return;
    case CardReader::PollResult::NoPort:
    case CardReader::PollResult::ReadFailed:
        m_photo->SetBitmap(wxNullBitmap);
        return;
    case CardReader::PollResult::PhotoOnly:
        ShowCardPhoto(data.photoPath);
        return;
    case CardReader::PollResult::CardRead:
        break;
    }
    TransferDataFromWindow();
    m_strName = data.name.Strip(wxString::both);
    m_bSex = data.man ? TRUE : FALSE;
    m_comboSex->SetSelection(data.man ? 0 : 1);
    m_strNation = data.nationText;
    // A date the card does not give leaves the field as it was when the dialog
    // opened: never the birthday of the guest whose card lay there before.
    m_dtBirthday = data.birthday.GetStatus() == COleDateTime::valid ? data.birthday : m_dtOpenedBirthday;
    m_strNativePlace = data.address.Strip(wxString::both);
    m_strIdNumber = data.idNumber.Strip(wxString::both);
    m_strRemarks = data.authority.Strip(wxString::both);
    m_strValidity = data.validityLine;
    TransferDataToWindow();
    ShowCardPhoto(data.photoPath);
}

void CRegisterDlg::ShowCardPhoto(const CString& path)
{
    // The photo of the card read before goes first: no face may stand beside
    // another guest's data, also when this card brought none.
    m_photo->SetBitmap(wxNullBitmap);
    if (!wxFileName::FileExists(path))
        return;
    // The reader says nothing of a photo it cannot show; the toolkit would.
    wxLogNull quiet;
    wxBitmap bmp(path, wxBITMAP_TYPE_BMP);
    if (bmp.IsOk())
        m_photo->SetBitmap(bmp);
}

void CRegisterDlg::OnClose(wxCloseEvent&)
{
    StopReader();
    EndDialog(wxID_CANCEL);
}
