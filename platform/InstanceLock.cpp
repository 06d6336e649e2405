#include "InstanceLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <wx/utils.h>

std::string InstanceLock::LockFilePath(const std::string& name)
{
    return std::string(wxGetHomeDir().utf8_str().data()) + "/." + name + ".lock";
}

InstanceLock::InstanceLock(const std::string& name)
{
    // Close-on-exec: a program started from this one (the calculator) must not
    // inherit the lock and keep it after this process has ended.
    m_fd = open(LockFilePath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return;
    int rc;
    while ((rc = flock(m_fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (rc == 0)
        return;
    m_bAnotherRunning = errno == EWOULDBLOCK;
    close(m_fd);
    m_fd = -1;
}

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        close(m_fd);  // releases the lock
}
