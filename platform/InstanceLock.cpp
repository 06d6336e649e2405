#include "InstanceLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opened for reading only, which is all flock needs, so that a lock file
// another login made opens for this one too. Close-on-exec: a program started
// from this one (the calculator) must not inherit the lock and keep it after
// this process has ended. Never a link, a pipe or a device in its place.
int OpenLockFile(const std::string& path)
{
    constexpr int kFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = open(path.c_str(), kFlags);
    if (fd < 0 && errno == ENOENT) {
        fd = open(path.c_str(), kFlags | O_CREAT | O_EXCL, 0644);
        if (fd >= 0)
            fchmod(fd, 0644);  // readable by every login, whatever the umask
        else if (errno == EEXIST)  // another copy made it just now
            fd = open(path.c_str(), kFlags);
    }
    struct stat st;
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

}  // namespace

InstanceLock::InstanceLock(const std::string& folder, const std::string& name)
    : m_path(folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name)
{
    m_fd = OpenLockFile(m_path);
    if (m_fd < 0) {
        m_error = errno;
        return;
    }
    int rc;
    while ((rc = flock(m_fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (rc == 0)
        return;
    m_error = errno;
    m_bAnotherRunning = errno == EWOULDBLOCK;
    close(m_fd);
    m_fd = -1;
}

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        close(m_fd);  // releases the lock
}
