#include "CAddHouse.h"
#include "DialogTexts.h"

#include <algorithm>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "CQuillan2021App.h"
#include "Globals.h"
#include "LanguageTexts.h"
#include "MessageBox.h"
#include "TextFields.h"

std::vector<CString> AddHousePriceChoices()
{
    std::vector<CString> prices = {"10.0", "40.0", "60.0", "80.0", "100.0"};
    // The list is sorted as plain text, which puts "100.0" second; sorting here
    // rather than in the toolkit keeps that order independent of the locale.
    std::sort(prices.begin(), prices.end(), [](const CString& a, const CString& b) { return a.compare(b) < 0; });
    return prices;
}

RoomNoCheck CheckRoomNo(const CString& roomNo)
{
    if (roomNo.empty())
        return RoomNoCheck::Empty;
    for (wxUniChar ch : roomNo) {
        // Only ASCII digits: full-width digits and other numerals are refused.
        if (ch < '0' || ch > '9')
            return RoomNoCheck::NotDigits;
    }
    return RoomNoCheck::Ok;
}

CString RoomNoDigitsMessage()
{
    return wxString::FromUTF8("房间号只能是数字!");
}

CString RoomNoTakenMessage(int language, const CString& roomNo)
{
    static const LocalText taken{"%s 房间已经存在！", "House %s already exists!"};
    return wxString::Format(taken.For(language), roomNo);
}

AddHouseTexts GetAddHouseTexts(int language, int mode)
{
    AddHouseTexts texts;
    if (language == 2) {
        if (mode == 0)
            texts.title = "Add House";
        else if (mode == 1)
            texts.title = "Modify House Information";
        texts.roomNoLabel = wxString::FromUTF8("House Number：");
        texts.priceLabel = wxString::FromUTF8("House Price：");
        texts.introLabel = wxString::FromUTF8("House Introduce：");
        texts.ok = "OK";
        texts.cancel = "Cancel";
    } else {
        if (mode == 0)
            texts.title = wxString::FromUTF8("添加房间");
        else if (mode == 1)
            texts.title = wxString::FromUTF8("修改房间信息");
    }
    return texts;
}

CAddHouse::CAddHouse(wxWindow* parent)
    : CDialogEx(parent, wxID_ANY, "Dialog", wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE)
{
    auto du = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
    auto dus = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };

    new wxStaticText(this, IDC_ADDHOUSE_ROOMNO_LABEL, wxString::FromUTF8("房间号："), du(43, 19), dus(58, 8),
                     wxALIGN_RIGHT);
    m_editRoomNo = new wxTextCtrl(this, IDC_ADDHOUSE_ROOMNO, wxEmptyString, du(103, 16), dus(56, 14));
    LimitText(m_editRoomNo);
    new wxStaticText(this, IDC_ADDHOUSE_PRICE_LABEL, wxString::FromUTF8("房价："), du(42, 36), dus(59, 8),
                     wxALIGN_RIGHT);
    m_comboPrice = new wxComboBox(this, IDC_ADDHOUSE_PRICE, wxEmptyString, du(104, 35), dus(56, 14), 0,
                                  nullptr, wxCB_DROPDOWN);
    LimitText(m_comboPrice);
    new wxStaticText(this, IDC_ADDHOUSE_INTRO_LABEL, wxString::FromUTF8("房间介绍："), du(22, 53), dus(80, 8),
                     wxALIGN_RIGHT);
    m_editIntro = new wxTextCtrl(this, IDC_ADDHOUSE_INTRO, wxEmptyString, du(102, 52), dus(104, 44),
                                 wxTE_MULTILINE | wxHSCROLL);
    LimitText(m_editIntro);
    auto* ok = new wxButton(this, IDC_ADDHOUSE_OK, wxString::FromUTF8("确定"), du(63, 110), dus(50, 14));
    new wxButton(this, IDC_ADDHOUSE_CANCEL, wxString::FromUTF8("取消"), du(138, 110), dus(50, 14));
    ok->SetDefault();
    SetClientSize(dus(263, 131));

    SetEscapeId(IDC_ADDHOUSE_CANCEL);
    Bind(wxEVT_INIT_DIALOG, &CAddHouse::OnInitDialog, this);
    Bind(wxEVT_BUTTON, &CAddHouse::OnOK, this, IDC_ADDHOUSE_OK);
    Bind(wxEVT_BUTTON, &CAddHouse::OnCancel, this, IDC_ADDHOUSE_CANCEL);
    CentreOnParent();
}

// Runs when ShowModal starts, after the caller has set the mode and the texts.
void CAddHouse::OnInitDialog(wxInitDialogEvent&)
{
    m_comboPrice->Set(AddHousePriceChoices());
    m_comboPrice->SetSelection(0);
    if (m_nMode == 1)
        m_comboPrice->SetValue(m_strPrice);

    AddHouseTexts texts = GetAddHouseTexts(g_nLanguage, m_nMode);
    if (!texts.title.empty())
        SetTitle(texts.title);
    SetControlLabel(this, IDC_ADDHOUSE_ROOMNO_LABEL, texts.roomNoLabel);
    SetControlLabel(this, IDC_ADDHOUSE_PRICE_LABEL, texts.priceLabel);
    SetControlLabel(this, IDC_ADDHOUSE_INTRO_LABEL, texts.introLabel);
    SetControlLabel(this, IDC_ADDHOUSE_OK, texts.ok);
    SetControlLabel(this, IDC_ADDHOUSE_CANCEL, texts.cancel);

    m_strOpenedRoomNo = m_nMode == 1 ? m_strRoomNo : CString();
    TransferDataToWindow();
    m_editRoomNo->SetFocus();
}

RoomValues CAddHouse::Values() const
{
    return {m_strRoomNo, m_strPrice, m_strIntro};
}

bool CAddHouse::TransferDataToWindow()
{
    m_editRoomNo->ChangeValue(m_strRoomNo);
    m_editIntro->ChangeValue(m_strIntro);
    return CDialogEx::TransferDataToWindow();
}

bool CAddHouse::TransferDataFromWindow()
{
    m_strRoomNo = m_editRoomNo->GetValue();
    m_strIntro = m_editIntro->GetValue();
    return CDialogEx::TransferDataFromWindow();
}

void CAddHouse::OnOK(wxCommandEvent&)
{
    TransferDataFromWindow();
    switch (CheckRoomNo(m_strRoomNo)) {
    case RoomNoCheck::Empty:
        return;  // nothing to save yet; the dialog simply stays
    case RoomNoCheck::NotDigits:
        AfxMessageBox(RoomNoDigitsMessage());
        return;
    case RoomNoCheck::Ok:
        break;
    }
    // A room keeps its own number; any other that a room has would make two rooms of one number.
    if (m_strRoomNo != m_strOpenedRoomNo && RoomNumberTaken(GetTheApp(), m_strRoomNo)) {
        AfxMessageBox(RoomNoTakenMessage(g_nLanguage, m_strRoomNo));
        return;
    }
    // Whatever was chosen or typed in the box, taken as it is.
    m_strPrice = m_comboPrice->GetValue();
    EndDialog(wxID_OK);
}

void CAddHouse::OnCancel(wxCommandEvent&)
{
    EndDialog(wxID_CANCEL);
}
