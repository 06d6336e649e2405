// The single-instance guard: a lock named after the application that, like a
// named mutex, belongs to the process holding it and dies with it. It is an
// advisory lock on a file in the user's home folder, so the kernel releases it
// however the process ends (exit, Cancel at a prompt, a crash, SIGKILL), and
// a file left behind, or a process id reused since, never blocks a start.
#pragma once

#include <string>

class InstanceLock
{
public:
    // Takes the lock when no other process holds it. Where the lock file
    // cannot be made (no home folder, a read-only one), nothing is guarded.
    explicit InstanceLock(const std::string& name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Another process holds the lock: this one is a second copy.
    bool IsAnotherRunning() const { return m_bAnotherRunning; }

    // Where the lock of that name lives (for the tests).
    static std::string LockFilePath(const std::string& name);

private:
    int m_fd = -1;
    bool m_bAnotherRunning = false;
};
