#include "CBoundedComboBox.h"

#include <algorithm>

CBoundedComboBox::CBoundedComboBox(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                                   long style)
    : wxComboBox(parent, id, wxEmptyString, pos, size, 0, nullptr, style & ~wxCB_SORT)
{
    Bind(wxEVT_TEXT, &CBoundedComboBox::OnText, this);
    Bind(wxEVT_COMBOBOX, &CBoundedComboBox::OnPicked, this);
}

unsigned int CBoundedComboBox::GetCount() const
{
    return unsigned(m_entries.size());
}

wxString CBoundedComboBox::GetString(unsigned int n) const
{
    wxCHECK_MSG(n < m_entries.size(), wxString(), "invalid combo box entry");
    return m_entries[n];
}

void CBoundedComboBox::SetString(unsigned int n, const wxString& text)
{
    wxCHECK_RET(n < m_entries.size(), "invalid combo box entry");
    m_entries[n] = text;
    const int shown = ShownIndexOf(n);
    if (shown != wxNOT_FOUND)
        wxComboBox::SetString(unsigned(shown), text);
}

int CBoundedComboBox::FindString(const wxString& text, bool bCase) const
{
    for (size_t n = 0; n < m_entries.size(); ++n)
        if (m_entries[n].IsSameAs(text, bCase))
            return int(n);
    return wxNOT_FOUND;
}

int CBoundedComboBox::GetSelection() const
{
    const int shown = wxComboBox::GetSelection();
    return shown == wxNOT_FOUND || size_t(shown) >= m_shown.size() ? wxNOT_FOUND : int(m_shown[size_t(shown)]);
}

void CBoundedComboBox::SetSelection(int n)
{
    if (n == wxNOT_FOUND || size_t(n) >= m_entries.size()) {
        wxComboBox::SetSelection(wxNOT_FOUND);
        return;
    }
    if (ShownIndexOf(unsigned(n)) == wxNOT_FOUND)
        Show(AroundEntry(n), n);
    wxComboBox::SetSelection(ShownIndexOf(unsigned(n)));
}

int CBoundedComboBox::DoInsertItems(const wxArrayStringsAdapter& items, unsigned int pos, void** clientData,
                                    wxClientDataType type)
{
    int selected = GetSelection();
    const unsigned count = items.GetCount();
    std::vector<wxString> added;
    added.reserve(count);
    for (unsigned i = 0; i < count; ++i)
        added.push_back(items[i]);
    m_entries.insert(m_entries.begin() + pos, added.begin(), added.end());
    m_clientData.insert(m_clientData.begin() + pos, count, nullptr);
    for (unsigned i = 0; i < count; ++i)
        AssignNewItemClientData(pos + i, clientData, i, type);
    if (selected >= int(pos))
        selected += int(count);
    ShowFor(HasFlag(wxCB_READONLY) ? wxString() : wxComboBox::GetValue(), selected);
    return int(pos + count) - 1;
}

void CBoundedComboBox::DoClear()
{
    m_entries.clear();
    m_clientData.clear();
    m_shown.clear();
    wxComboBox::DoClear();
}

void CBoundedComboBox::DoDeleteOneItem(unsigned int n)
{
    wxCHECK_RET(n < m_entries.size(), "invalid combo box entry");
    int selected = GetSelection();
    m_entries.erase(m_entries.begin() + n);
    m_clientData.erase(m_clientData.begin() + n);
    if (selected == int(n))
        selected = wxNOT_FOUND;
    else if (selected > int(n))
        --selected;
    // The rows of the toolkit's list name entries by index: all of them move.
    m_shown.clear();
    wxComboBox::DoClear();
    ShowFor(HasFlag(wxCB_READONLY) ? wxString() : wxComboBox::GetValue(), selected);
}

void CBoundedComboBox::DoSetItemClientData(unsigned int n, void* clientData)
{
    wxCHECK_RET(n < m_clientData.size(), "invalid combo box entry");
    m_clientData[n] = clientData;
}

