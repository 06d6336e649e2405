// The about box: the program's pictures, its version line and the build's, the same in both languages.
#pragma once

#include "CDialogEx.h"

class CAboutDlg : public CDialogEx
{
public:
    explicit CAboutDlg(wxWindow* parent);
};
