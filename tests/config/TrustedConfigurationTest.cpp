// The rule for which configurations and child paths a privileged process loads children from, over facts a test sets.
#include "config/TrustedConfiguration.h"

#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <ostream>

namespace mq {
namespace {

const std::string FILE_PATH = std::string(1, platform::PATH_SEPARATOR) + "machine" + platform::PATH_SEPARATOR +
                              "Quellan" + platform::PATH_SEPARATOR + "MultiQuellanConfiguration.xml";
const std::string ONE_CHILD = "<settings parallel=\"true\"><quellan path=\"/opt/child.so\" /></settings>";
const std::string NO_CHILD = "<settings parallel=\"true\" />";

using State = platform::AdministeredFile::State;

struct Case {
    const char* name;
    bool privileged;
    // What the checked read of the file found.
    platform::AdministeredFile found;
    ConfigurationFileState state;
    std::size_t children;
    bool refused;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class TrustedConfiguration : public ::testing::TestWithParam<Case> {};

TEST_P(TrustedConfiguration, WeighsTheCheckedReadOfAPrivilegedProcess) {
    const Case& c = GetParam();
    int checkedReads = 0;
    TrustFacts facts{[&] { return c.privileged; },
                     [&](const std::string& path) {
                         EXPECT_EQ(path, FILE_PATH);
                         ++checkedReads;
                         return c.found;
                     }};
    std::string refusal = "left from before";

    const ConfigurationFile file = readTrustedConfiguration(FILE_PATH, refusal, facts);

    // An unprivileged process reads by the path, which does not exist here.
    EXPECT_EQ(checkedReads, c.privileged ? 1 : 0);
    EXPECT_EQ(file.state, c.state);
    EXPECT_EQ(file.settings.children.size(), c.children);
    // A refused file leaves no list and no setting behind (but a log setting, below).
    if (c.refused) {
        EXPECT_TRUE(file.settings.attributes.empty());
        EXPECT_NE(refusal.find(c.found.openToOthers), std::string::npos) << refusal;
    }
    EXPECT_EQ(!refusal.empty(), c.refused) << refusal;
}

INSTANTIATE_TEST_SUITE_P(
    Rule, TrustedConfiguration,
    ::testing::Values(
        Case{"UnprivilegedReadsByPath", false, {State::READ, ONE_CHILD, "/machine"}, ConfigurationFileState::MISSING,
             0, false},
        Case{"PrivilegedTrustsAdministratorsOnly", true, {State::READ, ONE_CHILD, ""}, ConfigurationFileState::READ, 1,
             false},
        Case{"PrivilegedRefusesAChainOpenToOthers", true, {State::READ, ONE_CHILD, "/machine"},
             ConfigurationFileState::READ, 0, true},
        Case{"PrivilegedWithNoChildLoadsNothingAndKeepsItsSettings", true, {State::READ, NO_CHILD, "/machine"},
             ConfigurationFileState::READ, 0, false},
        Case{"MissingFile", true, {State::MISSING, "", "/machine"}, ConfigurationFileState::MISSING, 0, false},
        Case{"UnreadableFile", true, {State::UNREADABLE, "", ""}, ConfigurationFileState::UNREADABLE, 0, false},
        Case{"MalformedFileOpenToOthers", true, {State::READ, "<settings>", "/machine"},
             ConfigurationFileState::MALFORMED, 0, false}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(TrustedConfigurationLog, ARefusedFileKeepsItsLogSettingAlone) {
    TrustFacts facts{[] { return true; },
                     [](const std::string&) {
                         return platform::AdministeredFile{
                             State::READ,
                             "<settings parallel=\"true\" log=\"system\"><quellan path=\"/opt/child.so\" /></settings>",
                             "/machine"};
                     }};
    std::string refusal;
    const ConfigurationFile file = readTrustedConfiguration(FILE_PATH, refusal, facts);
    EXPECT_FALSE(refusal.empty());
    EXPECT_EQ(file.settings, (ConfigurationSettings{{{"log", "system"}}, {}}));
}

struct ChildPathCase {
    const char* name;
    bool privileged;
    std::string path;
    bool refused;
};

void PrintTo(const ChildPathCase& c, std::ostream* out) {
    *out << c.name;
}

class ChildPathRule : public ::testing::TestWithParam<ChildPathCase> {};

TEST_P(ChildPathRule, APrivilegedProcessTakesFullPathsOnly) {
    const ChildPathCase& c = GetParam();
    TrustFacts facts{[&] { return c.privileged; }, nullptr};

    const std::string refusal = childPathRefusal(c.path, facts);

    EXPECT_EQ(!refusal.empty(), c.refused);
    if (c.refused) {
        EXPECT_NE(refusal.find(c.path), std::string::npos) << refusal;
    }
}

const std::string FULL_PATH = platform::absolutePath("Plant.so");

INSTANTIATE_TEST_SUITE_P(
    Rule, ChildPathRule,
    ::testing::Values(ChildPathCase{"PrivilegedRelative", true, "Plugins/Plant.so", true},
                      ChildPathCase{"PrivilegedDotRelative", true, "./Plant.so", true},
                      ChildPathCase{"PrivilegedBareName", true, "Plant.so", true},
                      ChildPathCase{"UnprivilegedRelative", false, "Plugins/Plant.so", false},
                      ChildPathCase{"PrivilegedFull", true, FULL_PATH, false},
                      ChildPathCase{"UnprivilegedFull", false, FULL_PATH, false}),
    [](const ::testing::TestParamInfo<ChildPathCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mq
