// The rule for which configurations a privileged process loads children from, over facts a test sets.
#include "config/TrustedConfiguration.h"

#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>

namespace mq {
namespace {

const std::string FOLDER = std::string("machine") + platform::PATH_SEPARATOR + "Quellan";
const std::string FILE_PATH = FOLDER + platform::PATH_SEPARATOR + "MultiQuellanConfiguration.xml";

platform::EntryOwnership administrators() {
    return {true, false};
}

struct Case {
    const char* name;
    bool privileged;
    std::vector<std::string> childPaths;
    // Entries missing here cannot be looked at.
    std::map<std::string, platform::EntryOwnership> entries;
    bool trusted;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

const std::vector<std::string> ONE_CHILD = {"child"};

class TrustedConfiguration : public ::testing::TestWithParam<Case> {};

TEST_P(TrustedConfiguration, FollowsTheOwnershipOfTheFileAndItsFolder) {
    const Case& c = GetParam();
    std::vector<std::string> asked;
    TrustFacts facts{[&] { return c.privileged; },
                     [&](const std::string& path, platform::EntryOwnership& ownership) {
                         asked.push_back(path);
                         auto found = c.entries.find(path);
                         if (found == c.entries.end()) return false;
                         ownership = found->second;
                         return true;
                     }};

    EXPECT_EQ(isTrustedConfiguration(ConfigurationRecord{FILE_PATH, ConfigurationFileState::READ, settingsWithChildren(c.childPaths)}, facts), c.trusted);

    // Only the file and its own folder are looked at, never the folders above.
    for (const std::string& path : asked) EXPECT_TRUE(path == FILE_PATH || path == FOLDER) << path;
}

INSTANTIATE_TEST_SUITE_P(
    Rule, TrustedConfiguration,
    ::testing::Values(
        Case{"UnprivilegedTrustsAnyone", false, ONE_CHILD, {{FILE_PATH, {false, true}}, {FOLDER, {false, true}}}, true},
        Case{"PrivilegedTrustsAdministratorsOnly", true, ONE_CHILD,
             {{FILE_PATH, administrators()}, {FOLDER, administrators()}}, true},
        Case{"PrivilegedWithNoChildLoadsNothing", true, {}, {}, true},
        Case{"FileOwnedByAUser", true, ONE_CHILD, {{FILE_PATH, {false, false}}, {FOLDER, administrators()}}, false},
        Case{"FileWritableByOthers", true, ONE_CHILD, {{FILE_PATH, {true, true}}, {FOLDER, administrators()}}, false},
        Case{"FolderOwnedByAUser", true, ONE_CHILD, {{FILE_PATH, administrators()}, {FOLDER, {false, false}}}, false},
        Case{"FolderWritableByOthers", true, ONE_CHILD, {{FILE_PATH, administrators()}, {FOLDER, {true, true}}},
             false},
        Case{"FileThatCannotBeLookedAt", true, ONE_CHILD, {{FOLDER, administrators()}}, false},
        Case{"FolderThatCannotBeLookedAt", true, ONE_CHILD, {{FILE_PATH, administrators()}}, false}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mq
