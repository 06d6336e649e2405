// The cash-book page of the import/export dialog: exports every row of the
// cash book to a CSV file and appends the rows of such a file to it. The
// import stands behind the cash-book lock; the export does not.
#pragma once

#include <memory>

#include "CCsvPage.h"
#include "CCashbookset.h"

// "打开的不是账本文件，请重新选择文件。" / "Can't open cashbook file,please retry."
CString NotCashbookFileMessage(int language);

class CAccountBookDlg : public CCsvPage
{
public:
    // Opens the cash book at once; when the database refuses, the clerk is told
    // and the program ends after the dialog.
    explicit CAccountBookDlg(wxWindow* parent);

    std::unique_ptr<CCashbookset> m_pCashbookset;

protected:
    CsvTable Table() override;
    CString WrongFileMessage() const override;

    // With the cash-book lock on, the password must be given first.
    bool MayImport() override;
};
