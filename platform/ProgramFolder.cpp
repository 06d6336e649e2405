#include "ProgramFolder.h"

#include <unistd.h>
#include <vector>

namespace {
CString& Override()
{
    static CString folder;
    return folder;
}
}  // namespace

CString GetModuleFileName()
{
    // The path may be longer than any fixed buffer; grow until readlink fits.
    std::vector<char> buffer(256);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return CString();
        if (static_cast<size_t>(n) < buffer.size())
            return CString::FromUTF8(buffer.data(), static_cast<size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

CString GetProgramFolder()
{
    CString folder = Override();
    if (folder.empty()) {
        CString exe = GetModuleFileName();
        int slash = exe.Find('/', true);
        folder = slash == wxNOT_FOUND ? CString("./") : exe.Left(slash + 1);
    }
    if (!folder.EndsWith("/"))
        folder += "/";
    return folder;
}

void OverrideProgramFolder(const CString& folder)
{
    Override() = folder;
}
