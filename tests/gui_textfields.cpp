// The dialogs' text fields: each takes from the clerk what its column holds,
// a long paste is cut at once instead of stalling the desk, a stored value
// longer than its field is shown and kept whole, and the check-in name field
// shows its hint also while it has the focus.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include <gtk/gtk.h>
#include <wx/bookctrl.h>
#include <wx/clipbrd.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>

#include "CAddHouse.h"
#include "CIEDlg.h"
#include "CMainFrame.h"
#include "CPasswordDlg.h"
#include "CQuillan2021App.h"
#include "CRegisterDlg.h"
#include "CRegisterset.h"
#include "CSetupPS.h"
#include "CUserSearchDlg.h"
#include "DialogDrivers.h"
#include "GuiTestSupport.h"
#include "TextFields.h"

namespace {

using namespace DialogDriving;

wxString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

// The text fields of a window the clerk can type into, in creation order (a
// date picker takes a date, not text).
void CollectEditable(wxWindow* window, std::vector<wxWindow*>& fields)
{
    for (wxWindow* child : window->GetChildren()) {
        auto* text = dynamic_cast<wxTextCtrl*>(child);
        auto* combo = dynamic_cast<wxComboBox*>(child);
        if ((text && text->IsEditable()) || (combo && !combo->HasFlag(wxCB_READONLY)))
            fields.push_back(child);
        if (!dynamic_cast<wxDatePickerCtrl*>(child))
            CollectEditable(child, fields);
    }
}

// The dialog is shown and active, with the page that holds `field` in front,
// and `field` has the keyboard focus.
bool Focus(wxWindow* field)
{
    for (wxWindow* page = field; page->GetParent(); page = page->GetParent())
        if (auto* book = dynamic_cast<wxBookCtrlBase*>(page->GetParent()))
            book->SetSelection(size_t(book->FindPage(page)));
    auto* top = dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(field));
    top->Show();
    top->Raise();
    gdk_window_focus(gtk_widget_get_window(top->GetHandle()), GDK_CURRENT_TIME);
    field->SetFocus();
    return PumpUntil([top] { return top->IsActive() && wxWindow::FindFocus() != nullptr; }, 5000);
}

// The text the clerk pastes into the field that has the focus.
void Paste(wxWindow* field, const wxString& text)
{
    if (wxTheClipboard->Open()) {
        wxTheClipboard->SetData(new wxTextDataObject(text));
        wxTheClipboard->Close();
    }
    if (auto* combo = dynamic_cast<wxComboBox*>(field))
        combo->Paste();
    else if (auto* edit = dynamic_cast<wxTextCtrl*>(field))
        edit->Paste();
}

wxString ValueOf(wxWindow* field)
{
    if (auto* combo = dynamic_cast<wxComboBox*>(field))
        return combo->GetValue();
    return dynamic_cast<wxTextCtrl*>(field)->GetValue();
}

struct DialogCase
{
    const char* name;
    std::function<wxDialog*()> make;
    size_t fields;  // how many fields the clerk can type into
    size_t limit;   // the characters each takes
};

TEST(TextFields, EveryFieldOfEveryDialogTakesWhatItsColumnHoldsAndALongPasteIsCutAtOnce)
{
    // A whole document pasted by mistake: 65,000 characters.
    const wxString document = wxString(U("客")[0], 40000) + wxString('x', 25000);
    const DialogCase dialogs[] = {
        {"check-in", [] { return new CRegisterDlg(MainFrame()); }, 9, kColumnChars},
        {"add or modify a room", [] { return new CAddHouse(MainFrame()); }, 3, kColumnChars},
        {"password settings", [] { return new CSetupPS(MainFrame()); }, 3, kColumnChars},
        {"password prompt", [] { return new CPasswordDlg(MainFrame()); }, 1, kColumnChars},
        {"guest search", [] { return new CUserSearchDlg(MainFrame()); }, 1, kColumnChars},
        {"import and export", [] { return new CIEDlg(MainFrame()); }, 4, kPathChars},
    };
    for (const DialogCase& c : dialogs) {
        std::unique_ptr<wxDialog> dlg(c.make());
        std::vector<wxWindow*> fields;
        CollectEditable(dlg.get(), fields);
        EXPECT_EQ(fields.size(), c.fields) << c.name;
        for (wxWindow* field : fields) {
            ASSERT_TRUE(Focus(field)) << c.name << ": no focus";
            const auto started = std::chrono::steady_clock::now();
            Paste(field, document);
            const bool pasted = PumpUntil([field] { return !ValueOf(field).empty(); }, 5000);
            wxTheApp->Yield(true);
            const auto took = std::chrono::steady_clock::now() - started;
            const wxString value = ValueOf(field);
            EXPECT_TRUE(pasted) << c.name << " field " << field->GetId();
            EXPECT_EQ(value.length(), c.limit) << c.name << " field " << field->GetId();
            EXPECT_TRUE(document.StartsWith(value)) << c.name << " field " << field->GetId();
            EXPECT_LT(took, std::chrono::seconds(2)) << c.name << " field " << field->GetId();
        }
        dlg->Hide();
    }
}

