#include "CClockPainter.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <cstring>
#include <ctime>
#include <iostream>
#include <memory>
#include <pthread.h>
#include <string>

namespace {

constexpr double kPi = 3.1415926;
constexpr auto kFramePause = std::chrono::milliseconds(50);
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kDarkGray = 0xFFA9A9A9;

const char* const kNumberFont = "WenQuanYi Micro Hei";
constexpr double kNumberSize = 30.0;
// The placement table below was tuned for text boxes that carry a padding of a
// sixth of the font size on either side of the glyphs; the numbers keep it.
constexpr double kNumberPadding = kNumberSize / 6.0;

// Shifts that set each hour number off the ring point: the top-left of its text
// box lies at (x + dx + kx * width, y + dy + ky * height), y pointing up.
struct NumberPlacement
{
    double dx, kx, dy, ky;
};
constexpr NumberPlacement kNumberPlacements[12] = {
    {-25, 0, -9, 0.5},    {-28, 0, -3, 0.5},   {-25, 0, -3, 0.5},    {-13, -0.5, 2, 0.5},
    {-5, -0.5, 10, 0.5},  {0, -0.5, 15, 0.5},  {0, 0, 5, 0.5},       {0, 0, 0, 0.5},
    {-3, 0, -3, 0.5},     {15, -0.5, -15, 0.5}, {15, -0.5, -15, 0.5}, {0, -0.5, 0, 0},
};

using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using ContextPtr = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

double Radians(double degrees)
{
    return degrees * kPi / 180.0;
}

void SetSourceArgb(cairo_t* cr, uint32_t argb)
{
    auto channel = [argb](int shift) { return ((argb >> shift) & 0xFF) / 255.0; };
    cairo_set_source_rgba(cr, channel(16), channel(8), channel(0), channel(24));
}

void StrokeLine(cairo_t* cr, uint32_t argb, double width, double x1, double y1, double x2, double y2)
{
    SetSourceArgb(cr, argb);
    cairo_set_line_width(cr, width);
    cairo_move_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    cairo_stroke(cr);
}

// The stretch of the ray at `degrees` that lies between the distances from and to.
void StrokeRay(cairo_t* cr, uint32_t argb, double width, double degrees, double from, double to)
{
    const double c = std::cos(Radians(degrees)), s = std::sin(Radians(degrees));
    StrokeLine(cr, argb, width, from * c, from * s, to * c, to * s);
}

// A thin shaft from the centre with a broad outer two thirds.
void StrokeHand(cairo_t* cr, uint32_t argb, double shaftWidth, double degrees, double length)
{
    StrokeRay(cr, argb, shaftWidth, degrees, 0, length);
    StrokeRay(cr, argb, 12, degrees, length / 3, length);
}

void FillCentreCircle(cairo_t* cr, uint32_t argb, double radius)
{
    SetSourceArgb(cr, argb);
    cairo_arc(cr, 0, 0, radius, 0, 2 * kPi);
    cairo_fill(cr);
}

// Origin at the face centre, y pointing up.
void UseDialSpace(cairo_t* cr, double radius)
{
    cairo_identity_matrix(cr);
    cairo_translate(cr, radius, radius);
    cairo_scale(cr, 1, -1);
}

ClockRect Union(const ClockRect& a, const ClockRect& b)
{
    if (a.right <= a.left || a.bottom <= a.top)
        return b;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

ClockRect Clamped(const ClockRect& r, int size)
{
    return {std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, size), std::min(r.bottom, size)};
}

// A hand as it is stroked: a ray at `degrees` (y pointing up) between two
// distances from the centre, the widest of its strokes.
struct HandStroke
{
    double degrees, from, to, width;
};

// The three hands at a time of day: hour, minute, second.
std::vector<HandStroke> HandStrokes(const ClockTime& t, double radius)
{
    // The second hand points at 12 and is turned: its ray is 90 degrees on.
    return {{HourHandAngle(t.hour, t.minute), 0, radius - 80, 12},
            {MinuteHandAngle(t.minute, t.second), 0, radius - 30, 12},
            {90.0 + SecondHandRotation(t.second, t.ms), -30, radius - 10, 2}};
}

// The face pixels a hand can touch: its ray, widened by half its stroke and
// what smoothing draws beside it.
ClockRect HandBox(const HandStroke& hand, double radius)
{
    const double c = std::cos(Radians(hand.degrees)), s = std::sin(Radians(hand.degrees));
    const double x1 = radius + hand.from * c, x2 = radius + hand.to * c;
    const double y1 = radius - hand.from * s, y2 = radius - hand.to * s;
    const double pad = hand.width / 2 + 2;
    return {int(std::floor(std::min(x1, x2) - pad)), int(std::floor(std::min(y1, y2) - pad)),
            int(std::ceil(std::max(x1, x2) + pad)), int(std::ceil(std::max(y1, y2) + pad))};
}

// The caps are drawn turned with the second hand, and their smoothed edge
// differs a little with the turn: where the second hand moves they are drawn anew.
ClockRect CapsBox(double radius)
{
    const int from = int(std::floor(radius - 12)), to = int(std::ceil(radius + 12));
    return {from, from, to, to};
}

SurfacePtr NewSurface(int width, int height)
{
    return SurfacePtr(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height), &cairo_surface_destroy);
}

