// An analog clock face that a worker thread redraws every 50 ms. Each frame is
// rendered off screen and handed to a frame sink, so the worker never touches a
// window: the owner decides how the finished pixels reach the screen. The dial
// is drawn once for its colours and size; a frame draws the hands over it only
// in the rows they moved through, and hands over only the part they changed.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

// What a frame changed of the face: premultiplied 0xAARRGGBB pixels of the
// rectangle (x, y, width, height) of the face, row after row, and where the
// face's top-left belongs inside the owner's window.
struct ClockFrame
{
    int left = 0;
    int top = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    // A pixel of the face, given by face coordinates inside the rectangle.
    uint32_t PixelAt(int faceX, int faceY) const
    {
        return pixels[size_t(faceY - y) * size_t(width) + size_t(faceX - x)];
    }
    // Copies the rectangle into a whole face of `faceWidth` pixels a row.
    void CopyInto(std::vector<uint32_t>& face, int faceWidth) const;
};

// Receives every frame, on whichever thread drew it (the worker, or the caller of
// Start), while the clock holds its lock. It must not touch the toolkit's windows,
// call back into the clock, or wait for the thread that calls Start or Stop.
using FrameSink = std::function<void(ClockFrame frame)>;

struct ClockRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// A time of day as the hands show it.
struct ClockTime
{
    int hour = 0;  // 0-23
    int minute = 0;
    int second = 0;
    int ms = 0;
};

// The local time of day of a moment, hour to millisecond.
ClockTime ClockTimeAt(std::chrono::system_clock::time_point moment);

// Hand directions in degrees, counted anticlockwise from 3 o'clock (y pointing up).
double HourHandAngle(int hour, int minute);
double MinuteHandAngle(int minute, int second);
// The second hand is drawn pointing at 12 and then turned by this many degrees.
double SecondHandRotation(int second, int ms);

class CClockPainter
{
public:
    static constexpr int kFaceSize = 350;
    static constexpr int kFaceTop = 140;
    using TimeSource = std::function<std::chrono::system_clock::time_point()>;

    CClockPainter();
    ~CClockPainter();
    CClockPainter(const CClockPainter&) = delete;
    CClockPainter& operator=(const CClockPainter&) = delete;

    // The clock draws only while a sink is set. Setting one waits for a frame in
    // progress, so after the call the previous sink is no longer called; the
    // next frame is a whole face.
    void SetFrameSink(FrameSink sink);
    // Colours as 0xAARRGGBB; they apply from the next frame on.
    void SetColours(uint32_t face, uint32_t minuteHand, uint32_t secondHand, uint32_t hourHand);
    // Where the hands read the time: the system clock unless set.
    void SetTimeSource(TimeSource source);

    // Places the face with its top-left at (left, 140), starts the worker unless it
    // runs, and draws one whole frame at once on the caller's thread. False, doing
    // nothing, when no sink is set.
    bool Start(int left);
    // Ends the worker and waits for it; no frame is drawn after it returns.
    bool Stop();
    bool IsRunning() const { return m_bRunning; }
    // Draws one frame now and hands it to the sink: the part of the face the
    // hands changed since the last frame (none when they did not move), the
    // whole face after Start, a new sink or new colours.
    void Draw();

private:
    void ThreadMain();
    void DrawDial(cairo_t* cr);
    void DrawDialNumbers(cairo_t* cr, int n, float x, float y);
    void DrawHands(cairo_t* cr, int hour, int minute, int second, int ms);
    void JoinWorker();
    // Draws the dial anew when its colours or its size changed.
    void PrepareDial(int size);

    std::atomic<bool> m_bRunning{false};
    // Guards everything below that the user-interface thread may change while the
    // worker draws, and is held for a whole frame so frames leave in order.
    std::mutex m_mutex;
    std::condition_variable m_wake;  // cuts the worker's pause short on Stop
    FrameSink m_frameSink;
    TimeSource m_timeSource;
    ClockRect m_rcClock;
    int m_nLeft = 0;
    int m_nTop = 0;
    float m_fRadius = 0.0f;
    uint32_t m_clrFace = 0xFF000000;
    uint32_t m_clrMinuteHand = 0xFFFFFFFF;
    uint32_t m_clrSecondHand = 0xFFFF0000;
    uint32_t m_clrHourHand = 0xFFFFFFFF;
    std::thread m_thread;

    // The face without hands, drawn once for its colours and size, and where
    // a frame draws the rows it changes.
    std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> m_dial;
    std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> m_rows;
    bool m_bWholeNext = true;          // the next frame redraws and hands over the whole face
    std::vector<ClockRect> m_handBoxes;  // where each hand stood in the last frame
    std::vector<double> m_handAngles;    // and at which angle
};
