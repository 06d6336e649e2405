#include "CIEDlg.h"

#include <wx/notebook.h>
#include <wx/sizer.h>

#include "AppConnections.h"
#include "CAccountBookDlg.h"
#include "CCustomerDlg.h"
#include "Globals.h"
#include "OpenFailure.h"
#include "RecordsetUse.h"

IEDlgTexts GetIEDlgTexts(int language)
{
    IEDlgTexts texts;
    if (language == 2) {
        texts.title = "ImportExport";
        texts.customerTab = "Customer Record";
        texts.cashBookTab = "CashBook Record";
    } else {
        texts.title = wxString::FromUTF8("导入导出");
        texts.customerTab = wxString::FromUTF8("客户记录");
        texts.cashBookTab = wxString::FromUTF8("账本记录");
    }
    return texts;
}

CIEDlg::CIEDlg(wxWindow* parent)
    : CDialogEx(parent, wxID_ANY, "Dialog", wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE)
{
    const IEDlgTexts texts = GetIEDlgTexts(g_nLanguage);
    SetTitle(texts.title);

    // The notebook shows the page of the chosen tab and hides the other itself.
    m_tab = new wxNotebook(this, IDC_IE_TAB);
    m_dlgCustomer = new CCustomerDlg(m_tab);
    m_dlgAccountBook = new CAccountBookDlg(m_tab);
    m_tab->AddPage(m_dlgCustomer, texts.customerTab, true);
    m_tab->AddPage(m_dlgAccountBook, texts.cashBookTab, false);

    m_pRegisterset.reset(new CRegisterset(&AppConnections().m_dbRegister));
    // Nothing reads it: opened to append only, it reads no row of the table.
    if (!TryOpen(*m_pRegisterset, CRecordset::appendOnly)) {
        ReportOpenFailureAndQuit();
    }

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_tab, 1, wxEXPAND | wxALL, ConvertDialogToPixels(wxSize(7, 7)).x);
    SetSizerAndFit(sizer);
    // No Cancel button: Esc ends the dialog as its close box does.
    CloseOnEscape();
    CentreOnParent();
}

CIEDlg::~CIEDlg()
{
    if (m_pRegisterset)
        CloseIfOpen(*m_pRegisterset);
}
