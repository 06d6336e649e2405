// Drivers that answer the stay dialogs (check-in, check-out, change room) as a
// clerk would, for the GUI tests and the benchmark. They are wxExpectModal
// specialisations for wxTEST_DIALOG: an expected dialog is not shown, so each
// driver runs the dialog's own initialisation, sets its controls, presses its
// OK (or Cancel) button so that the dialog's handler does the real work, and
// returns what ShowModal would have returned.
//
// What a driver saw in the dialog goes into a record shared by all copies of
// the expectation (Describe() and Optional() return copies), so the caller can
// keep the driver by name and read Seen() after wxTEST_DIALOG.
//
// No test framework is used here: a driver that cannot do its part (a missing
// control or list entry, a card that never arrived) records it in
// Seen().problems and ends the dialog as cancelled.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/image.h>
#include <wx/msgdlg.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/stopwatch.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "CAddHouse.h"
#include "CExchangeHDlg.h"
#include "CardText.h"
#include "CPasswordDlg.h"
#include "CRegEndDlg.h"
#include "CRegisterDlg.h"
#include "CReserveDlg.h"

namespace DialogDriving {

// The entries of a combo box in list order.
inline std::vector<wxString> Entries(wxWindow* dlg, int id)
{
    std::vector<wxString> entries;
    if (auto* combo = dynamic_cast<wxComboBox*>(dlg->FindWindow(id)))
        for (unsigned i = 0; i < combo->GetCount(); ++i)
            entries.push_back(combo->GetString(i));
    return entries;
}

// The text a control shows: a combo's or edit's value, a static's label.
inline wxString TextOf(wxWindow* dlg, int id)
{
    wxWindow* w = dlg->FindWindow(id);
    if (auto* combo = dynamic_cast<wxComboBox*>(w))
        return combo->GetValue();
    if (auto* edit = dynamic_cast<wxTextCtrl*>(w))
        return edit->GetValue();
    return w ? w->GetLabel() : wxString();
}

// Picks an entry of a combo box as a click would: selects it and sends the
// selection event that a click sends. False when the combo has no such entry.
inline bool PickEntry(wxWindow* dlg, int id, const wxString& text)
{
    auto* combo = dynamic_cast<wxComboBox*>(dlg->FindWindow(id));
    if (!combo)
        return false;
    const int at = combo->FindString(text, true);
    if (at == wxNOT_FOUND)
        return false;
    combo->SetSelection(at);
    wxCommandEvent picked(wxEVT_COMBOBOX, id);
    picked.SetEventObject(combo);
    picked.SetInt(at);
    picked.SetString(text);
    combo->GetEventHandler()->ProcessEvent(picked);
    return true;
}

// Enters a text as typed: an edit takes it, a combo picks the equal entry or,
// when it is editable, takes the text. False when the control cannot take it.
inline bool EnterText(wxWindow* dlg, int id, const wxString& text)
{
    wxWindow* w = dlg->FindWindow(id);
    if (auto* edit = dynamic_cast<wxTextCtrl*>(w)) {
        edit->SetValue(text);
        return true;
    }
    if (auto* combo = dynamic_cast<wxComboBox*>(w)) {
        if (PickEntry(dlg, id, text))
            return true;
        if (combo->HasFlag(wxCB_READONLY))
            return false;
        combo->SetValue(text);
        return true;
    }
    return false;
}

// Clicks a button: the command event starts at the button and travels up to
// the dialog's handlers as a real click's does.
inline bool PressButton(wxWindow* dlg, int id)
{
    auto* button = dynamic_cast<wxButton*>(dlg->FindWindow(id));
    if (!button)
        return false;
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
    return true;
}

// Lets the event loop run (timers included) until `done` holds or the time is
// up; true when it held.
template <class Done>
bool PumpUntil(Done done, long timeoutMs)
{
    wxStopWatch clock;
    while (!done()) {
        if (clock.Time() > timeoutMs)
            return false;
        wxTheApp->Yield(true);
        wxMilliSleep(10);
    }
    return true;
}

// What ShowModal returns once the dialog's own handler has run: OK only when
// the dialog ended itself with OK, else the clerk gave up.
inline int ResultOf(wxDialog* dlg)
{
    return dlg->GetReturnCode() == wxID_OK ? wxID_OK : wxID_CANCEL;
}

}  // namespace DialogDriving

