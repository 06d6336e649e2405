// The Debian package registers the machine's data sources itself, from
// debian/odbc.ini: they must be what the program would register on the
// machine's databases, key for key, or the machine's hotel would open
// differently (another journal, no busy wait) from a hotel of the program's own.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include "DataSources.h"
#include "TestEnvironment.h"

namespace {

using Sections = std::map<std::string, std::map<std::string, std::string>>;

Sections ReadIni(const std::string& path)
{
    Sections sections;
    std::ifstream in(path);
    std::string line, section;
    while (std::getline(in, line)) {
        if (line.empty())
            continue;
        if (line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            sections[section];
            continue;
        }
        const size_t eq = line.find('=');
        EXPECT_NE(std::string::npos, eq) << path << ": " << line;
        auto trim = [](std::string s) {
            s.erase(0, s.find_first_not_of(" \t"));
            s.erase(s.find_last_not_of(" \t") + 1);
            return s;
        };
        sections[section][trim(line.substr(0, eq))] = trim(line.substr(eq + 1));
    }
    return sections;
}

}  // namespace

TEST(PackageDataSources, AreWhatTheProgramRegistersOnTheMachinesDatabases)
{
    TestEnvironment env;
    const std::pair<const char*, const char*> sources[] = {
        {"Hotel", "Hotel record!!"}, {"Register", "Register record!!"}, {"Cashbook", "Cashbook record!!"}};
    for (const auto& [name, description] : sources)
        ASSERT_TRUE(ConfigDataSource(1, wxString::Format("/var/lib/quillan2021/%s.db", name), name, description));

    const Sections program = ReadIni(env.Folder() + "/.odbc.ini");
    const Sections package = ReadIni(PACKAGE_DIR "/odbc.ini");
    ASSERT_EQ(3u, package.size());
    EXPECT_EQ(program, package);
}