// A stay whose texts another program wrote longer than the fields take.
GuestRecord StoreLongStay()
{
    const wxString name = wxString(U("名")[0], 300), remarks = wxString(U("备")[0], 400);
    CDatabase& db = GetTheApp().m_dbRegister;
    db.ExecuteSQL("DELETE FROM [register]");
    db.ExecuteSQL(U("INSERT INTO [register]([房间号],[姓名],[住房日期],[证件号],[交钱],[押金],[性别],[民族],[籍贯],"
                    "[本人职务备注]) VALUES ('101','") +
                  name + U("','2024-03-05 10:00:00','110101198001010011','80','0',1,'汉族','") +
                  wxString('p', 260) + "','" + remarks + "')");
    CRegisterset rs(&db);
    rs.Open(CRecordset::dynaset);
    return rs.GetGuestRecord();
}

TEST(TextFields, AStoredValueLongerThanItsFieldIsShownAndKeptWholeAndCanOnlyShrink)
{
    const GuestRecord stored = StoreLongStay();
    {
        CRegisterDlg dlg(MainFrame());
        dlg.SetStayToModify(stored);
        dlg.InitDialog();
        EXPECT_EQ(TextOf(&dlg, IDC_REG_NAME), stored.m_strName);
        EXPECT_EQ(TextOf(&dlg, IDC_REG_NATIVEPLACE), stored.m_strNativePlace);
        EXPECT_EQ(TextOf(&dlg, IDC_REG_REMARKS), stored.m_strRemarks);

        // The clerk can add nothing to a field already past its column, but can shorten it.
        for (int id : {IDC_REG_NAME, IDC_REG_REMARKS}) {
            auto* field = dynamic_cast<wxTextCtrl*>(dlg.FindWindow(id));
            const wxString whole = field->GetValue();
            ASSERT_TRUE(Focus(field));
            field->SetInsertionPointEnd();
            Paste(field, "more");
            PumpUntil([] { return false; }, 300);
            EXPECT_EQ(field->GetValue(), whole) << id;
            field->Remove(0, long(whole.length()) - 100);
            field->SetInsertionPointEnd();
            Paste(field, "more");
            EXPECT_TRUE(PumpUntil([field] { return field->GetValue().EndsWith("more"); }, 2000)) << id;
        }
        dlg.Hide();
    }

    // Untouched, they go back whole.
    CRegisterDlg dlg(MainFrame());
    wxExpectModal<CRegisterDlg> clerk(CheckInForm{});
    dlg.SetStayToModify(stored);
    wxTEST_DIALOG(dlg.ShowModal(), clerk);
    CRegisterset rs(&GetTheApp().m_dbRegister);
    rs.Open(CRecordset::dynaset);
    EXPECT_EQ(rs.m_strName, stored.m_strName);
    EXPECT_EQ(rs.m_strNativePlace, stored.m_strNativePlace);
    EXPECT_EQ(rs.m_strRemarks, stored.m_strRemarks);
}

// The pixels of a widget as it draws itself now.
std::vector<unsigned char> Render(GtkWidget* widget, int& width, int& height)
{
    width = gtk_widget_get_allocated_width(widget);
    height = gtk_widget_get_allocated_height(widget);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    gtk_widget_draw(widget, cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    std::vector<unsigned char> pixels(data, data + size_t(cairo_image_surface_get_stride(surface)) * size_t(height));
    cairo_surface_destroy(surface);
    return pixels;
}

// How many pixels of the widget differ from the same widget drawn with no hint.
size_t HintPixels(wxTextCtrl* field)
{
    GtkWidget* widget = field->GetHandle();
    int width = 0, height = 0;
    const std::vector<unsigned char> with = Render(widget, width, height);
    const wxString hint = field->GetHint();
    field->SetHint(wxString());
    const std::vector<unsigned char> without = Render(widget, width, height);
    field->SetHint(hint);
    size_t differing = 0;
    for (size_t i = 0; i + 3 < with.size(); i += 4)
        differing += with[i] != without[i] || with[i + 1] != without[i + 1] || with[i + 2] != without[i + 2];
    return differing;
}

TEST(TextFields, TheCheckInNameHintShowsAlsoWhileTheEmptyFieldHasTheFocus)
{
    // The caret stays drawn, so that only the hint tells the two drawings apart.
    g_object_set(gtk_settings_get_default(), "gtk-cursor-blink", FALSE, nullptr);
    CRegisterDlg dlg(MainFrame());
    dlg.InitDialog();
    auto* name = dynamic_cast<wxTextCtrl*>(dlg.FindWindow(IDC_REG_NAME));
    ASSERT_NE(name, nullptr);
    ASSERT_FALSE(name->GetHint().empty());
    ASSERT_TRUE(Focus(name));
    ASSERT_TRUE(gtk_widget_has_focus(name->GetHandle()));
    EXPECT_GT(HintPixels(name), 20u) << "the hint is gone while the field has the focus";

    name->ChangeValue(U("张三"));
    EXPECT_EQ(HintPixels(name), 0u) << "a name hides the hint";
    dlg.Hide();
    g_object_set(gtk_settings_get_default(), "gtk-cursor-blink", TRUE, nullptr);
}

}  // namespace
