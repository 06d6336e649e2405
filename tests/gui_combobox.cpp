// The combo box for long lists: it answers for every entry while the toolkit's
// drop-down holds a bounded part of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>
#include <wx/app.h>
#include <wx/dialog.h>
#include "CBoundedComboBox.h"
#include "GuiTestSupport.h"

namespace {

std::vector<wxString> Rooms(int count)
{
    std::vector<wxString> rooms;
    for (int i = 0; i < count; ++i)
        rooms.push_back(wxString::Format("%d", 1000 + i));
    return rooms;
}

class BoundedComboTest : public testing::Test
{
protected:
    CBoundedComboBox* Make(long style)
    {
        return new CBoundedComboBox(m_dialog.get(), wxID_ANY, wxDefaultPosition, wxDefaultSize, style);
    }
    // The texts the toolkit's own list holds.
    static std::vector<wxString> Shown(CBoundedComboBox* combo)
    {
        std::vector<wxString> texts;
        for (unsigned n : combo->GetShownEntries())
            texts.push_back(combo->GetString(n));
        return texts;
    }
    // A pick in the toolkit's list: its row `row`, with the event it sends.
    static void PickShownRow(CBoundedComboBox* combo, int row)
    {
        combo->wxComboBox::SetSelection(row);
        wxCommandEvent picked(wxEVT_COMBOBOX, combo->GetId());
        picked.SetEventObject(combo);
        picked.SetInt(combo->GetSelection());
        combo->GetEventHandler()->ProcessEvent(picked);
        wxTheApp->ProcessPendingEvents();
    }
    std::unique_ptr<wxDialog> m_dialog = std::make_unique<wxDialog>(nullptr, wxID_ANY, "combo");
};

TEST_F(BoundedComboTest, ShortListsAreAllInTheDropDown)
{
    CBoundedComboBox* combo = Make(wxCB_DROPDOWN);
    combo->Set(Rooms(5));
    EXPECT_EQ(5u, combo->GetCount());
    EXPECT_EQ(Rooms(5), Shown(combo));
    combo->SetSelection(3);
    EXPECT_EQ(3, combo->GetSelection());
    EXPECT_EQ("1003", combo->GetValue());

    // Entries come and go around the selection as in any combo box.
    combo->Insert("0999", 0);
    EXPECT_EQ(4, combo->GetSelection());
    combo->Delete(1);
    EXPECT_EQ(3, combo->GetSelection());
    EXPECT_EQ("1003", combo->GetStringSelection());
    combo->Delete(3);
    EXPECT_EQ(wxNOT_FOUND, combo->GetSelection());
    EXPECT_EQ((std::vector<wxString>{"0999", "1001", "1002", "1004"}), Shown(combo));
    combo->Clear();
    EXPECT_EQ(0u, combo->GetCount());
    EXPECT_TRUE(combo->GetShownEntries().empty());
}

TEST_F(BoundedComboTest, LongListsAnswerForEveryEntry)
{
    CBoundedComboBox* combo = Make(wxCB_DROPDOWN);
    const std::vector<wxString> rooms = Rooms(10000);
    combo->Set(rooms);
    ASSERT_EQ(10000u, combo->GetCount());
    EXPECT_EQ("10999", combo->GetString(9999));
    EXPECT_EQ(9999, combo->FindString("10999", true));
    EXPECT_EQ(wxNOT_FOUND, combo->FindString("999", true));
    EXPECT_LE(combo->GetShownEntries().size(), size_t(CBoundedComboBox::kShownMax));

    // Selecting an entry far down brings it and its neighbours into the drop-down.
    combo->SetSelection(8000);
    EXPECT_EQ(8000, combo->GetSelection());
    EXPECT_EQ("9000", combo->GetValue());
    const std::vector<unsigned>& shown = combo->GetShownEntries();
    for (unsigned n : {7999u, 8000u, 8001u})
        EXPECT_NE(shown.end(), std::find(shown.begin(), shown.end(), n)) << n;
    combo->SetString(8000, "9000A");
    EXPECT_EQ("9000A", combo->GetString(8000));

    // A pick in the drop-down is reported as the entry it shows.
    const unsigned shownThird = combo->GetShownEntries()[3];
    PickShownRow(combo, 3);
    EXPECT_EQ(int(shownThird), combo->GetSelection());
    EXPECT_EQ(combo->GetString(unsigned(combo->GetSelection())), combo->GetValue());
}

TEST_F(BoundedComboTest, TypingNarrowsALongListToWhatBeginsWithTheText)
{
    CBoundedComboBox* combo = Make(wxCB_DROPDOWN);
    std::vector<wxString> rooms = Rooms(10000);
    rooms.push_back("A150");
    combo->Set(rooms);
    combo->SetValue("10");  // as typed: the text event goes out
    EXPECT_EQ("10", combo->GetValue());
    const std::vector<wxString> shown = Shown(combo);
    ASSERT_EQ(size_t(CBoundedComboBox::kShownMax), shown.size());
    EXPECT_EQ("1000", shown.front());
    EXPECT_EQ("10000", shown[100]) << "in list order";
    for (const wxString& text : shown)
        EXPECT_TRUE(text.StartsWith("10")) << text;
    combo->SetValue("150");
    EXPECT_EQ(10u, Shown(combo).size());

    combo->SetValue("a1");
    EXPECT_EQ((std::vector<wxString>{"A150"}), Shown(combo));
    combo->SetValue("x");
    EXPECT_TRUE(Shown(combo).empty());
    EXPECT_EQ("x", combo->GetValue()) << "the text stays as typed";
    EXPECT_EQ(wxNOT_FOUND, combo->GetSelection());
}

TEST_F(BoundedComboTest, ReadOnlyLongListsReachEveryEntryInTwoPicks)
{
    CBoundedComboBox* combo = Make(wxCB_READONLY);
    combo->Set(Rooms(1000));
    combo->SetSelection(999);
    EXPECT_EQ("1999", combo->GetValue());

    // Around the selection, and spread over the whole list, in list order.
    combo->SetSelection(500);
    const std::vector<unsigned> shown = combo->GetShownEntries();
    ASSERT_LE(shown.size(), size_t(CBoundedComboBox::kShownMax));
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_EQ(0u, shown.front());
    EXPECT_EQ(999u, shown.back());
    for (unsigned n : {499u, 500u, 501u})
        EXPECT_NE(shown.end(), std::find(shown.begin(), shown.end(), n)) << n;

    // Picking a far entry brings its neighbours, and keeps it selected.
    const auto far = std::find_if(shown.begin(), shown.end(), [](unsigned n) { return n > 700; });
    ASSERT_NE(shown.end(), far);
    const unsigned picked = *far;
    PickShownRow(combo, int(far - shown.begin()));
    EXPECT_EQ(int(picked), combo->GetSelection());
    const std::vector<unsigned> after = combo->GetShownEntries();
    for (unsigned n : {picked - 1, picked + 1})
        EXPECT_NE(after.end(), std::find(after.begin(), after.end(), n)) << n;
    EXPECT_EQ(combo->GetString(picked), combo->GetValue());
}

}  // namespace
