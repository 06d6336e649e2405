// A file written in full beside the one it is to replace, and put in that
// one's place only once it is whole and on the disk: until then the file of
// that name stays as it was, and a file that could not be written whole is
// removed again. Where the file system offers unnamed files, the new one has
// no name at all until it is complete, so a process killed while writing
// leaves nothing behind; elsewhere it is a hidden ".<name>.XXXXXX" beside the
// file, which a kill can leave (it never replaces anything; it may be deleted).
// A path that names something other than a file (a device) is written in
// place, as nothing can stand in for it.
#pragma once

#include <string>

class CReplacingFile
{
public:
    CReplacingFile() = default;
    // Removes the new file unless Commit put it in place.
    ~CReplacingFile();
    CReplacingFile(const CReplacingFile&) = delete;
    CReplacingFile& operator=(const CReplacingFile&) = delete;

    // Starts the new file for `path` (a file-system name) in the folder of
    // the file it names; a link is followed, so the file it points at is the
    // one replaced. False when that folder takes no new file.
    bool Open(const std::string& path);
    bool IsOpen() const { return m_fd >= 0; }
    // Appends the bytes; false once any write failed.
    bool Write(const char* data, size_t size);
    // Syncs the new file, gives it the old file's permissions and renames it
    // over the old one; false (the new file removed, the old one as it was)
    // when any step failed.
    bool Commit();
    // Removes the new file; the old one stays as it was.
    void Discard();

private:
    bool NameFile();

    // Written bytes after which their write-back to the disk is started.
    static constexpr size_t kWritebackBytes = 4 << 20;

    int m_fd = -1;
    size_t m_unsynced = 0;   // bytes written since the last write-back began
    std::string m_target;    // the file replaced
    std::string m_tempName;  // the new file's name, once it has one
    bool m_inPlace = false;  // writing into the target itself
    bool m_failed = false;
};
