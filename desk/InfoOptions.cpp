#include "InfoOptions.h"

#include <cstdlib>
#include <cstring>
#include <ostream>
#include "Version.h"

namespace {

const char kHelpChinese[] =
    "用法：quillan2021 [--help | --version]\n"
    "青禾旅馆：小旅馆的前台（房间、住客登记、退房与账本）。不带选项时打开前台。\n"
    "\n"
    "  --help     显示本帮助并退出\n"
    "  --version  显示版本并退出\n";

const char kHelpEnglish[] =
    "Usage: quillan2021 [--help | --version]\n"
    "青禾旅馆, the front desk of a small hotel (rooms, check-in, check-out and the cash book).\n"
    "With no option it opens the front desk.\n"
    "\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n";

bool IsSet(const char* value)
{
    return value && *value;
}

}  // namespace

bool IsEnglishTerminal(const char* lcAll, const char* lcMessages, const char* lang)
{
    const char* locale = IsSet(lcAll) ? lcAll : IsSet(lcMessages) ? lcMessages : lang;
    if (!IsSet(locale) || std::strcmp(locale, "C") == 0 || std::strncmp(locale, "C.", 2) == 0 ||
        std::strcmp(locale, "POSIX") == 0)
        return false;
    return std::strncmp(locale, "zh", 2) != 0;
}

int AnswerInfoOption(int argc, const char* const* argv, std::ostream& out)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            break;
        if (std::strcmp(argv[i], "--version") == 0) {
            out << "quillan2021 " << QUILLAN_VERSION << "\n";
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            const bool english =
                IsEnglishTerminal(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
            out << (english ? kHelpEnglish : kHelpChinese);
            return 0;
        }
    }
    return -1;
}
