// The analog clock without a window: hand angles, the worker's frames and its lifecycle.
#include <gtest/gtest.h>
#include <cmath>
#include <ctime>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>
#include "CClockPainter.h"

namespace {

using namespace std::chrono_literals;

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kCapGray = 0xFFA9A9A9;
constexpr int kCentre = CClockPainter::kFaceSize / 2;

TEST(ClockHands, PointWhereTheDialSays)
{
    EXPECT_DOUBLE_EQ(HourHandAngle(3, 0), -360.0);    // right
    EXPECT_DOUBLE_EQ(MinuteHandAngle(0, 0), -270.0);  // up
    EXPECT_DOUBLE_EQ(HourHandAngle(6, 30), -465.0);   // halfway between 6 and 7
    EXPECT_DOUBLE_EQ(MinuteHandAngle(30, 0), -450.0); // down
    EXPECT_DOUBLE_EQ(HourHandAngle(15, 0), HourHandAngle(3, 0) - 360.0);
    EXPECT_DOUBLE_EQ(MinuteHandAngle(0, 30) - MinuteHandAngle(0, 0), -3.0);
}

TEST(ClockHands, SecondHandSweepsWithTheMilliseconds)
{
    EXPECT_DOUBLE_EQ(SecondHandRotation(0, 0), 0.0);
    EXPECT_DOUBLE_EQ(SecondHandRotation(15, 0), -90.0);
    EXPECT_DOUBLE_EQ(SecondHandRotation(15, 500), -93.0);
}

TEST(ClockHands, TimeOfDayComesFromOneReading)
{
    std::tm local{};
    local.tm_year = 2021 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 5;
    local.tm_hour = 14;
    local.tm_min = 7;
    local.tm_sec = 59;
    local.tm_isdst = -1;
    const auto second = std::chrono::system_clock::from_time_t(std::mktime(&local));

    const ClockTime t = ClockTimeAt(second + 999ms);
    EXPECT_EQ(t.hour, 14);
    EXPECT_EQ(t.minute, 7);
    EXPECT_EQ(t.second, 59);
    EXPECT_EQ(t.ms, 999);
    EXPECT_EQ(ClockTimeAt(second + 1000ms).minute, 8);
}

// Collects what the clock hands over, from whichever thread.
class FrameRecorder
{
public:
    struct Delivery
    {
        std::thread::id thread;
        ClockFrame frame;
    };

    FrameSink Sink()
    {
        return [this](ClockFrame frame) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_deliveries.push_back({std::this_thread::get_id(), std::move(frame)});
        };
    }

    std::vector<Delivery> Deliveries()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_deliveries;
    }

    size_t Count() { return Deliveries().size(); }

    // Index of the last frame drawn on the calling thread, or npos.
    size_t LastOwnFrame()
    {
        const auto all = Deliveries();
        for (size_t i = all.size(); i-- > 0;)
            if (all[i].thread == std::this_thread::get_id())
                return i;
        return std::string::npos;
    }

    // Waits until a frame comes from a thread other than the caller's, after the first `skip` ones.
    bool WaitForWorkerFrame(size_t skip = 0)
    {
        for (auto deadline = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < deadline;) {
            const auto all = Deliveries();
            for (size_t i = skip; i < all.size(); ++i)
                if (all[i].thread != std::this_thread::get_id())
                    return true;
            std::this_thread::sleep_for(5ms);
        }
        return false;
    }

private:
    std::mutex m_mutex;
    std::vector<Delivery> m_deliveries;
};

std::string StopAndCaptureOutput(CClockPainter& clock)
{
    testing::internal::CaptureStdout();
    clock.Stop();
    return testing::internal::GetCapturedStdout();
}

TEST(Clock, WithoutASinkDoesNotStart)
{
    CClockPainter clock;
    EXPECT_FALSE(clock.Start(0));
    EXPECT_FALSE(clock.IsRunning());
}

TEST(Clock, StopOnAStoppedClockOnlyReports)
{
    CClockPainter clock;
    EXPECT_EQ(StopAndCaptureOutput(clock), "thread exited\n");
    EXPECT_FALSE(clock.IsRunning());
}