// A message box answered with `answer`; its text is kept for the caller.
class ExpectMessageBox : public wxExpectModalBase<wxMessageDialog, ExpectMessageBox>
{
public:
    explicit ExpectMessageBox(int answer = wxID_OK) : m_answer(answer), m_shown(std::make_shared<wxString>()) {}

    // The message of the box, empty while none was shown.
    const wxString& Shown() const { return *m_shown; }

protected:
    int OnInvoked(wxMessageDialog* dlg) const override
    {
        *m_shown = dlg->GetMessage();
        return m_answer;
    }
    wxString GetDefaultDescription() const override { return "a message box"; }

private:
    int m_answer;
    std::shared_ptr<wxString> m_shown;
};

// ---------------------------------------------------------------- password prompt

// Answers the password prompt with a typed text; a refused one leaves the
// prompt open and the clerk then cancels.
class ExpectPasswordPrompt : public wxExpectModalBase<CPasswordDlg, ExpectPasswordPrompt>
{
public:
    explicit ExpectPasswordPrompt(const wxString& typed, bool cancel = false) : m_typed(typed), m_cancel(cancel) {}

protected:
    int OnInvoked(CPasswordDlg* dlg) const override
    {
        using namespace DialogDriving;
        dlg->SetReturnCode(0);
        if (!m_cancel) {
            EnterText(dlg, IDC_PASSWORD_EDIT, m_typed);
            PressButton(dlg, IDC_PASSWORD_OK);
        }
        if (dlg->GetReturnCode() == 0)
            PressButton(dlg, IDC_PASSWORD_CANCEL);
        return ResultOf(dlg);
    }
    wxString GetDefaultDescription() const override { return "the password prompt"; }

private:
    wxString m_typed;
    bool m_cancel;
};

// ---------------------------------------------------------------- check-in

// What the clerk enters in the check-in dialog. An empty text (or an invalid
// birthday) leaves the control as the dialog filled it.
struct CheckInForm
{
    wxString room, name, sex, nation, nativePlace, idNumber, remarks, paid, deposit, hours;
    wxDateTime birthday;
    // Wait for the card reader to fill the name before entering anything.
    bool waitForCard = false;
    long cardWaitMs = 10000;
    // OK is expected to be refused with a message box; the clerk then gives up.
    bool expectRefusal = false;
};

struct CheckInSeen
{
    bool invoked = false;
    wxString roomOffered;          // the room preselected when the dialog opened
    wxString nameHint;             // the grey hint of the empty name field
    std::vector<wxString> rooms;   // the room list
    bool cardRead = false;         // the reader filled the name in time
    // The form as it stood just before OK was pressed.
    wxString name, sex, nation, nativePlace, idNumber, remarks, paid, deposit, hours, validity;
    wxDateTime birthday;
    bool photoShown = false;
    wxString refusal;              // the message shown at OK, if one was expected
    bool endedAfterOk = false;     // the dialog ended itself when OK was pressed
    bool okPressed = false;
    std::chrono::steady_clock::time_point okPressedAt;  // for the benchmark
    std::vector<std::string> problems;
};

template <>
class wxExpectModal<CRegisterDlg> : public wxExpectModalBase<CRegisterDlg>
{
public:
    explicit wxExpectModal(const CheckInForm& form) : m_form(form), m_seen(std::make_shared<CheckInSeen>()) {}

