#include "CRegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CRegularFile::CRegularFile(const std::string& name)
{
    // Not blocking: opening a FIFO for reading would wait for a writer.
    const int fd = open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st;
    const bool known = fstat(fd, &st) == 0;
    if (!known || !S_ISREG(st.st_mode)) {
        m_state = known ? notRegular : cannotOpen;
        close(fd);
        return;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_size = std::uint64_t(st.st_size);
    m_buffer = std::make_unique<__gnu_cxx::stdio_filebuf<char>>(fd, std::ios::in | std::ios::binary, 64 * 1024);
    m_stream.rdbuf(m_buffer.get());
    m_state = opened;
}