// The pixels of `area` of a surface as large as the face.
void CopyArea(cairo_surface_t* surface, const ClockRect& area, ClockFrame& frame)
{
    cairo_surface_flush(surface);
    frame.x = area.left;
    frame.y = area.top;
    frame.width = area.right - area.left;
    frame.height = area.bottom - area.top;
    frame.pixels.resize(size_t(frame.width) * size_t(frame.height));
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < frame.height; ++y)
        std::memcpy(&frame.pixels[size_t(y) * size_t(frame.width)],
                    data + size_t(area.top + y) * size_t(stride) + size_t(area.left) * sizeof(uint32_t),
                    size_t(frame.width) * sizeof(uint32_t));
}

}  // namespace

ClockTime ClockTimeAt(std::chrono::system_clock::time_point moment)
{
    // Seconds and milliseconds come from the one reading, so the second hand
    // never jumps back when the second turns over between two readings.
    const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(moment.time_since_epoch()).count();
    const std::time_t seconds = std::time_t(ms / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    return {local.tm_hour, local.tm_min, local.tm_sec, int(ms % 1000)};
}

double HourHandAngle(int hour, int minute)
{
    return -(30.0 * (hour + 9) + 0.5 * minute);
}

double MinuteHandAngle(int minute, int second)
{
    return -(6.0 * minute + 0.1 * second + 270.0);
}

double SecondHandRotation(int second, int ms)
{
    return -(1000.0 * second + ms) * 0.006;
}

void ClockFrame::CopyInto(std::vector<uint32_t>& face, int faceWidth) const
{
    for (int row = 0; row < height; ++row)
        std::memcpy(&face[size_t(y + row) * size_t(faceWidth) + size_t(x)], &pixels[size_t(row) * size_t(width)],
                    size_t(width) * sizeof(uint32_t));
}

CClockPainter::CClockPainter() : m_dial(nullptr, &cairo_surface_destroy), m_rows(nullptr, &cairo_surface_destroy) {}

CClockPainter::~CClockPainter()
{
    JoinWorker();
}

void CClockPainter::SetFrameSink(FrameSink sink)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_frameSink = std::move(sink);
    m_bWholeNext = true;
}

void CClockPainter::SetTimeSource(TimeSource source)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_timeSource = std::move(source);
}

void CClockPainter::SetColours(uint32_t face, uint32_t minuteHand, uint32_t secondHand, uint32_t hourHand)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_clrFace = face;
    m_clrMinuteHand = minuteHand;
    m_clrSecondHand = secondHand;
    m_clrHourHand = hourHand;
    m_dial.reset();
}

bool CClockPainter::Start(int left)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_frameSink)
            return false;
        m_rcClock = {0, 0, kFaceSize, kFaceSize};
        m_nLeft = left;
        m_nTop = kFaceTop;
        m_fRadius = float(m_rcClock.right - m_rcClock.left) / 2.0f;
        // The owner gets the whole face at its new place.
        m_bWholeNext = true;
    }
    if (!m_bRunning.exchange(true)) {
        try {
            m_thread = std::thread(&CClockPainter::ThreadMain, this);
        } catch (...) {
            m_bRunning = false;
            throw;
        }
    }
    Draw();
    return true;
}

bool CClockPainter::Stop()
{
    JoinWorker();
    std::cout << "thread exited" << std::endl;
    return true;
}

