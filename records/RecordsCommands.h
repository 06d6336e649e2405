// The board's commands that open the records windows: all the front desk
// needs to know of them.
#pragma once

class wxWindow;

// The guest-records window, modal over `parent`.
void OpenGuestRecords(wxWindow* parent);
// The cash book, modal over `parent`, behind the password while the cash-book
// lock is on.
void OpenCashBook(wxWindow* parent);
// The import and export dialog, modal over `parent`.
void OpenImportExport(wxWindow* parent);