    const CheckInSeen& Seen() const { return *m_seen; }

protected:
    int OnInvoked(CRegisterDlg* dlg) const override
    {
        using namespace DialogDriving;
        CheckInSeen& seen = *m_seen;
        seen.invoked = true;
        dlg->InitDialog();
        seen.roomOffered = TextOf(dlg, IDC_REG_ROOM);
        seen.rooms = Entries(dlg, IDC_REG_ROOM);
        if (auto* name = dynamic_cast<wxTextCtrl*>(dlg->FindWindow(IDC_REG_NAME)))
            seen.nameHint = name->GetHint();

        if (m_form.waitForCard) {
            seen.cardRead = PumpUntil([dlg] { return !TextOf(dlg, IDC_REG_NAME).empty(); }, m_form.cardWaitMs);
            if (!seen.cardRead) {
                seen.problems.push_back("the card reader did not fill the name in time");
                return wxID_CANCEL;
            }
        }

        const std::pair<int, const wxString*> texts[] = {
            {IDC_REG_ROOM, &m_form.room},         {IDC_REG_NAME, &m_form.name},
            {IDC_REG_SEX, &m_form.sex},           {IDC_REG_NATION, &m_form.nation},
            {IDC_REG_NATIVEPLACE, &m_form.nativePlace}, {IDC_REG_IDNUMBER, &m_form.idNumber},
            {IDC_REG_REMARKS, &m_form.remarks},   {IDC_REG_PAID, &m_form.paid},
            {IDC_REG_DEPOSIT, &m_form.deposit},   {IDC_REG_HOURS, &m_form.hours},
        };
        for (const auto& [id, text] : texts)
            if (!text->empty() && !EnterText(dlg, id, *text))
                seen.problems.push_back("control " + std::to_string(id) + " does not take \"" +
                                        std::string(text->utf8_str()) + "\"");
        auto* birthday = dynamic_cast<wxDatePickerCtrl*>(dlg->FindWindow(IDC_REG_BIRTHDAY));
        if (m_form.birthday.IsValid() && birthday)
            birthday->SetValue(m_form.birthday);
        if (!seen.problems.empty())
            return wxID_CANCEL;

        seen.name = TextOf(dlg, IDC_REG_NAME);
        seen.sex = TextOf(dlg, IDC_REG_SEX);
        seen.nation = TextOf(dlg, IDC_REG_NATION);
        seen.nativePlace = TextOf(dlg, IDC_REG_NATIVEPLACE);
        seen.idNumber = TextOf(dlg, IDC_REG_IDNUMBER);
        seen.remarks = TextOf(dlg, IDC_REG_REMARKS);
        seen.paid = TextOf(dlg, IDC_REG_PAID);
        seen.deposit = TextOf(dlg, IDC_REG_DEPOSIT);
        seen.hours = TextOf(dlg, IDC_REG_HOURS);
        seen.validity = TextOf(dlg, IDC_REG_VALIDITY);
        if (birthday)
            seen.birthday = birthday->GetValue();
        if (auto* photo = dynamic_cast<wxStaticBitmap*>(dlg->FindWindow(IDC_REG_PHOTO)))
            seen.photoShown = photo->GetBitmap().IsOk();

        dlg->SetReturnCode(0);
        if (m_form.expectRefusal) {
            ExpectMessageBox refusal(wxID_OK);
            wxTEST_DIALOG(PressButton(dlg, IDC_REG_OK), refusal.Describe("the refusal at OK"));
            seen.refusal = refusal.Shown();
        } else {
            seen.okPressedAt = std::chrono::steady_clock::now();
            seen.okPressed = PressButton(dlg, IDC_REG_OK);
            if (!seen.okPressed)
                seen.problems.push_back("no OK button");
        }
        seen.endedAfterOk = dlg->GetReturnCode() != 0;
        return ResultOf(dlg);
    }

private:
    CheckInForm m_form;
    std::shared_ptr<CheckInSeen> m_seen;
};

// ---------------------------------------------------------------- check-out