void CClockPainter::JoinWorker()
{
    {
        // Under the lock, so the worker cannot miss the wake-up between its
        // check of the flag and its wait.
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bRunning = false;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CClockPainter::ThreadMain()
{
    // Named, so that a look at the process's threads tells the clock apart.
    pthread_setname_np(pthread_self(), "clock");
    std::unique_lock<std::mutex> lock(m_mutex);
    while (m_bRunning) {
        lock.unlock();
        Draw();
        lock.lock();
        m_wake.wait_for(lock, kFramePause, [this] { return !m_bRunning; });
    }
}

void CClockPainter::PrepareDial(int size)
{
    if (m_dial && cairo_image_surface_get_width(m_dial.get()) == size)
        return;
    m_dial = NewSurface(size, size);
    m_rows = NewSurface(size, size);
    ContextPtr cr(cairo_create(m_dial.get()), &cairo_destroy);
    SetSourceArgb(cr.get(), m_clrFace);
    cairo_paint(cr.get());
    DrawDial(cr.get());
    m_bWholeNext = true;
}

void CClockPainter::Draw()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_frameSink)
        return;
    const int size = m_rcClock.right - m_rcClock.left;
    if (size <= 0)
        return;
    PrepareDial(size);
    const ClockTime now = ClockTimeAt(m_timeSource ? m_timeSource() : std::chrono::system_clock::now());

    // What changed: the hands that moved, where they stood and where they stand.
    const std::vector<HandStroke> hands = HandStrokes(now, m_fRadius);
    ClockRect area = m_bWholeNext ? ClockRect{0, 0, size, size} : ClockRect{};
    std::vector<ClockRect> boxes;
    std::vector<double> angles;
    for (size_t i = 0; i < hands.size(); ++i) {
        boxes.push_back(i + 1 < hands.size() ? HandBox(hands[i], m_fRadius)
                                             : Union(HandBox(hands[i], m_fRadius), CapsBox(m_fRadius)));
        angles.push_back(hands[i].degrees);
        if (i >= m_handAngles.size() || m_handAngles[i] != angles[i])
            area = Union(Union(area, boxes[i]), i < m_handBoxes.size() ? m_handBoxes[i] : boxes[i]);
    }
    m_handBoxes = boxes;
    m_handAngles = angles;
    m_bWholeNext = false;
    area = Clamped(area, size);
    if (area.right <= area.left || area.bottom <= area.top)
        return;

    // The rows of that part only: the dial as it was drawn once, and every
    // hand over it, on a surface of their own. Whole rows, and a row more
    // above and below: smoothing sums along a row from where the drawing
    // starts, and a part cut out of a row would differ from a whole frame.
    const ClockRect drawn = Clamped({0, area.top - 1, size, area.bottom + 1}, size);
    SurfacePtr part(cairo_surface_create_for_rectangle(m_rows.get(), 0, drawn.top, size, drawn.bottom - drawn.top),
                    &cairo_surface_destroy);
    cairo_surface_set_device_offset(part.get(), 0, -drawn.top);  // the face's own coordinates
    {
        ContextPtr cr(cairo_create(part.get()), &cairo_destroy);
        cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(cr.get(), m_dial.get(), 0, 0);
        cairo_paint(cr.get());
        cairo_set_operator(cr.get(), CAIRO_OPERATOR_OVER);
        DrawHands(cr.get(), now.hour, now.minute, now.second, now.ms);
    }
    ClockFrame frame;
    frame.left = m_nLeft;
    frame.top = m_nTop;
    CopyArea(m_rows.get(), area, frame);
    m_frameSink(std::move(frame));
}

// The sixty ticks, with the hour numbers inside the long ones.
void CClockPainter::DrawDial(cairo_t* cr)
{
    const double radius = m_fRadius;
    for (int k = 0; k < 60; ++k) {
        const double degrees = 90.0 + 6.0 * k;
        const bool hourTick = k % 5 == 0;
        if (hourTick) {
            const double ring = radius - 20;
            DrawDialNumbers(cr, 12 - k / 5, float(ring * std::cos(Radians(degrees))),
                            float(ring * std::sin(Radians(degrees))));
        }
        UseDialSpace(cr, radius);
        if (hourTick)
            StrokeRay(cr, kWhite, 7, degrees, radius - 17, radius);
        else
            StrokeRay(cr, kDarkGray, 3, degrees, radius - 10, radius);
        cairo_identity_matrix(cr);
    }
}

// (x, y) is the number's point on the ring, y pointing up.
void CClockPainter::DrawDialNumbers(cairo_t* cr, int n, float x, float y)
{
    if (n < 1 || n > 12)
        return;
    const NumberPlacement& at = kNumberPlacements[n - 1];
    const std::string text = std::to_string(n);

    cairo_identity_matrix(cr);
    cairo_translate(cr, m_fRadius, m_fRadius);
    cairo_select_font_face(cr, kNumberFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, kNumberSize);
    cairo_text_extents_t textExtents;
    cairo_text_extents(cr, text.c_str(), &textExtents);
    cairo_font_extents_t fontExtents;
    cairo_font_extents(cr, &fontExtents);
    const double boxWidth = textExtents.x_advance + 2 * kNumberPadding;
    const double boxLeft = x + at.dx + at.kx * boxWidth;
    const double boxTop = -(y + at.dy + at.ky * fontExtents.height);

    SetSourceArgb(cr, kWhite);
    cairo_move_to(cr, boxLeft + kNumberPadding, boxTop + fontExtents.ascent);
    cairo_show_text(cr, text.c_str());
    cairo_identity_matrix(cr);
}

void CClockPainter::DrawHands(cairo_t* cr, int hour, int minute, int second, int ms)
{
    const double radius = m_fRadius;
    UseDialSpace(cr, radius);
    StrokeHand(cr, m_clrHourHand, 5, HourHandAngle(hour, minute), radius - 80);
    StrokeHand(cr, m_clrMinuteHand, 7, MinuteHandAngle(minute, second), radius - 30);

    // The second hand is drawn pointing at 12, with a short tail, and turned.
    cairo_rotate(cr, Radians(SecondHandRotation(second, ms)));
    StrokeLine(cr, m_clrSecondHand, 2, 0, -30, 0, radius - 10);

    FillCentreCircle(cr, kWhite, 10);
    FillCentreCircle(cr, kDarkGray, 5);
    cairo_identity_matrix(cr);
}
