// A combo box for lists that can run to thousands of entries, such as the
// rooms of a large hotel. It holds every entry and answers for all of them as
// any combo box does (count, texts, finding, selecting, the selection events),
// but the toolkit's own drop-down list holds only a part of them at a time:
// GTK fills and pops up its list in time that grows with the square of its
// length (10,000 entries take 20 s to fill and over a minute to pop up).
//
// Up to kShownMax entries the drop-down shows them all. Beyond that it shows,
// in list order, the entries that begin with the text typed (an editable
// combo box), or else the entries around the selection together with entries
// spread evenly over the whole list: picking one of those brings its own
// neighbours in, so any entry is two picks away.
#pragma once

#include <vector>
#include <wx/combobox.h>

class CBoundedComboBox : public wxComboBox
{
public:
    // The most entries the toolkit's list holds at a time.
    static constexpr unsigned kShownMax = 200;
    // Of those, the entries spread over the whole of a longer list.
    static constexpr unsigned kSpreadEntries = 20;

    // As wxComboBox, without a sorted style: the caller orders the entries.
    CBoundedComboBox(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style);

    unsigned int GetCount() const override;
    wxString GetString(unsigned int n) const override;
    void SetString(unsigned int n, const wxString& text) override;
    int FindString(const wxString& text, bool bCase = false) const override;
    using wxComboBox::GetSelection;
    int GetSelection() const override;
    using wxComboBox::SetSelection;
    void SetSelection(int n) override;

    // The entries the drop-down list holds now, in its order.
    const std::vector<unsigned>& GetShownEntries() const { return m_shown; }

protected:
    int DoInsertItems(const wxArrayStringsAdapter& items, unsigned int pos, void** clientData,
                      wxClientDataType type) override;
    void DoClear() override;
    void DoDeleteOneItem(unsigned int n) override;
    void DoSetItemClientData(unsigned int n, void* clientData) override;
    void* DoGetItemClientData(unsigned int n) const override;

private:
    // Entry `n` within the drop-down when it is there, else -1.
    int ShownIndexOf(unsigned n) const;
    // Chooses what the drop-down holds after the entries or the text changed.
    void ShowFor(const wxString& typed, int selected);
    // The entries around `selected` (the first ones when nothing is) and the spread ones.
    std::vector<unsigned> AroundEntry(int selected) const;
    // The entries that begin with `typed`, at most kShownMax of them.
    std::vector<unsigned> BeginningWith(const wxString& typed) const;
    // Puts exactly `entries` into the toolkit's list, keeping the selection and the text.
    void Show(std::vector<unsigned> entries, int selected);
    void OnText(wxCommandEvent& event);
    void OnPicked(wxCommandEvent& event);

    std::vector<wxString> m_entries;
    std::vector<void*> m_clientData;  // one per entry
    std::vector<unsigned> m_shown;    // the entry of each row of the toolkit's list
};