// The clerk's choices in the check-out dialog; empty keeps the dialog's choice.
struct CheckOutForm
{
    wxString room, name;
    bool cancel = false;  // press Cancel instead of OK
};

struct CheckOutSeen
{
    bool invoked = false;
    wxString roomOffered;                // the room selected when the dialog opened
    std::vector<wxString> rooms, names;  // the lists when OK or Cancel was pressed
    // The bill as it stood when OK or Cancel was pressed.
    int days = 0;
    double paid = 0, deposit = 0, total = 0;
    bool okPressed = false;
    std::chrono::steady_clock::time_point okPressedAt;  // for the benchmark
    int result = 0;  // what the dialog ended with
    std::vector<std::string> problems;
};

template <>
class wxExpectModal<CRegEndDlg> : public wxExpectModalBase<CRegEndDlg>
{
public:
    explicit wxExpectModal(const CheckOutForm& form) : m_form(form), m_seen(std::make_shared<CheckOutSeen>()) {}

    const CheckOutSeen& Seen() const { return *m_seen; }

protected:
    int OnInvoked(CRegEndDlg* dlg) const override
    {
        using namespace DialogDriving;
        CheckOutSeen& seen = *m_seen;
        seen.invoked = true;
        dlg->InitDialog();
        seen.roomOffered = TextOf(dlg, IDC_REGEND_ROOM);
        if (!m_form.room.empty() && !PickEntry(dlg, IDC_REGEND_ROOM, m_form.room))
            seen.problems.push_back("room " + std::string(m_form.room.utf8_str()) + " is not offered");
        if (!m_form.name.empty() && !PickEntry(dlg, IDC_REGEND_NAME, m_form.name))
            seen.problems.push_back("guest " + std::string(m_form.name.utf8_str()) + " is not offered");
        seen.rooms = Entries(dlg, IDC_REGEND_ROOM);
        seen.names = Entries(dlg, IDC_REGEND_NAME);
        seen.days = dlg->m_nDays;
        seen.paid = dlg->m_dPaid;
        seen.deposit = dlg->m_dDeposit;
        seen.total = dlg->m_dTotal;
        if (!seen.problems.empty())
            return wxID_CANCEL;
        dlg->SetReturnCode(0);
        seen.okPressedAt = std::chrono::steady_clock::now();
        seen.okPressed = !m_form.cancel;
        if (!PressButton(dlg, m_form.cancel ? IDC_REGEND_CANCEL : IDC_REGEND_OK))
            seen.problems.push_back("no OK or Cancel button");
        seen.result = ResultOf(dlg);
        return seen.result;
    }

private:
    CheckOutForm m_form;
    std::shared_ptr<CheckOutSeen> m_seen;
};

// ---------------------------------------------------------------- change room

// The clerk's choices in the change-room dialog; empty keeps the dialog's choice.
struct ChangeRoomForm
{
    wxString name, target;
    bool cancel = false;  // press Cancel instead of OK
};

struct ChangeRoomSeen
{
    bool invoked = false;
    std::vector<wxString> names, targets;  // the two lists
    // The value fields of the chosen guest when OK or Cancel was pressed.
    wxString shownRoom, shownIdNumber, shownCheckIn;
    bool okPressed = false;
    std::chrono::steady_clock::time_point okPressedAt;  // for the benchmark
    std::vector<std::string> problems;
};

template <>
class wxExpectModal<CExchangeHDlg> : public wxExpectModalBase<CExchangeHDlg>
{
public:
    explicit wxExpectModal(const ChangeRoomForm& form) : m_form(form), m_seen(std::make_shared<ChangeRoomSeen>())
    {
    }

