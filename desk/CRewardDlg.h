// The reward box: a picture and one line asking to support the author.
#pragma once

#include "CDialogEx.h"

enum : int { IDC_REWARD_TEXT = 1062, IDC_REWARD_OK = 1 };

class CRewardDlg : public CDialogEx
{
public:
    explicit CRewardDlg(wxWindow* parent = nullptr);
};
