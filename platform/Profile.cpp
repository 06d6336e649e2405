#include "Profile.h"

#include <cerrno>
#include <climits>
#include <cctype>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include "CodePage.h"
#include "Utf8Text.h"

namespace {

std::string FileName(const wchar_t* file)
{
    return file ? std::string(CString(file).utf8_str().data()) : std::string();
}

// How the file's text is written: as other editors write it (UTF-8, with or
// without a byte-order mark), or in the code page the Windows program uses.
enum class Encoding { Utf8, Utf8WithMark, Gbk };

const std::string kByteOrderMark = "\xEF\xBB\xBF";

bool IsUtf8(const std::string& bytes)
{
    auto p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto end = p + bytes.size();
    unsigned code = 0;
    while (p < end)
        if (!NextUtf8Char(p, end, code))
            return false;
    return true;
}

// Lines as stored, without the line break and in the file's encoding, so
// rewriting keeps everything not touched byte for byte.
struct IniFile {
    std::vector<std::string> lines;
    std::string eol = "\n";
    bool exists = false;
    Encoding encoding = Encoding::Utf8;  // a file made from nothing is UTF-8

    CString Decode(const std::string& bytes) const
    {
        CString text;
        if (encoding != Encoding::Gbk && FromCodePageExact(bytes, CP_UTF8, text))
            return text;
        return FromCodePage(bytes, CP_OEMCP);
    }
    std::string Encode(const CString& text) const
    {
        return encoding == Encoding::Gbk ? ToCodePage(text, CP_OEMCP) : ToUtf8(text);
    }
};

// Only a regular file is read: a pipe or a device in its place must not make
// the program wait or read without end.
IniFile Load(const std::string& path)
{
    IniFile ini;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return ini;
    struct stat st;
    std::string data;
    bool readable = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    char chunk[65536];
    while (readable) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            readable = n == 0;
            break;
        }
        data.append(chunk, static_cast<size_t>(n));
    }
    close(fd);
    if (!readable)
        return ini;
    ini.exists = true;
    if (data.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0) {
        ini.encoding = Encoding::Utf8WithMark;
        data.erase(0, kByteOrderMark.size());
    } else if (!IsUtf8(data)) {
        ini.encoding = Encoding::Gbk;
    }
    size_t start = 0;
    while (start < data.size()) {
        size_t end = data.find('\n', start);
        if (end == std::string::npos)
            end = data.size();
        std::string line = data.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            if (ini.lines.empty())
                ini.eol = "\r\n";
        }
        ini.lines.push_back(std::move(line));
        start = end + 1;
    }
    return ini;
}

CString Trimmed(CString text)
{
    text.Trim(true).Trim(false);
    return text;
}

enum class LineKind { Other, Section, Key };

LineKind Classify(const IniFile& ini, const std::string& raw, CString& name, CString& value)
{
    CString line = Trimmed(ini.Decode(raw));
    if (line.StartsWith("[")) {
        int close = line.Find(']');
        name = Trimmed(close == wxNOT_FOUND ? line.Mid(1) : line.Mid(1, close - 1));
        return LineKind::Section;
    }
    int eq = line.Find('=');
    if (eq == wxNOT_FOUND)
        return LineKind::Other;
    name = Trimmed(line.Left(eq));
    value = Trimmed(line.Mid(eq + 1));
    return LineKind::Key;
}

// Index of the section header, or -1; `end` gets one past the section's last line.
long FindSection(const IniFile& ini, const CString& section, size_t& end)
{
    long header = -1;
    for (size_t i = 0; i < ini.lines.size(); ++i) {
        CString name, value;
        if (Classify(ini, ini.lines[i], name, value) != LineKind::Section)
            continue;
        if (header >= 0) {
            end = i;
            return header;
        }
        if (name.CmpNoCase(section) == 0)
            header = static_cast<long>(i);
    }
    end = ini.lines.size();
    return header;
}

// A value enclosed in a pair of double or single quotation marks reads
// without them, as it does through the Windows functions.
CString Unquoted(const CString& value)
{
    const size_t n = value.length();
    if (n >= 2 && (value[0] == '"' || value[0] == '\'') && value[n - 1] == value[0])
        return value.Mid(1, n - 2);
    return value;
}

