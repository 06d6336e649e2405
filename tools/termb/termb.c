/* A stand-in ID-card reader with the vendor library's four entry points.
 *
 * The "reader" answers on one port: QUILLAN_CARD_PORT, or 1001 (the first USB
 * port) when that is not set. The "card" is the folder named by
 * QUILLAN_CARD_DIR: while it holds a wz.txt a card lies on the reader. Each
 * card is read once; writing a different wz.txt, or removing it and putting it
 * back, presents a new one. A read copies wz.txt and zp.bmp into the folder
 * this library was loaded from, which is the program's folder. */
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#define CARD_BYTES 256

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

static size_t ReadSmall(const char* path, unsigned char* buf, size_t size)
{
    FILE* f = fopen(path, "rb");
    size_t n;
    if (!f)
        return 0;
    n = fread(buf, 1, size, f);
    fclose(f);
    return n;
}

static int CopyFile(const char* from, const char* to)
{
    FILE* in = fopen(from, "rb");
    FILE* out;
    char buf[8192];
    size_t n;
    int ok = 1;
    if (!in)
        return 0;
    out = fopen(to, "wb");
    if (!out) {
        fclose(in);
        return 0;
    }
    while ((n = fread(buf, 1, sizeof buf, in)) > 0)
        if (fwrite(buf, 1, n, out) != n)
            ok = 0;
    if (ferror(in))
        ok = 0;
    fclose(in);
    if (fclose(out) != 0)
        ok = 0;
    return ok;
}

/* The folder holding this library, with a trailing slash. */
static int OwnFolder(char* out, size_t size)
{
    Dl_info info;
    const char* slash;
    size_t len;
    if (!dladdr((void*)&OwnFolder, &info) || !info.dli_fname)
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
    return n != g_servedSize || memcmp(text, g_servedText, n) != 0 ||
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
    struct stat st;
    if (!g_open || !NewCardPresent() || !OwnFolder(folder, sizeof folder))
        return 0;
    if (!CardPath("wz.txt", from, sizeof from) || stat(from, &st) != 0)
        return 0;
    if (snprintf(to, sizeof to, "%swz.txt", folder) >= (int)sizeof to || !CopyFile(from, to))
        return 0;
    /* A card without a photo file still reads; the program then draws nothing. */
    if (snprintf(to, sizeof to, "%szp.bmp", folder) < (int)sizeof to) {
        /* No photo of an earlier card may stay behind for this one. */
        if (!CardPath("zp.bmp", from, sizeof from) || !CopyFile(from, to))
            remove(to);
    }
    if (!CardPath("wz.txt", from, sizeof from))
        return 0;
    g_servedSize = ReadSmall(from, g_servedText, sizeof g_servedText);
    g_servedTime = st.st_mtim;
    g_served = 1;
    (void)active;
    return 1;
}
