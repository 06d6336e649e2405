// The dialogs' text fields: how much the clerk can put into one, and a grey
// hint that stays while an empty field has the focus.
#pragma once

#include <cstddef>

class wxWindow;
class wxTextCtrl;

// The characters a text column of the tables holds.
constexpr size_t kColumnChars = 255;
// The characters of the longest path a file-name field takes (PATH_MAX bytes
// with the closing NUL).
constexpr size_t kPathChars = 4095;

// The clerk can put at most `maxChars` characters into `field` (an edit, a
// multi-line edit or an editable combo box): typing stops there, and a longer
// paste or drop is cut to what fits, so that no field holds more than its
// column takes and a paste of a whole document never stalls the desk. What the
// program itself puts into the field (a stored value) is shown whole, also
// when it is longer; the clerk can then shorten it but not lengthen it.
void LimitText(wxWindow* field, size_t maxChars = kColumnChars);

// The field's hint (SetHint) shows whenever the field is empty, also while it
// has the focus, as the toolkit alone shows it only while it has not.
void KeepHintWhileFocused(wxTextCtrl* field);