    const ChangeRoomSeen& Seen() const { return *m_seen; }

protected:
    int OnInvoked(CExchangeHDlg* dlg) const override
    {
        using namespace DialogDriving;
        ChangeRoomSeen& seen = *m_seen;
        seen.invoked = true;
        dlg->InitDialog();
        seen.names = Entries(dlg, IDC_EXCHANGE_NAME);
        seen.targets = Entries(dlg, IDC_EXCHANGE_NEWROOM);
        if (!m_form.name.empty() && !PickEntry(dlg, IDC_EXCHANGE_NAME, m_form.name))
            seen.problems.push_back("guest " + std::string(m_form.name.utf8_str()) + " is not offered");
        if (!m_form.target.empty() && !PickEntry(dlg, IDC_EXCHANGE_NEWROOM, m_form.target))
            seen.problems.push_back("room " + std::string(m_form.target.utf8_str()) + " is not offered");
        seen.shownRoom = TextOf(dlg, IDC_EXCHANGE_ROOMNO);
        seen.shownIdNumber = TextOf(dlg, IDC_EXCHANGE_IDNUMBER);
        seen.shownCheckIn = TextOf(dlg, IDC_EXCHANGE_CHECKIN);
        if (!seen.problems.empty())
            return wxID_CANCEL;
        dlg->SetReturnCode(0);
        seen.okPressedAt = std::chrono::steady_clock::now();
        seen.okPressed = !m_form.cancel;
        if (!PressButton(dlg, m_form.cancel ? IDC_EXCHANGE_CANCEL : IDC_EXCHANGE_OK))
            seen.problems.push_back("no OK or Cancel button");
        return ResultOf(dlg);
    }

private:
    ChangeRoomForm m_form;
    std::shared_ptr<ChangeRoomSeen> m_seen;
};

// ---------------------------------------------------------------- add or modify a room

// Answers the add/modify dialog as a clerk who typed the given texts and pressed OK.
template <>
class wxExpectModal<CAddHouse> : public wxExpectModalBase<CAddHouse>
{
public:
    wxExpectModal(const CString& roomNo, const CString& price, const CString& intro)
        : m_roomNo(roomNo), m_price(price), m_intro(intro)
    {
    }

protected:
    int OnInvoked(CAddHouse* dlg) const override
    {
        m_seenRoomNo = dlg->m_strRoomNo;
        dlg->m_strRoomNo = m_roomNo;
        dlg->m_strPrice = m_price;
        dlg->m_strIntro = m_intro;
        return wxID_OK;
    }

public:
    mutable CString m_seenRoomNo;

private:
    CString m_roomNo, m_price, m_intro;
};

// ---------------------------------------------------------------- reservation

// Books the room for the date the picker opens on: presses OK.
template <>
class wxExpectModal<CReserveDlg> : public wxExpectModalBase<CReserveDlg>
{
protected:
    int OnInvoked(CReserveDlg* dlg) const override
    {
        dlg->SetReturnCode(0);
        DialogDriving::PressButton(dlg, wxID_OK);
        return DialogDriving::ResultOf(dlg);
    }
};

// ---------------------------------------------------------------- ID cards

// Lays a card on the stand-in reader, whose card folder is `folder`
// ($QUILLAN_CARD_DIR): wz.txt and, when `withPhoto`, a small zp.bmp. The text
// file is written beside and renamed into place, so a poll never sees half a card.
inline bool PresentIdCard(const wxString& folder, const IdCard& card, bool withPhoto = true)
{
    const wxString dir = folder.EndsWith("/") ? folder : folder + "/";
    if (withPhoto) {
        wxImage photo(40, 50);
        photo.SetRGB(wxRect(0, 0, 40, 50), 200, 180, 160);
        if (!photo.SaveFile(dir + "zp.bmp", wxBITMAP_TYPE_BMP))
            return false;
    } else if (wxFileExists(dir + "zp.bmp")) {
        wxRemoveFile(dir + "zp.bmp");
    }
    const std::string text = IdCardText(card);
    {
        wxFFile out(dir + "wz.txt.new", "wb");
        if (!out.IsOpened() || out.Write(text.data(), text.size()) != text.size())
            return false;
    }
    return wxRenameFile(dir + "wz.txt.new", dir + "wz.txt", true);
}