TEST(Clock, WorkerDeliversFramesUntilStopReturns)
{
    FrameRecorder recorder;
    CClockPainter clock;
    clock.SetFrameSink(recorder.Sink());
    ASSERT_TRUE(clock.Start(10));
    EXPECT_NE(recorder.LastOwnFrame(), std::string::npos) << "Start draws one frame at once";
    EXPECT_TRUE(clock.IsRunning());
    EXPECT_TRUE(recorder.WaitForWorkerFrame());

    EXPECT_EQ(StopAndCaptureOutput(clock), "thread exited\n");
    EXPECT_FALSE(clock.IsRunning());
    const size_t afterStop = recorder.Count();
    std::this_thread::sleep_for(150ms);
    EXPECT_EQ(recorder.Count(), afterStop);
}

TEST(Clock, FrameShowsTheFaceWithTheCapInTheMiddle)
{
    FrameRecorder recorder;
    CClockPainter clock;
    clock.SetFrameSink(recorder.Sink());
    clock.SetColours(0xFF102030, 0xFF00FF00, 0xFFFF0000, 0xFF0000FF);
    ASSERT_TRUE(clock.Start(-20));
    clock.Stop();

    const ClockFrame frame = recorder.Deliveries()[0].frame;
    EXPECT_EQ(frame.left, -20) << "a panel narrower than the face cuts it on the left";
    EXPECT_EQ(frame.top, CClockPainter::kFaceTop);
    ASSERT_EQ(frame.width, CClockPainter::kFaceSize);
    ASSERT_EQ(frame.height, CClockPainter::kFaceSize);
    EXPECT_EQ(frame.PixelAt(0, 0), 0xFF102030u);
    EXPECT_EQ(frame.PixelAt(frame.width - 1, frame.height - 1), 0xFF102030u);
    // A gray dot in a white ring, drawn over the hands.
    EXPECT_EQ(frame.PixelAt(kCentre, kCentre), kCapGray);
    EXPECT_EQ(frame.PixelAt(kCentre + 7, kCentre), kWhite);
    EXPECT_EQ(frame.PixelAt(kCentre, kCentre - 8), kWhite);
}

// A moment of the local day, to the millisecond.
std::chrono::system_clock::time_point LocalTime(int hour, int minute, int second, int ms)
{
    std::tm local{};
    local.tm_year = 2021 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 5;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local)) + std::chrono::milliseconds(ms);
}

// The whole face as a clock that starts at `moment` draws it.
std::vector<uint32_t> WholeFaceAt(std::chrono::system_clock::time_point moment, uint32_t hourHand)
{
    FrameRecorder recorder;
    CClockPainter clock;
    clock.SetFrameSink(recorder.Sink());
    clock.SetColours(0xFF000000, 0xFF00FF00, 0xFFFF0000, hourHand);
    clock.SetTimeSource([moment] { return moment; });
    EXPECT_TRUE(clock.Start(0));
    StopAndCaptureOutput(clock);
    std::vector<uint32_t> face(size_t(CClockPainter::kFaceSize) * CClockPainter::kFaceSize);
    recorder.Deliveries().at(0).frame.CopyInto(face, CClockPainter::kFaceSize);
    return face;
}

