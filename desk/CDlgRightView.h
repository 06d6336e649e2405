// The room detail panel in the right-hand pane. While the board lists rooms in
// rows it shows an idle picture (a gradient, two pictures, a caption and the
// running clock); while the board shows extra-large icons it shows the card of
// the room selected on the board.
#pragma once

#include <cstdint>
#include <ctime>
#include <mutex>
#include <vector>
#include <wx/bitmap.h>
#include <wx/panel.h>
#include "CClockPainter.h"
#include "WinTypes.h"

class CHouseset;

struct RoomCardLine
{
    int y;
    CString text;
};

// What the card shows of one room: its picture (0 for none) and its text lines.
struct RoomCard
{
    int icon = 0;
    std::vector<RoomCardLine> lines;
};

// The card of the room a rooms recordset stands on.
RoomCard FormatRoomCard(const CHouseset& room);

// The random colours of one idle picture, as 0xAARRGGBB.
struct IdleColours
{
    uint32_t gradientBottom;
    uint32_t hourHand;
    uint32_t minuteHand;
};

// Picked from the time in whole seconds, so pictures drawn within the same
// second look alike.
IdleColours PickIdleColours(std::time_t seconds);

class CDlgRightView : public wxPanel
{
public:
    enum { IDD = 419 };

    explicit CDlgRightView(wxWindow* parent);
    ~CDlgRightView() override;

    // Builds the picture of the board's current display mode (g_nIconMode) anew
    // and repaints the panel at once.
    void RedrawNow();

    bool IsClockRunning() const { return m_clock.IsRunning(); }
    // The room card painted last, or nullptr while the panel shows something else.
    const RoomCard* GetShownCard() const { return m_picture == Picture::Card ? &m_card : nullptr; }

private:
    enum class Picture { None, Idle, Card };

    void LoadPicture();
    void ShowIdlePicture();
    void LoadRoomCard();
    void BuildIdleBackground(uint32_t gradientBottom);

    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void PaintIdlePicture(wxDC& dc) const;
    void PaintRoomCard(wxDC& dc) const;

    // The clock's frames arrive on its worker thread and are shown on this one.
    void ReceiveFrame(ClockFrame frame);
    void ShowLatestFrame();

    Picture m_picture = Picture::None;
    wxBitmap m_idleBackground;  // gradient, pictures and caption, without the clock
    wxBitmap m_clockFace;
    wxRect m_clockRect;
    RoomCard m_card;  // as painted last
    bool m_bReadingCard = false;

    std::mutex m_frameMutex;  // guards the three below
    ClockFrame m_latestFrame;
    bool m_bFrameReady = false;      // m_latestFrame has not been shown yet
    bool m_bDeliveryQueued = false;  // a call to ShowLatestFrame is on its way

    // Last, so that it is gone before the members its frames are handed to.
    CClockPainter m_clock;
};
