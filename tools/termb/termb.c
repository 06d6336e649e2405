/* A stand-in ID-card reader with the vendor library's four entry points.
 *
 * The "reader" answers on one port: QUILLAN_CARD_PORT, or 1001 (the first USB
 * port) when that is not set. The "card" is the folder named by
 * QUILLAN_CARD_DIR: while it holds a wz.txt a card lies on the reader. Each
 * card is read once; writing a different wz.txt, or removing it and putting it
 * back, presents a new one. A read copies wz.txt and zp.bmp into the folder
 * this library was loaded from, which is the program's folder, or into the
 * current directory where the clerk cannot write that folder. */
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#define CARD_BYTES 256
/* A card's photo is a small bitmap (102 x 126 pixels, some 38 KB). */
#define PHOTO_BYTES_MAX (1024 * 1024)

static int g_open = 0;
static int g_served = 0; /* the card lying there has been read */
static struct timespec g_servedTime;
static unsigned char g_servedText[CARD_BYTES];
static size_t g_servedSize = 0;

static int WantedPort(void)
{
    const char* p = getenv("QUILLAN_CARD_PORT");
    return p && *p ? atoi(p) : 1001;
}

static int CardPath(const char* name, char* out, size_t size)
{
    const char* dir = getenv("QUILLAN_CARD_DIR");
    if (!dir || !*dir)
        return 0;
    return snprintf(out, size, "%s/%s", dir, name) < (int)size;
}

/* Opens a card file for reading, only when it is a regular file of at most
 * `limit` bytes: a pipe, a device or a link to one in the card folder must
 * neither make the reader wait nor copy without end. -1 when it is not. */
static int OpenCardFile(const char* path, size_t limit, size_t* size)
{
    struct stat st;
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (unsigned long long)st.st_size > limit) {
        close(fd);
        return -1;
    }
    *size = (size_t)st.st_size;
    return fd;
}

/* Reads up to `size` bytes; the number read, or -1. */
static ssize_t ReadAll(int fd, unsigned char* buf, size_t size)
{
    size_t got = 0;
    while (got < size) {
        ssize_t n = read(fd, buf + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += (size_t)n;
    }
    return (ssize_t)got;
}

/* The bytes of a card file of at most `size` bytes; (size_t)-1 when it is none. */
static size_t ReadSmall(const char* path, unsigned char* buf, size_t size)
{
    size_t length;
    ssize_t n;
    int fd = OpenCardFile(path, size, &length);
    if (fd < 0)
        return (size_t)-1;
    n = ReadAll(fd, buf, size);
    close(fd);
    return n < 0 ? (size_t)-1 : (size_t)n;
}

static int WriteAll(int fd, const unsigned char* buf, size_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, buf, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return 0;
        buf += n;
        size -= (size_t)n;
    }
    return 1;
}

/* Writes a card file: beside its place, readable by the owner only (a card
 * holds a guest's identity), and renamed over it when whole, so that the
 * program never reads half a card and a link lying at that place is
 * replaced, not followed. */
static int WriteCardFile(const char* to, const unsigned char* bytes, size_t size)
{
    char temp[4096];
    int ok, out;
    if (snprintf(temp, sizeof temp, "%s.XXXXXX", to) >= (int)sizeof temp)
        return 0;
    out = mkstemp(temp);
    if (out < 0)
        return 0;
    ok = fchmod(out, 0600) == 0 && WriteAll(out, bytes, size);
    ok = close(out) == 0 && ok;
    if (ok && rename(temp, to) == 0)
        return 1;
    unlink(temp);
    return 0;
}

/* Copies a card file of at most `limit` bytes. */
static int CopyFile(const char* from, const char* to, size_t limit)
{
    unsigned char* bytes;
    size_t size;
    ssize_t n;
    int ok, in = OpenCardFile(from, limit, &size);
    if (in < 0)
        return 0;
    bytes = malloc(size ? size : 1);
    n = bytes ? ReadAll(in, bytes, size) : -1;
    close(in);
    ok = n >= 0 && WriteCardFile(to, bytes, (size_t)n);
    free(bytes);
    return ok;
}

/* The folder holding this library, with a trailing slash. */
static int LibraryFolder(char* out, size_t size)
{
    Dl_info info;
    const char* slash;
    size_t len;
    if (!dladdr((void*)&LibraryFolder, &info) || !info.dli_fname)
        return 0;
    slash = strrchr(info.dli_fname, '/');
    if (!slash) {
        if (size < 3)
            return 0;
        strcpy(out, "./");
        return 1;
    }
    len = (size_t)(slash - info.dli_fname) + 1;
    if (len + 1 > size)
        return 0;
    memcpy(out, info.dli_fname, len);
    out[len] = 0;
    return 1;
}

/* Where a read leaves the card's files: the library's own folder, as the
 * program expects them beside itself, or the current directory where that
 * folder is the machine's and not the clerk's to write (an install under /usr). */
static int OutputFolder(char* out, size_t size)
{
    if (!LibraryFolder(out, size))
        return 0;
    if (access(out, W_OK) == 0)
        return 1;
    if (!getcwd(out, size - 1))
        return 0;
    strcat(out, "/");
    return 1;
}

/* Is a card there that has not been read yet? */
static int NewCardPresent(void)
{
    char path[4096];
    struct stat st;
    unsigned char text[CARD_BYTES];
    size_t n;
    if (!CardPath("wz.txt", path, sizeof path) || stat(path, &st) != 0) {
        g_served = 0; /* the card was taken off */
        return 0;
    }
    if (!g_served)
        return 1;
    n = ReadSmall(path, text, sizeof text);
    return n == (size_t)-1 || n != g_servedSize || memcmp(text, g_servedText, n) != 0 ||
           st.st_mtim.tv_sec != g_servedTime.tv_sec || st.st_mtim.tv_nsec != g_servedTime.tv_nsec;
}

int CVR_InitComm(int port)
{
    if (port != WantedPort())
        return 2; /* no reader there */
    g_open = 1;
    return 1;
}

int CVR_CloseComm(void)
{
    g_open = 0;
    return 1;
}

int CVR_Authenticate(void)
{
    if (!g_open)
        return 0;
    return NewCardPresent() ? 1 : 0;
}

int CVR_Read_Content(int active)
{
    char from[4096], to[4096], folder[4096];
    unsigned char text[CARD_BYTES];
    size_t n;
    struct stat st;
    if (!g_open || !NewCardPresent() || !OutputFolder(folder, sizeof folder))
        return 0;
    if (!CardPath("wz.txt", from, sizeof from) || stat(from, &st) != 0)
        return 0;
    n = ReadSmall(from, text, sizeof text);
    if (n == (size_t)-1 || snprintf(to, sizeof to, "%swz.txt", folder) >= (int)sizeof to ||
        !WriteCardFile(to, text, n))
        return 0;
    /* A card without a photo file still reads; the program then draws nothing. */
    if (snprintf(to, sizeof to, "%szp.bmp", folder) < (int)sizeof to) {
        /* No photo of an earlier card may stay behind for this one. */
        if (!CardPath("zp.bmp", from, sizeof from) || !CopyFile(from, to, PHOTO_BYTES_MAX))
            remove(to);
    }
    memcpy(g_servedText, text, n);
    g_servedSize = n;
    g_servedTime = st.st_mtim;
    g_served = 1;
    (void)active;
    return 1;
}
