// What the benchmarks measure with: time, the process's memory and CPU, the
// wake-ups of its threads, and the raw anchors read straight through sqlite3
// on the same files in the same run.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

using BenchClock = std::chrono::steady_clock;

double MillisecondsBetween(BenchClock::time_point from, BenchClock::time_point to = BenchClock::now());
double Median(std::vector<double> values);
// The median of `runs` timings of `work`, in milliseconds.
double MedianMs(int runs, const std::function<void()>& work);

// Resident memory of the process in MB: now, and its peak since the start or
// the last ResetPeakMemory.
double CurrentMemoryMb();
double PeakMemoryMb();
void ResetPeakMemory();

// The CPU time of the whole process, and of each of its threads how long it
// ran (/proc/self/task/*/schedstat) and how often it was woken: the context
// switches it gave up the CPU for (it blocked: a timer, a wait, a poll),
// counted from /proc/self/task/*/status. Threads by name.
struct ProcessActivity
{
    struct Thread
    {
        double cpuSeconds = 0;
        long long wakeups = 0;
    };
    double cpuSeconds = 0;                  // user + system, all threads
    std::map<std::string, Thread> threads;  // by name
    long long TotalWakeups() const;
};
ProcessActivity ReadProcessActivity();

// Raw sqlite3 on one file, read-only: the anchors.
class RawQuery
{
public:
    explicit RawQuery(std::string path) : m_path(std::move(path)) {}
    // Runs `sql` with `params` bound as text and reads every value of every
    // row; gives the rows.
    long long Run(const std::string& sql, const std::vector<std::string>& params = {}) const;
    // The median of three such runs, in milliseconds.
    double MedianMs(const std::string& sql, const std::vector<std::string>& params = {}) const;

private:
    std::string m_path;
};
