// The import/export dialog: a tab control with the guest-records page on the
// first tab and the cash-book page on the second. Each page moves its table
// to and from a CSV file.
#pragma once

#include <memory>

#include "CCsvFile.h"
#include "CDialogEx.h"
#include "CRegisterset.h"

class wxNotebook;
class CCustomerDlg;
class CAccountBookDlg;

// Title and tab texts for a UI language (English for 2, Chinese otherwise).
struct IEDlgTexts
{
    CString title, customerTab, cashBookTab;
};
IEDlgTexts GetIEDlgTexts(int language);

class CIEDlg : public CDialogEx
{
public:
    // Builds both pages, each opening its table; a table that cannot be opened
    // is reported and the program ends after the dialog, which still opens.
    explicit CIEDlg(wxWindow* parent = nullptr);
    ~CIEDlg() override;

    // Opened with the dialog and closed with it; nothing reads it.
    std::unique_ptr<CRegisterset> m_pRegisterset;
    CCsvFile m_csvFile;
    wxNotebook* m_tab = nullptr;               // control 1048
    CCustomerDlg* m_dlgCustomer = nullptr;     // first tab
    CAccountBookDlg* m_dlgAccountBook = nullptr;  // second tab
};