TEST(Clock, FramesRedrawOnlyWhatTheHandsMovedAndAddUpToTheWholeFace)
{
    using namespace std::chrono;
    const auto start = LocalTime(10, 8, 0, 0);
    // Steps of a frame, across a minute and an hour, and a jump.
    const std::vector<system_clock::time_point> moments = {
        start + 50ms, start + 100ms, start + 150ms, LocalTime(10, 8, 59, 980), LocalTime(10, 9, 0, 30),
        LocalTime(10, 59, 59, 990), LocalTime(11, 0, 0, 40), LocalTime(17, 42, 13, 500), LocalTime(17, 42, 13, 550)};
    // And a run of steps of every size, from a frame to minutes.
    std::vector<system_clock::time_point> run = moments;
    std::minstd_rand random(20);
    for (int i = 0; i < 40; ++i)
        run.push_back(run.back() + milliseconds(50 * (1 + random() % (i % 3 == 0 ? 4000 : 3))));
    auto now = std::make_shared<system_clock::time_point>(start);
    FrameRecorder recorder;
    CClockPainter clock;
    clock.SetFrameSink(recorder.Sink());
    clock.SetColours(0xFF000000, 0xFF00FF00, 0xFFFF0000, 0xFF0000FF);
    clock.SetTimeSource([now] { return *now; });
    ASSERT_TRUE(clock.Start(0));
    StopAndCaptureOutput(clock);
    ASSERT_EQ(recorder.Count(), 1u);
    std::vector<uint32_t> face(size_t(CClockPainter::kFaceSize) * CClockPainter::kFaceSize);
    recorder.Deliveries()[0].frame.CopyInto(face, CClockPainter::kFaceSize);

    for (size_t i = 0; i < run.size(); ++i) {
        *now = run[i];
        clock.Draw();
        ASSERT_EQ(recorder.Count(), i + 2) << "a frame for each move of the hands";
        const ClockFrame frame = recorder.Deliveries().back().frame;
        frame.CopyInto(face, CClockPainter::kFaceSize);
        EXPECT_TRUE(face == WholeFaceAt(run[i], 0xFF0000FF)) << "frame " << i;
        if (i < 3) {
            EXPECT_LT(frame.width * frame.height, CClockPainter::kFaceSize * CClockPainter::kFaceSize / 4)
                << "a step of the second hand redraws a small part";
        }
    }
    clock.Draw();
    EXPECT_EQ(recorder.Count(), run.size() + 1) << "hands that stand still draw nothing";

    // New colours, or a new sink, start again with the whole face.
    clock.SetColours(0xFF000000, 0xFF00FF00, 0xFFFF0000, 0xFF123456);
    clock.Draw();
    const ClockFrame recoloured = recorder.Deliveries().back().frame;
    EXPECT_EQ(recoloured.width, CClockPainter::kFaceSize);
    EXPECT_EQ(recoloured.height, CClockPainter::kFaceSize);
    recoloured.CopyInto(face, CClockPainter::kFaceSize);
    EXPECT_TRUE(face == WholeFaceAt(run.back(), 0xFF123456));
    FrameRecorder second;
    clock.SetFrameSink(second.Sink());
    clock.Draw();
    ASSERT_EQ(second.Count(), 1u);
    EXPECT_EQ(second.Deliveries()[0].frame.width, CClockPainter::kFaceSize);
}

TEST(Clock, StartingAgainMovesAndRecoloursTheRunningFace)
{
    FrameRecorder recorder;
    CClockPainter clock;
    clock.SetFrameSink(recorder.Sink());
    ASSERT_TRUE(clock.Start(0));
    ASSERT_TRUE(recorder.WaitForWorkerFrame());

    clock.SetColours(0xFF336699, 0xFFFFFFFF, 0xFFFF0000, 0xFFFFFFFF);
    const size_t before = recorder.Count();
    ASSERT_TRUE(clock.Start(100));
    const size_t restarted = recorder.LastOwnFrame();
    ASSERT_TRUE(restarted != std::string::npos && restarted >= before) << "the second Start draws at once too";
    ASSERT_TRUE(recorder.WaitForWorkerFrame(restarted + 1));
    clock.Stop();

    const auto all = recorder.Deliveries();
    std::set<std::thread::id> workers;
    for (const auto& d : all)
        if (d.thread != std::this_thread::get_id())
            workers.insert(d.thread);
    EXPECT_EQ(workers.size(), 1u) << "one worker for both starts";
    // Frames leave in the order they were drawn: none with the old place after Start drew.
    EXPECT_EQ(all[restarted].frame.width, CClockPainter::kFaceSize) << "the moved face comes whole";
    std::vector<uint32_t> face(size_t(CClockPainter::kFaceSize) * CClockPainter::kFaceSize);
    for (size_t i = restarted; i < all.size(); ++i) {
        EXPECT_EQ(all[i].frame.left, 100) << "frame " << i;
        all[i].frame.CopyInto(face, CClockPainter::kFaceSize);
        EXPECT_EQ(face[0], 0xFF336699u) << "frame " << i;
    }
}

TEST(Clock, ReplacedSinkIsNoLongerCalled)
{
    FrameRecorder first, second;
    CClockPainter clock;
    clock.SetFrameSink(first.Sink());
    ASSERT_TRUE(clock.Start(0));
    ASSERT_TRUE(first.WaitForWorkerFrame());
    clock.SetFrameSink(second.Sink());
    const size_t delivered = first.Count();
    EXPECT_TRUE(second.WaitForWorkerFrame());
    EXPECT_EQ(first.Count(), delivered);
    clock.Stop();
}

TEST(Clock, DestroyedWhileRunningWaitsForItsWorker)
{
    FrameRecorder recorder;
    {
        CClockPainter clock;
        clock.SetFrameSink(recorder.Sink());
        ASSERT_TRUE(clock.Start(0));
    }
    const size_t delivered = recorder.Count();
    std::this_thread::sleep_for(120ms);
    EXPECT_EQ(recorder.Count(), delivered);
}

}  // namespace
