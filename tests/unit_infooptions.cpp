// --help and --version: answered before the toolkit starts, in the terminal's language.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>
#include "InfoOptions.h"
#include "TestEnvironment.h"
#include "Version.h"

namespace fs = std::filesystem;

namespace {

struct Answer
{
    int code;
    std::string text;
};

Answer Ask(std::initializer_list<const char*> args)
{
    std::vector<const char*> argv{"Quillan2021"};
    argv.insert(argv.end(), args);
    std::ostringstream out;
    const int code = AnswerInfoOption(static_cast<int>(argv.size()), argv.data(), out);
    return {code, out.str()};
}

// Runs the built program in the current folder, without a display, and gives its exit code and output.
Answer RunProgram(const std::string& arguments)
{
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY '" PROGRAM "' " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string text;
    std::array<char, 512> buffer;
    for (size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        text.append(buffer.data(), n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
}

// Every file below the folder with its size and modification time.
std::string Listing(const fs::path& folder)
{
    std::ostringstream list;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        list << entry.path().string() << ' ' << (entry.is_regular_file() ? entry.file_size() : 0) << ' '
             << entry.last_write_time().time_since_epoch().count() << '\n';
    return list.str();
}

}  // namespace

TEST(InfoOptions, VersionAndHelpAnswerAndEnd)
{
    EXPECT_EQ(0, Ask({"--version"}).code);
    EXPECT_EQ(std::string("quillan2021 ") + QUILLAN_VERSION + "\n", Ask({"--version"}).text);

    const Answer help = Ask({"--help"});
    EXPECT_EQ(0, help.code);
    EXPECT_NE(std::string::npos, help.text.find("--version"));
    // Whichever comes first is answered; arguments before it do not matter.
    EXPECT_EQ(Ask({"--version"}).text, Ask({"file.csv", "--version", "--help"}).text);
    EXPECT_EQ(help.text, Ask({"--help", "--version"}).text);
}

TEST(InfoOptions, OtherArgumentsStartTheProgram)
{
    for (auto args : {std::initializer_list<const char*>{}, {"--display=:1"}, {"-h"}, {"--", "--help"},
                      {"--versions"}, {"help"}}) {
        const Answer answer = Ask(args);
        EXPECT_EQ(-1, answer.code);
        EXPECT_EQ("", answer.text);
    }
}

TEST(InfoOptions, TerminalLanguage)
{
    // The program's own default, Chinese, where nothing or C is set.
    EXPECT_FALSE(IsEnglishTerminal(nullptr, nullptr, nullptr));
    EXPECT_FALSE(IsEnglishTerminal("", "", ""));
    EXPECT_FALSE(IsEnglishTerminal(nullptr, nullptr, "C"));
    EXPECT_FALSE(IsEnglishTerminal(nullptr, nullptr, "C.UTF-8"));
    EXPECT_FALSE(IsEnglishTerminal(nullptr, nullptr, "POSIX"));
    EXPECT_FALSE(IsEnglishTerminal(nullptr, nullptr, "zh_CN.UTF-8"));
    EXPECT_FALSE(IsEnglishTerminal(nullptr, nullptr, "zh_TW.UTF-8"));
    EXPECT_TRUE(IsEnglishTerminal(nullptr, nullptr, "en_US.UTF-8"));
    EXPECT_TRUE(IsEnglishTerminal(nullptr, nullptr, "de_DE.UTF-8"));
    // LC_ALL before LC_MESSAGES before LANG; an empty one counts as unset.
    EXPECT_FALSE(IsEnglishTerminal("zh_CN.UTF-8", "en_US.UTF-8", "en_US.UTF-8"));
    EXPECT_TRUE(IsEnglishTerminal("", "en_GB.UTF-8", "zh_CN.UTF-8"));
    EXPECT_TRUE(IsEnglishTerminal(nullptr, "", "en_US.UTF-8"));
}

TEST(InfoOptions, TheProgramAnswersWithoutDisplayOrFiles)
{
    TestEnvironment env;
    const std::string before = Listing(env.Folder());

    Answer version = RunProgram("--version");
    EXPECT_EQ(0, version.code) << version.text;
    EXPECT_EQ(std::string("quillan2021 ") + QUILLAN_VERSION + "\n", version.text);

    Answer help = RunProgram("--help");
    EXPECT_EQ(0, help.code) << help.text;
    EXPECT_EQ(Ask({"--help"}).text, help.text);

    // No settings file, no data source and no database was written or made.
    EXPECT_EQ(before, Listing(env.Folder()));
}
