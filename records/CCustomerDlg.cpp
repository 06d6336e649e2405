#include "CCustomerDlg.h"

#include "AppConnections.h"
#include "Globals.h"

CString NotCustomerFileMessage(int language)
{
    if (language == 2)
        return "Can't open Customerbook file,please retry.";
    return wxString::FromUTF8("打开的不是客户记录文件，请重新选择文件。");
}

CCustomerDlg::CCustomerDlg(wxWindow* parent)
    : CCsvPage(parent), m_pRegisterset(new CRegisterset(&AppConnections().m_dbRegister))
{
    OpenTable(*m_pRegisterset);
}

CsvTable CCustomerDlg::Table()
{
    return GuestCsvTable(*m_pRegisterset);
}

CString CCustomerDlg::WrongFileMessage() const
{
    return NotCustomerFileMessage(g_nLanguage);
}
