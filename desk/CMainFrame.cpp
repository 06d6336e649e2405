#include "CMainFrame.h"

#include <wx/datetime.h>
#include <wx/sizer.h>
#include <wx/statusbr.h>
#include "CQuillan2021View.h"

namespace {
constexpr int kClockTimerId = 1;
constexpr int kClockPane = 4;
}  // namespace

wxString FormatClockText(int hour, int minute, int second)
{
    return wxString::Format(wxString::FromUTF8("当前时间：%02d:%02d:%02d"), hour, minute, second);
}

CMainFrame::CMainFrame()
    : wxFrame(nullptr, wxID_ANY, wxString::FromUTF8("青禾旅馆"), wxDefaultPosition, wxSize(1280, 800)),
      m_clockTimer(this, kClockTimerId)
{
    wxStatusBar* status = CreateStatusBar(5);
    const int widths[] = {-1, 60, 60, 60, 200};
    status->SetStatusWidths(5, widths);

    m_pView = new CQuillan2021View(this);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pView, 1, wxEXPAND);
    SetSizer(sizer);
    m_pView->OnInitialUpdate();

    Bind(wxEVT_TIMER, &CMainFrame::OnTimer, this, kClockTimerId);
    UpdateClock();
    m_clockTimer.Start(1000);
}

void CMainFrame::OnTimer(wxTimerEvent&)
{
    UpdateClock();
}

void CMainFrame::UpdateClock()
{
    const wxDateTime now = wxDateTime::Now();
    SetStatusText(FormatClockText(now.GetHour(), now.GetMinute(), now.GetSecond()), kClockPane);
}