long FindKey(const IniFile& ini, size_t from, size_t to, const CString& key, CString* value)
{
    for (size_t i = from; i < to; ++i) {
        CString name, val;
        if (Classify(ini, ini.lines[i], name, val) == LineKind::Key && name.CmpNoCase(key) == 0) {
            if (value)
                *value = Unquoted(val);
            return static_cast<long>(i);
        }
    }
    return -1;
}

// The file a path names, through any chain of symbolic links, so that a
// rewrite replaces the link's target and keeps the link. Empty for a loop.
std::string ResolveLinks(std::string path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::vector<char> target(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        const ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<size_t>(length) >= target.size())
            return path;
        const std::string next(target.data(), static_cast<size_t>(length));
        const size_t slash = path.rfind('/');
        path = next[0] == '/' || slash == std::string::npos ? next : path.substr(0, slash + 1) + next;
    }
    return std::string();
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const std::string& data)
{
    for (size_t done = 0; done < data.size();) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Rewrites of the settings files of one folder take turns on a lock of the
// folder, which the kernel drops with its holder however it ends. Whoever
// holds it may take a temporary file found there for one that a writer left
// when it died (a kill, a power cut), and removes it.
class FolderTurn
{
public:
    FolderTurn(const std::string& folder, bool wait)
        : m_fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        int rc = -1;
        while (m_fd >= 0 && (rc = flock(m_fd, LOCK_EX | (wait ? 0 : LOCK_NB))) != 0 && errno == EINTR) {
        }
        if (m_fd >= 0 && rc != 0) {
            close(m_fd);
            m_fd = -1;
        }
    }
    ~FolderTurn()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    FolderTurn(const FolderTurn&) = delete;
    FolderTurn& operator=(const FolderTurn&) = delete;

    // The folder's stale temporaries of `target` gone, when this turn is held.
    void RemoveStaleTemporaries(const std::string& target) const;

private:
    int m_fd;
};

