// A file opened for reading only when it is a regular file. A FIFO would hold
// the reading until some other program writes to it, and a device such as
// /dev/zero never ends: both, and folders, are refused at once instead.
#pragma once

#include <cstdint>
#include <ext/stdio_filebuf.h>
#include <istream>
#include <memory>
#include <string>

class CRegularFile
{
public:
    enum State { opened, cannotOpen, notRegular };

    // Opens `name`, a file-system name.
    explicit CRegularFile(const std::string& name);
    CRegularFile(const CRegularFile&) = delete;
    CRegularFile& operator=(const CRegularFile&) = delete;

    State GetState() const { return m_state; }
    bool IsOpen() const { return m_state == opened; }
    // The file's bytes from its start; an empty stream unless opened.
    std::istream& Stream() { return m_stream; }
    std::uint64_t Size() const { return m_size; }

private:
    State m_state = cannotOpen;
    std::uint64_t m_size = 0;
    std::unique_ptr<__gnu_cxx::stdio_filebuf<char>> m_buffer;  // owns the file
    std::istream m_stream{nullptr};
};