void* CBoundedComboBox::DoGetItemClientData(unsigned int n) const
{
    wxCHECK_MSG(n < m_clientData.size(), nullptr, "invalid combo box entry");
    return m_clientData[n];
}

int CBoundedComboBox::ShownIndexOf(unsigned n) const
{
    const auto it = std::find(m_shown.begin(), m_shown.end(), n);
    return it == m_shown.end() ? wxNOT_FOUND : int(it - m_shown.begin());
}

void CBoundedComboBox::ShowFor(const wxString& typed, int selected)
{
    const bool narrowByText = m_entries.size() > kShownMax && !typed.empty() &&
                              (selected == wxNOT_FOUND || m_entries[size_t(selected)] != typed);
    Show(narrowByText ? BeginningWith(typed) : AroundEntry(selected), selected);
}

std::vector<unsigned> CBoundedComboBox::AroundEntry(int selected) const
{
    const size_t count = m_entries.size();
    std::vector<unsigned> entries;
    if (count <= kShownMax) {
        for (size_t n = 0; n < count; ++n)
            entries.push_back(unsigned(n));
        return entries;
    }
    const size_t near = kShownMax - kSpreadEntries;
    const size_t centre = selected == wxNOT_FOUND ? 0 : size_t(selected);
    const size_t first = std::min(centre > near / 2 ? centre - near / 2 : 0, count - near);
    // The spread entries before the neighbours, the neighbours, the spread entries after them.
    for (size_t k = 0; k < kSpreadEntries; ++k) {
        const size_t n = k * (count - 1) / (kSpreadEntries - 1);
        if (n < first)
            entries.push_back(unsigned(n));
    }
    for (size_t n = first; n < first + near; ++n)
        entries.push_back(unsigned(n));
    for (size_t k = 0; k < kSpreadEntries; ++k) {
        const size_t n = k * (count - 1) / (kSpreadEntries - 1);
        if (n >= first + near)
            entries.push_back(unsigned(n));
    }
    return entries;
}

std::vector<unsigned> CBoundedComboBox::BeginningWith(const wxString& typed) const
{
    // Room numbers may carry letters: "a1" finds A101 as well.
    const wxString lower = typed.Lower();
    std::vector<unsigned> entries;
    for (size_t n = 0; n < m_entries.size() && entries.size() < kShownMax; ++n)
        if (m_entries[n].Lower().StartsWith(lower))
            entries.push_back(unsigned(n));
    return entries;
}

void CBoundedComboBox::Show(std::vector<unsigned> entries, int selected)
{
    if (entries != m_shown) {
        const bool editable = !HasFlag(wxCB_READONLY);
        const wxString text = wxComboBox::GetValue();
        const long insertion = GetInsertionPoint();
        wxComboBox::DoClear();
        wxArrayString texts;
        texts.reserve(entries.size());
        for (unsigned n : entries)
            texts.push_back(m_entries[n]);
        wxComboBox::DoInsertItems(texts, 0, nullptr, wxClientData_None);
        m_shown = std::move(entries);
        // What the clerk typed stays as typed while the list changes under it.
        if (editable && wxComboBox::GetValue() != text) {
            ChangeValue(text);
            SetInsertionPoint(insertion);
        }
    }
    const int shown = selected == wxNOT_FOUND ? wxNOT_FOUND : ShownIndexOf(unsigned(selected));
    if (shown != wxNOT_FOUND && wxComboBox::GetSelection() != shown)
        wxComboBox::SetSelection(shown);
}

void CBoundedComboBox::OnText(wxCommandEvent& event)
{
    event.Skip();
    if (!HasFlag(wxCB_READONLY))
        ShowFor(event.GetString(), GetSelection());
}

void CBoundedComboBox::OnPicked(wxCommandEvent& event)
{
    event.Skip();
    // The toolkit is still handling the pick: the list moves round the new
    // entry afterwards, so that the next drop-down opens on its neighbours.
    if (m_entries.size() > kShownMax)
        CallAfter([this] { Show(AroundEntry(GetSelection()), GetSelection()); });
}
