// The single-instance guard: a lock that, like a named mutex, belongs to the
// process holding it and dies with it. It is an advisory lock on a file in a
// folder the caller names (the folder of the data it guards), so it holds for
// every process that reaches that folder, whoever runs it; the kernel releases
// it however the process ends (exit, Cancel at a prompt, a crash, SIGKILL),
// and a file left behind, or a process id reused since, never blocks a start.
#pragma once

#include <string>

class InstanceLock
{
public:
    // Takes the lock `name` in `folder` when no other process holds it.
    InstanceLock(const std::string& folder, const std::string& name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // This process holds the lock.
    bool IsHeld() const { return m_fd >= 0; }
    // Another process holds the lock: this one is a second copy.
    bool IsAnotherRunning() const { return m_bAnotherRunning; }
    // Neither: why the lock file could not be made, opened or locked (errno).
    int GetError() const { return m_error; }
    const std::string& GetPath() const { return m_path; }

private:
    std::string m_path;
    int m_fd = -1;
    bool m_bAnotherRunning = false;
    int m_error = 0;
};
