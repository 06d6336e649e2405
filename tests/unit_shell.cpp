// The stand-ins for the shell and the registry, and the store's version rule.
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include "Shell.h"
#include "StoreLink.h"
#include "TestEnvironment.h"

namespace {

TEST(StoreVersion, ComparesAsTextFromTheLeft)
{
    for (const char* accepted : {"8.7.0.0", "9.0.0.0", "8.7.0.0.1", "8.70"})
        EXPECT_TRUE(IsStoreVersionTextSupported(accepted)) << accepted;
    for (const char* refused : {"8.6.9.9", "10.0.0.0", "8.7", ""})
        EXPECT_FALSE(IsStoreVersionTextSupported(refused)) << refused;
    // This system has no registry, so no store is ever found.
    EXPECT_FALSE(IsStoreVersionSupported());
}

TEST(Shell, TheFirstCalculatorOfTheListThatIsThereIsStarted)
{
    namespace fs = std::filesystem;
    TestEnvironment env;
    const fs::path first = fs::path(env.Folder()) / "a", second = fs::path(env.Folder()) / "b";
    fs::create_directories(first);
    fs::create_directories(second);
    auto program = [](const fs::path& file, bool executable) {
        std::ofstream(file) << "#!/bin/sh\n";
        fs::permissions(file, executable ? fs::perms::owner_all : fs::perms::owner_read);
    };
    const CString path = wxString::FromUTF8(first.string() + ":" + second.string());
    EXPECT_TRUE(FindCalculator(path).empty());

    program(second / "xcalc", true);
    program(first / "kcalc", false);  // not a program: passed over
    EXPECT_EQ(FindCalculator(path), wxString::FromUTF8((second / "xcalc").string()));
    program(second / "galculator", true);
    EXPECT_EQ(FindCalculator(path), wxString::FromUTF8((second / "galculator").string()))
        << "galculator comes before xcalc";
}

}  // namespace