// The name mkostemp gives a temporary file of `base`: base + ".XXXXXX".
bool IsTemporaryOf(const std::string& name, const std::string& base)
{
    if (name.size() != base.size() + 7 || name.compare(0, base.size(), base) != 0 || name[base.size()] != '.')
        return false;
    for (size_t i = base.size() + 1; i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

void FolderTurn::RemoveStaleTemporaries(const std::string& target) const
{
    if (m_fd < 0)
        return;
    const std::string base = target.substr(target.rfind('/') + 1);
    DIR* folder = fdopendir(dup(m_fd));
    if (!folder)
        return;
    while (const dirent* entry = readdir(folder)) {
        struct stat st;
        if (IsTemporaryOf(entry->d_name, base) &&
            fstatat(dirfd(folder), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == geteuid())
            unlinkat(dirfd(folder), entry->d_name, 0);
    }
    closedir(folder);
}

enum class Rewrite { Done, Failed, NotHere };

// Writes a new file beside the target and renames it over the target, so a
// kill or a power cut leaves the old settings or the new ones, never half of
// them. The new file gets the old one's mode and owner; a file made from
// nothing is private to its owner, as it holds the password. NotHere when no
// file can be made in the folder, or the owner cannot be kept. The caller
// holds the folder's turn.
Rewrite ReplaceFile(const std::string& target, const std::string& data, const struct stat* old)
{
    const std::string folder = FolderOf(target);
    std::string temp = target + ".XXXXXX";
    const int fd = mkostemp(&temp[0], O_CLOEXEC);  // created 0600
    if (fd < 0)  // a full disk is no reason to write over the file in place
        return errno == EACCES || errno == EPERM ? Rewrite::NotHere : Rewrite::Failed;
    auto abandon = [&](Rewrite result) {
        close(fd);
        unlink(temp.c_str());
        return result;
    };
    if (old) {
        if ((old->st_uid != geteuid() || old->st_gid != getegid()) && fchown(fd, old->st_uid, old->st_gid) != 0)
            return abandon(Rewrite::NotHere);
        if (fchmod(fd, old->st_mode & 07777) != 0)
            return abandon(Rewrite::Failed);
    }
    if (!WriteAll(fd, data) || fsync(fd) != 0)
        return abandon(Rewrite::Failed);
    if (close(fd) != 0 || rename(temp.c_str(), target.c_str()) != 0) {
        unlink(temp.c_str());
        return Rewrite::Failed;
    }
    // The rename itself reaches the disk with the folder.
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return Rewrite::Done;
}

// For a file whose folder takes no new file, or whose owner only root could
// give a new one: written over in place, as the Windows functions do.
bool OverwriteFile(const std::string& target, const std::string& data)
{
    const int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool ok = WriteAll(fd, data) && ftruncate(fd, static_cast<off_t>(data.size())) == 0 && fsync(fd) == 0;
    return close(fd) == 0 && ok;
}

// A file marked read-only stays as it is, as the Windows functions leave it:
// also for root, whom the file system would let write it.
bool IsReadOnly(const std::string& target, const struct stat& st)
{
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(target.c_str(), W_OK) != 0;
}

// `target` is the file itself, links resolved; the caller holds the folder's turn.
bool Save(const std::string& target, const IniFile& ini)
{
    std::string data = ini.encoding == Encoding::Utf8WithMark ? kByteOrderMark : std::string();
    for (const std::string& line : ini.lines)
        data += line + ini.eol;
    struct stat st;
    const bool exists = stat(target.c_str(), &st) == 0;
    if (exists && (!S_ISREG(st.st_mode) || IsReadOnly(target, st)))
        return false;
    switch (ReplaceFile(target, data, exists ? &st : nullptr)) {
    case Rewrite::Done: return true;
    case Rewrite::Failed: return false;
    case Rewrite::NotHere: break;
    }
    return OverwriteFile(target, data);
}

// The file as it stands for a reader; a temporary that a writer left when it
// died goes, unless a writer is at work.
IniFile Read(const std::string& path)
{
    const std::string target = ResolveLinks(path);
    if (!target.empty())
        FolderTurn(FolderOf(target), false).RemoveStaleTemporaries(target);
    return Load(path);
}

// Reads the file, lets `change` edit it and writes it back in one
// replacement, in the folder's turn; `change` returns false when there is
// nothing to write. FALSE when the file cannot be written.
template <class Change>
BOOL Rewrite(const std::string& path, Change change)
{
    const std::string target = ResolveLinks(path);
    if (target.empty())
        return FALSE;
    const FolderTurn turn(FolderOf(target), true);
    turn.RemoveStaleTemporaries(target);
    IniFile ini = Load(target);
    if (!change(ini))
        return TRUE;
    return Save(target, ini) ? TRUE : FALSE;
}

// Sets key=value in the section, adding the section at the end when missing.
void SetValue(IniFile& ini, const CString& section, const CString& key, const CString& value)
{
    size_t end = 0;
    const long header = FindSection(ini, section, end);
    const long line = header < 0 ? -1 : FindKey(ini, static_cast<size_t>(header) + 1, end, key, nullptr);
    std::string entry = ini.Encode(key) + "=" + ini.Encode(value);
    if (line >= 0) {
        ini.lines[static_cast<size_t>(line)] = entry;
    } else if (header >= 0) {
        // After the section's last non-blank line, keeping the blank line that parts it from the next.
        size_t at = end;
        while (at > static_cast<size_t>(header) + 1 && Trimmed(ini.Decode(ini.lines[at - 1])).empty())
            --at;
        ini.lines.insert(ini.lines.begin() + static_cast<long>(at), entry);
    } else {
        ini.lines.push_back("[" + ini.Encode(section) + "]");
        ini.lines.push_back(entry);
    }
}

DWORD CopyOut(const std::wstring& text, wchar_t* buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    size_t count = text.size() < size - 1 ? text.size() : size - 1;
    text.copy(buffer, count);
    buffer[count] = L'\0';
    return static_cast<DWORD>(count);
}

// The NUL-separated list of names (sections or keys) with its closing double NUL.
DWORD CopyList(const std::vector<CString>& names, wchar_t* buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    if (size == 1) {
        buffer[0] = L'\0';
        return 0;
    }
    size_t pos = 0;
    for (const CString& name : names) {
        std::wstring w = name.ToStdWstring();
        for (wchar_t c : w) {
            if (pos + 2 >= size)
                break;
            buffer[pos++] = c;
        }
        if (pos + 2 >= size)
            break;
        buffer[pos++] = L'\0';
    }
    buffer[pos] = L'\0';
    if (pos + 1 < size)
        buffer[pos + 1] = L'\0';
    return static_cast<DWORD>(pos);
}

}  // namespace

UINT GetPrivateProfileIntW(const wchar_t* section, const wchar_t* key, int defaultValue, const wchar_t* file)
{
    if (!section || !key || !file)
        return static_cast<UINT>(defaultValue);
    IniFile ini = Read(FileName(file));
    size_t end = 0;
    long header = FindSection(ini, section, end);
    CString value;
    if (header < 0 || FindKey(ini, static_cast<size_t>(header) + 1, end, key, &value) < 0)
        return static_cast<UINT>(defaultValue);
    std::wstring w = value.ToStdWstring();
    size_t i = 0;
    // Blanks as the "C" locale has them, whatever locale the program runs in.
    while (i < w.size() && w[i] < 0x80 && std::isspace(static_cast<int>(w[i])))
        ++i;
    bool negative = false;
    if (i < w.size() && (w[i] == L'-' || w[i] == L'+'))
        negative = w[i++] == L'-';
    unsigned long long number = 0;
    for (; i < w.size() && w[i] >= L'0' && w[i] <= L'9'; ++i)
        number = number > 0xFFFFFFFFULL ? number : number * 10 + static_cast<unsigned>(w[i] - L'0');
    UINT result = static_cast<UINT>(number);
    return negative ? 0u - result : result;
}

DWORD GetPrivateProfileStringW(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                               wchar_t* buffer, DWORD size, const wchar_t* file)
{
    if (!buffer || size == 0)
        return 0;
    std::wstring fallback = defaultValue ? defaultValue : L"";
    if (!file)
        return CopyOut(fallback, buffer, size);
    IniFile ini = Read(FileName(file));
    if (!section) {
        std::vector<CString> names;
        for (const std::string& line : ini.lines) {
            CString name, value;
            if (Classify(ini, line, name, value) == LineKind::Section)
                names.push_back(name);
        }
        return CopyList(names, buffer, size);
    }
    size_t end = 0;
    long header = FindSection(ini, section, end);
    if (!key) {
        std::vector<CString> names;
        for (size_t i = header < 0 ? end : static_cast<size_t>(header) + 1; i < end; ++i) {
            CString name, value;
            if (Classify(ini, ini.lines[i], name, value) == LineKind::Key)
                names.push_back(name);
        }
        return CopyList(names, buffer, size);
    }
    CString value;
    if (header < 0 || FindKey(ini, static_cast<size_t>(header) + 1, end, key, &value) < 0)
        return CopyOut(fallback, buffer, size);
    return CopyOut(value.ToStdWstring(), buffer, size);
}

BOOL WritePrivateProfileStringW(const wchar_t* section, const wchar_t* key, const wchar_t* value,
                                const wchar_t* file)
{
    if (!section || !file)
        return FALSE;
    return Rewrite(FileName(file), [&](IniFile& ini) {
        size_t end = 0;
        const long header = FindSection(ini, section, end);
        if (!key) {  // a null key removes the whole section
            if (header >= 0)
                ini.lines.erase(ini.lines.begin() + header, ini.lines.begin() + static_cast<long>(end));
            return header >= 0 || ini.exists;
        }
        if (!value) {  // a null value removes the key
            const long line = header < 0 ? -1 : FindKey(ini, static_cast<size_t>(header) + 1, end, key, nullptr);
            if (line >= 0)
                ini.lines.erase(ini.lines.begin() + line);
            return line >= 0;
        }
        SetValue(ini, section, key, value);
        return true;
    });
}

BOOL WritePrivateProfileValues(const wchar_t* section, const std::vector<std::pair<CString, CString>>& values,
                               const wchar_t* file)
{
    if (!section || !file)
        return FALSE;
    return Rewrite(FileName(file), [&](IniFile& ini) {
        for (const auto& [key, value] : values)
            SetValue(ini, section, key, value);
        return true;
    });
}
