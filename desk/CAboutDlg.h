// The about box: the program's pictures and its version line, the same in both languages.
#pragma once

#include "CDialogEx.h"

class CAboutDlg : public CDialogEx
{
public:
    explicit CAboutDlg(wxWindow* parent);
};
