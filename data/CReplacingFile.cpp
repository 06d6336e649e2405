#include "CReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

namespace {

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a path names: the one a link points at, else the path itself.
std::string ResolvedTarget(const std::string& path)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// A hidden name beside the target that no file has yet, "" after a fault
// other than a taken name. `create` makes the file of the name, or names
// one, and tells errno as open(2) and link(2) do.
template <class Create>
std::string TakeNameBeside(const std::string& target, Create create)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    const std::string stem = FolderOf(target) + "/." + NameOf(target) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = stem;
        for (int i = 0; i < 6; ++i)
            name += kLetters[random() % (sizeof kLetters - 1)];
        if (create(name))
            return name;
        if (errno != EEXIST)
            return std::string();
    }
    return std::string();
}

// The permissions the new file gets: those of the file it replaces, or what
// a file newly made here gets.
mode_t PermissionsFor(const std::string& target)
{
    struct stat st;
    if (stat(target.c_str(), &st) == 0)
        return st.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

void SyncFolder(const std::string& folder)
{
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

}  // namespace

CReplacingFile::~CReplacingFile()
{
    Discard();
}

bool CReplacingFile::Open(const std::string& path)
{
    m_unsynced = 0;
    if (IsOpen() || path.empty())
        return false;
    m_target = ResolvedTarget(path);
    m_tempName.clear();
    m_failed = false;
    struct stat st;
    m_inPlace = stat(m_target.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
    if (m_inPlace) {
        // Not waiting for a reader: a pipe nobody reads is refused at once.
        m_fd = open(m_target.c_str(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_CLOEXEC);
        if (m_fd >= 0)
            fcntl(m_fd, F_SETFL, fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
        return IsOpen();
    }
#ifdef O_TMPFILE
    m_fd = open(FolderOf(m_target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (m_fd >= 0)
        return true;
#endif
    // No unnamed files here (a FAT stick, a network share): a hidden named one.
    m_tempName = TakeNameBeside(m_target, [this](const std::string& name) {
        m_fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        return m_fd >= 0;
    });
    return IsOpen();
}

bool CReplacingFile::Write(const char* data, size_t size)
{
    while (!m_failed && size > 0) {
        const ssize_t written = write(m_fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            m_failed = true;
            break;
        }
        data += written;
        size -= size_t(written);
        m_unsynced += size_t(written);
    }
    // The disk gets the file as it grows: the sync of a large file at its end
    // would otherwise write it all at once while the clerk waits.
    if (m_unsynced >= kWritebackBytes && !m_failed) {
        sync_file_range(m_fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        m_unsynced = 0;
    }
    return IsOpen() && !m_failed;
}

bool CReplacingFile::NameFile()
{
    if (!m_tempName.empty())
        return true;
    // The unnamed file gets its hidden name only now that it is whole.
    const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
    m_tempName = TakeNameBeside(m_target, [&self](const std::string& name) {
        return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
    });
    return !m_tempName.empty();
}

bool CReplacingFile::Commit()
{
    if (!IsOpen())
        return false;
    if (m_inPlace) {
        // A device need not sync; what it refused, the writes have told.
        const bool written = !m_failed && (fsync(m_fd) == 0 || errno == EINVAL);
        Discard();
        return written;
    }
    const bool whole = !m_failed && fchmod(m_fd, PermissionsFor(m_target)) == 0 && fsync(m_fd) == 0 &&
                       NameFile() && rename(m_tempName.c_str(), m_target.c_str()) == 0;
    if (!whole) {
        Discard();
        return false;
    }
    m_tempName.clear();
    close(m_fd);
    m_fd = -1;
    // The new name goes to the disk too. The file is in place either way:
    // a folder that cannot be synced at most brings the old file back after
    // a power cut, whole.
    SyncFolder(FolderOf(m_target));
    return true;
}

void CReplacingFile::Discard()
{
    if (!m_tempName.empty())
        unlink(m_tempName.c_str());
    m_tempName.clear();
    if (IsOpen())
        close(m_fd);
    m_fd = -1;
    m_failed = false;
}
