// An analog clock face that a worker thread redraws every 50 ms. Each frame is
// rendered off screen and handed to a frame sink, so the worker never touches a
// window: the owner decides how the finished pixels reach the screen.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

typedef struct _cairo cairo_t;

// One finished face: premultiplied 0xAARRGGBB pixels, row after row, and where
// the face belongs inside the owner's window.
struct ClockFrame
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t PixelAt(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
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

    CClockPainter() = default;
    ~CClockPainter();
    CClockPainter(const CClockPainter&) = delete;
    CClockPainter& operator=(const CClockPainter&) = delete;

    // The clock draws only while a sink is set. Setting one waits for a frame in
    // progress, so after the call the previous sink is no longer called.
    void SetFrameSink(FrameSink sink);
    // Colours as 0xAARRGGBB; they apply from the next frame on.
    void SetColours(uint32_t face, uint32_t minuteHand, uint32_t secondHand, uint32_t hourHand);

    // Places the face with its top-left at (left, 140), starts the worker unless it
    // runs, and draws one frame at once on the caller's thread. False, doing
    // nothing, when no sink is set.
    bool Start(int left);
    // Ends the worker and waits for it; no frame is drawn after it returns.
    bool Stop();
    bool IsRunning() const { return m_bRunning; }

private:
    void ThreadMain();
    void Draw();
    void DrawDial(cairo_t* cr);
    void DrawDialNumbers(cairo_t* cr, int n, float x, float y);
    void DrawHands(cairo_t* cr, int hour, int minute, int second, int ms);
    void JoinWorker();

    std::atomic<bool> m_bRunning{false};
    // Guards everything below that the user-interface thread may change while the
    // worker draws, and is held for a whole frame so frames leave in order.
    std::mutex m_mutex;
    std::condition_variable m_wake;  // cuts the worker's pause short on Stop
    FrameSink m_frameSink;
    ClockRect m_rcClock;
    int m_nLeft = 0;
    int m_nTop = 0;
    float m_fRadius = 0.0f;
    uint32_t m_clrFace = 0xFF000000;
    uint32_t m_clrMinuteHand = 0xFFFFFFFF;
    uint32_t m_clrSecondHand = 0xFFFF0000;
    uint32_t m_clrHourHand = 0xFFFFFFFF;
    std::thread m_thread;
};
