#include "StoreLink.h"

#include <cstdio>
#include "CodePage.h"
#include "Registry.h"

namespace {

const char* const kReferenceVersion = "8.7.0.0";

void WriteLine(const char* utf8)
{
    const std::string gbk = ToCodePage(wxString::FromUTF8(utf8), CP_ACP);
    std::fwrite(gbk.data(), 1, gbk.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace

BOOL IsStoreVersionTextSupported(const CString& installed)
{
    return installed.compare(kReferenceVersion) >= 0 ? TRUE : FALSE;
}

BOOL IsStoreVersionSupported()
{
    CString installed;
    if (!ReadRegistryText(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\LenovoAppStore_is1",
                          L"DisplayVersion", installed))
        return FALSE;
    const BOOL supported = IsStoreVersionTextSupported(installed);
    WriteLine(supported ? "商店版本大于8.7" : "商店版本小于8.7");
    return supported;
}

CString StoreLaunchLink()
{
    return "appstore://launch?devAppId=5820417396025183&command="
           "Rb7uWq2NkZ_eLm4PxT9aHc3VgY8sJd1QfE6oKn0IrU5tMv_wBz2CyXl7Gh4SjAp9";
}

CString StoreTooOldMessage(int language)
{
    return language == 2 ? wxString("Lenove store version less 8.7,can't open store.")
                         : wxString::FromUTF8("联想商店版本小于8.7，不能打开商店。");
}
