#include "BenchMeasures.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sqlite3.h>
#include <sys/resource.h>

namespace {

// A value of /proc/self/status in kB, converted to MB.
double StatusMegabytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    const std::string prefix = std::string(field) + ":";
    for (std::string line; std::getline(status, line);)
        if (line.rfind(prefix, 0) == 0)
            return std::atof(line.c_str() + prefix.size()) / 1024.0;
    return 0;
}

std::string FirstLine(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

long long VoluntarySwitches(const std::filesystem::path& status)
{
    std::ifstream in(status);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
            return std::atoll(line.c_str() + 24);
    return 0;
}

}  // namespace

double MillisecondsBetween(BenchClock::time_point from, BenchClock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double MedianMs(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = BenchClock::now();
        work();
        times.push_back(MillisecondsBetween(start));
    }
    return Median(times);
}

double CurrentMemoryMb()
{
    return StatusMegabytes("VmRSS");
}

double PeakMemoryMb()
{
    return StatusMegabytes("VmHWM");
}

void ResetPeakMemory()
{
    // Linux lets a process start its resident peak again from what it holds now.
    std::ofstream("/proc/self/clear_refs") << "5";
}

long long ProcessActivity::TotalWakeups() const
{
    long long total = 0;
    for (const auto& [name, thread] : threads)
        total += thread.wakeups;
    return total;
}

ProcessActivity ReadProcessActivity()
{
    ProcessActivity activity;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    activity.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                          double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        ProcessActivity::Thread& thread = activity.threads[FirstLine(task.path() / "comm")];
        thread.wakeups += VoluntarySwitches(task.path() / "status");
        thread.cpuSeconds += std::atof(FirstLine(task.path() / "schedstat").c_str()) / 1e9;
    }
    return activity;
}

long long RawQuery::Run(const std::string& sql, const std::vector<std::string>& params) const
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(m_path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
    for (size_t i = 0; i < params.size(); ++i)
        sqlite3_bind_text(st, int(i + 1), params[i].c_str(), -1, SQLITE_TRANSIENT);
    long long rows = 0;
    volatile size_t bytes = 0;  // read, so that no value goes unread
    while (sqlite3_step(st) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            bytes += size_t(sqlite3_column_bytes(st, c)) + (sqlite3_column_text(st, c) ? 1 : 0);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

double RawQuery::MedianMs(const std::string& sql, const std::vector<std::string>& params) const
{
    return ::MedianMs(3, [&] { Run(sql, params); });
}
