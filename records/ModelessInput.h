// Modeless windows opened from a modal dialog.
#pragma once

class wxTopLevelWindow;

// GTK's modal dialogs hold an input grab over every window of the program,
// so a modeless window opened from a modal dialog could be seen but not used.
// This puts the window outside that grab; call it before the window is shown.
// Elsewhere than on GTK it does nothing.
void AllowInputBesideModal(wxTopLevelWindow* window);
