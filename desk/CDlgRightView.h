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

// Puts a clock frame into the face kept for painting: its pixels, where the
// face stands in the panel, and the panel's rectangle to paint again, which
// grows by what the frame changed. A part of a face that has moved since its
// last whole frame changes nothing.
void ApplyClockFrame(const ClockFrame& frame, std::vector<uint32_t>& face, wxRect& faceRect, wxRect& changed);

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
    void PaintIdlePicture(wxDC& dc);
    void PaintRoomCard(wxDC& dc) const;

    // The clock's frames arrive on its worker thread, mostly, and go straight
    // into the face kept here; this thread repaints the part they changed.
    void ReceiveFrame(ClockFrame frame);
    void ShowChangedFace();
    void PaintClockFace(wxDC& dc);

    Picture m_picture = Picture::None;
    wxBitmap m_idleBackground;  // gradient, pictures and caption, without the clock
    RoomCard m_card;  // as painted last
    bool m_bReadingCard = false;

    std::mutex m_frameMutex;  // guards the four below
    // The face as the frames drew it, in the clock's own pixels, which the
    // paint hands to the toolkit as they are: nothing is converted per frame.
    std::vector<uint32_t> m_facePixels;
    wxRect m_faceRect;               // where it stands in the panel; empty before the first whole frame
    wxRect m_changed;                // of the panel, changed by frames and not yet repainted
    bool m_bDeliveryQueued = false;  // a call to ShowChangedFace is on its way

    // Last, so that it is gone before the members its frames are handed to.
    CClockPainter m_clock;
};
