// The guest-records page of the import/export dialog: exports every stay to a
// CSV file and appends the stays of such a file to the stays table.
#pragma once

#include <memory>

#include "CCsvPage.h"
#include "CRegisterset.h"

// "打开的不是客户记录文件，请重新选择文件。" / "Can't open Customerbook file,please retry."
CString NotCustomerFileMessage(int language);

class CCustomerDlg : public CCsvPage
{
public:
    // Opens the stays table at once; when the database refuses, the clerk is
    // told and the program ends after the dialog.
    explicit CCustomerDlg(wxWindow* parent);

    std::unique_ptr<CRegisterset> m_pRegisterset;

protected:
    CsvTable Table() override;
    CString WrongFileMessage() const override;
};
