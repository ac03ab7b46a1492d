// The settings a configuration file carries: why a file gave none, attributes kept and written back, call options.
#include "config/CallOptions.h"
#include "config/ConfigurationFileReader.h"
#include "config/ConfigurationFileWriter.h"
#include "platform/FileSystem.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>

namespace mq {
namespace {

using namespace std::chrono_literals;

class ConfigurationSettingsFile : public ::testing::Test {
protected:
    test::ScratchFolder scratch{"settings"};
    std::string file = scratch.file("MultiQuellanConfiguration.xml");
};

struct StateCase {
    const char* name;
    // Null: no file at all; "/": a folder in its place.
    const char* text;
    ConfigurationFileState state;
    std::size_t children;
};

class FileState : public ConfigurationSettingsFile, public ::testing::WithParamInterface<StateCase> {};

TEST_P(FileState, SaysWhyAFileGaveNoChildren) {
    const StateCase& c = GetParam();
    if (c.text && std::string(c.text) == "/") {
        std::filesystem::create_directory(file);
    } else if (c.text) {
        test::writeFile(file, c.text);
    }
    ConfigurationFile read = readConfigurationSettings(file);
    EXPECT_EQ(read.state, c.state) << describe(read.state);
    EXPECT_EQ(read.settings.children.size(), c.children);
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileState,
    ::testing::Values(StateCase{"Missing", nullptr, ConfigurationFileState::MISSING, 0},
                      StateCase{"Folder", "/", ConfigurationFileState::UNREADABLE, 0},
                      StateCase{"Empty", "", ConfigurationFileState::EMPTY, 0},
                      StateCase{"Blank", " \r\n\t", ConfigurationFileState::EMPTY, 0},
                      StateCase{"Truncated", "<settings><quellan path=\"a\"", ConfigurationFileState::MALFORMED, 0},
                      StateCase{"TooDeep", "<a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a>"
                                           "<a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a>"
                                           "<a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a>",
                                ConfigurationFileState::MALFORMED, 0},
                      StateCase{"OtherRoot", "<config><quellan path=\"a\"/></config>",
                                ConfigurationFileState::NO_SETTINGS, 0},
                      StateCase{"NoChildren", "<settings />", ConfigurationFileState::READ, 0},
                      StateCase{"TwoChildren", "<settings><quellan path=\"a\"/><quellan path=\"b\"/></settings>",
                                ConfigurationFileState::READ, 2}),
    [](const ::testing::TestParamInfo<StateCase>& info) { return std::string(info.param.name); });

TEST_F(ConfigurationSettingsFile, SaysWhatIsWrongWithAMalformedFileAndWhere) {
    test::writeFile(file, "<settings>\n  <quellan path=\"a\"/>\n  <quellan path=b/>\n</settings>\n");
    EXPECT_EQ(readConfigurationSettings(file).problem, "expected ' or \" at line 3, column 17");

    // One element left open: the parser finds out at the end.
    test::writeFile(file, "<settings>\n  <quellan path=\"a\">\n  <quellan path=\"b\"/>\n</settings>\n");
    EXPECT_EQ(readConfigurationSettings(file).problem, "unexpected end of data at line 5, column 1");

    test::writeFile(file, "<settings><quellan path=\"a\"/></settings>");
    EXPECT_EQ(readConfigurationSettings(file).problem, "");
}

TEST_F(ConfigurationSettingsFile, KeepsEveryAttributeInFileOrderAndWritesItBack) {
    test::writeFile(file,
                    "<settings parallel=\"true\" site=\"North &amp; South\" log=\"system\">\n"
                    "  <quellan timeout=\"10\" path=\"C:\\a.dll\" note=\"x\"/>\n"
                    "  <quellan path=\"b.so\"/>\n"
                    "</settings>\n");
    const ConfigurationSettings expected{
        {{"parallel", "true"}, {"site", "North & South"}, {"log", "system"}},
        {ChildEntry{"C:\\a.dll", {{"timeout", "10"}, {"note", "x"}}}, ChildEntry{"b.so", {}}}};

    ConfigurationFile read = readConfigurationSettings(file);
    ASSERT_EQ(read.state, ConfigurationFileState::READ);
    EXPECT_EQ(read.settings, expected);

    ASSERT_TRUE(writeConfigurationFile(file, read.settings));
    EXPECT_EQ(test::readFile(file), std::string("<?xml version=\"1.0\" ?>") + platform::LINE_END +
                                        "<settings parallel=\"true\" site=\"North &amp; South\" log=\"system\">" +
                                        platform::LINE_END + "    <quellan path=\"C:\\a.dll\" timeout=\"10\" note=\"x\" />" +
                                        platform::LINE_END + "    <quellan path=\"b.so\" />" + platform::LINE_END +
                                        "</settings>" + platform::LINE_END);
    EXPECT_EQ(readConfigurationSettings(file).settings, expected);
}

TEST_F(ConfigurationSettingsFile, KeepsTheStatusAttributeThroughAReadAndAWrite) {
    test::writeFile(file, "<settings status=\"true\" parallel=\"true\"><quellan path=\"a.so\"/></settings>");
    ConfigurationFile read = readConfigurationSettings(file);
    ASSERT_TRUE(statusNode(read.settings));
    ASSERT_TRUE(writeConfigurationFile(file, read.settings));
    EXPECT_NE(test::readFile(file).find("<settings status=\"true\" parallel=\"true\">"), std::string::npos);
    EXPECT_TRUE(statusNode(readConfigurationSettings(file).settings));
}

TEST_F(ConfigurationSettingsFile, WritesSettingsAttributesOnAnEmptyList) {
    ASSERT_TRUE(writeConfigurationFile(file, ConfigurationSettings{{{"parallel", "false"}}, {}}));
    EXPECT_EQ(test::readFile(file), std::string("<?xml version=\"1.0\" ?>") + platform::LINE_END +
                                        "<settings parallel=\"false\" />" + platform::LINE_END);
}

TEST_F(ConfigurationSettingsFile, RefusesAttributesAFileCannotCarryAndKeepsTheOldFile) {
    test::writeFile(file, "old");
    for (const ConfigurationSettings& settings :
         {ConfigurationSettings{{{"", "x"}}, {}}, ConfigurationSettings{{{"a b", "x"}}, {}},
          ConfigurationSettings{{{"1st", "x"}}, {}}, ConfigurationSettings{{{"ok", std::string("a\0b", 3)}}, {}},
          ConfigurationSettings{{}, {ChildEntry{"a", {{"path", "second path"}}}}},
          ConfigurationSettings{{}, {ChildEntry{"a", {{"x=\"y\"", "z"}}}}}}) {
        EXPECT_FALSE(writeConfigurationFile(file, settings));
        EXPECT_EQ(test::readFile(file), "old");
    }
}

struct TimeoutCase {
    const char* value;
    std::optional<std::chrono::nanoseconds> timeout;
    bool malformed;
};

class TimeoutAttribute : public ::testing::TestWithParam<TimeoutCase> {};

TEST_P(TimeoutAttribute, GivesTheDeadlineOrWaitsForEverAndSaysWhy) {
    const TimeoutCase& c = GetParam();
    ChildEntry child{"a", {}};
    if (c.value) child.attributes.push_back({TIMEOUT_ATTRIBUTE, c.value});
    std::string problem;
    EXPECT_EQ(callTimeout(child, &problem), c.timeout);
    EXPECT_EQ(!problem.empty(), c.malformed) << problem;
}

INSTANTIATE_TEST_SUITE_P(
    Values, TimeoutAttribute,
    ::testing::Values(TimeoutCase{nullptr, std::nullopt, false}, TimeoutCase{"0", std::nullopt, false},
                      TimeoutCase{"0.000", std::nullopt, false}, TimeoutCase{"10", 10s, false},
                      TimeoutCase{"0.2", 200ms, false}, TimeoutCase{".5", 500ms, false},
                      TimeoutCase{"1.0000000019", 1000000001ns, false},
                      TimeoutCase{"999999999", std::chrono::nanoseconds(999999999000000000), false},
                      TimeoutCase{"1000000000", std::nullopt, true}, TimeoutCase{"-1", std::nullopt, true},
                      TimeoutCase{"abc", std::nullopt, true}, TimeoutCase{"1e3", std::nullopt, true},
                      TimeoutCase{"", std::nullopt, true}, TimeoutCase{"1.", std::nullopt, true},
                      TimeoutCase{" 10", std::nullopt, true}, TimeoutCase{"1,5", std::nullopt, true}));

struct ParallelCase {
    const char* value;
    bool parallel;
    bool malformed;
};

class ParallelAttribute : public ::testing::TestWithParam<ParallelCase> {};

// The settings that are on or off, by their readers: one rule for all.
using SwitchReader = bool (*)(const ConfigurationSettings&, std::string*);
const std::pair<const char*, SwitchReader> SWITCHES[] = {{PARALLEL_ATTRIBUTE, parallelCalls},
                                                         {STATUS_ATTRIBUTE, statusNode}};

TEST_P(ParallelAttribute, IsOnForTrueOnlyAndSaysWhyAnOddValueIsIgnored) {
    const ParallelCase& c = GetParam();
    for (const auto& [name, reader] : SWITCHES) {
        ConfigurationSettings settings;
        if (c.value) settings.attributes.push_back({name, c.value});
        std::string problem;
        EXPECT_EQ(reader(settings, &problem), c.parallel) << name;
        EXPECT_EQ(!problem.empty(), c.malformed) << problem;
    }
}

INSTANTIATE_TEST_SUITE_P(Values, ParallelAttribute,
                         ::testing::Values(ParallelCase{nullptr, false, false}, ParallelCase{"true", true, false},
                                           ParallelCase{"false", false, false}, ParallelCase{"maybe", false, true},
                                           ParallelCase{"TRUE", false, true}, ParallelCase{"", false, true}));

struct RestartCase {
    const char* restart;
    const char* isolation;
    bool restarts;
    // Words of the reason the attribute is ignored; none when it is not.
    const char* problem;
};

class RestartAttribute : public ::testing::TestWithParam<RestartCase> {};

TEST_P(RestartAttribute, RestartsIsolatedChildrenOnlyAndSaysWhyNotOthers) {
    const RestartCase& c = GetParam();
    ChildEntry child{"a", {}};
    if (c.isolation) child.attributes.push_back({ISOLATION_ATTRIBUTE, c.isolation});
    if (c.restart) child.attributes.push_back({RESTART_ATTRIBUTE, c.restart});
    std::string problem;
    EXPECT_EQ(childRestarts(child, &problem), c.restarts);
    if (c.problem)
        EXPECT_NE(std::string::npos, problem.find(c.problem)) << problem;
    else
        EXPECT_EQ("", problem);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RestartAttribute,
    ::testing::Values(RestartCase{nullptr, "process", false, nullptr}, RestartCase{"true", "process", true, nullptr},
                      RestartCase{"false", "process", false, nullptr},
                      RestartCase{"yes", "process", false, "restart=\"yes\" is neither"},
                      RestartCase{"true", nullptr, false, "restart applies to isolated children only"},
                      RestartCase{"true", "none", false, "restart applies to isolated children only"},
                      RestartCase{"false", nullptr, false, nullptr}));

TEST_F(ConfigurationSettingsFile, KeepsRestartBesideIsolationWhenRewritten) {
    const ConfigurationSettings settings{
        {}, {ChildEntry{"C:\\a.dll", {{ISOLATION_ATTRIBUTE, "process"}, {RESTART_ATTRIBUTE, "true"}}}}};
    ASSERT_TRUE(writeConfigurationFile(file, settings));
    EXPECT_EQ(settings, readConfigurationSettings(file).settings);
}

struct LogCase {
    const char* value;
    FaultLogTarget target;
    bool malformed;
};

class LogAttribute : public ::testing::TestWithParam<LogCase> {};

TEST_P(LogAttribute, NamesTheSystemLogOrAnAbsoluteFileAndRefusesAnythingElse) {
    const LogCase& c = GetParam();
    ConfigurationSettings settings;
    if (c.value) settings.attributes.push_back({LOG_ATTRIBUTE, c.value});
    std::string problem;
    EXPECT_EQ(faultLogTarget(settings, &problem), c.target);
    EXPECT_EQ(!problem.empty(), c.malformed) << problem;
}

const std::string ABSOLUTE_LOG = std::filesystem::absolute("faults.log").string();

INSTANTIATE_TEST_SUITE_P(Values, LogAttribute,
                         ::testing::Values(LogCase{nullptr, {}, false}, LogCase{"system", {true, ""}, false},
                                           LogCase{ABSOLUTE_LOG.c_str(), {true, ABSOLUTE_LOG}, false},
                                           LogCase{"faults.log", {}, true}, LogCase{"logs/faults.log", {}, true},
                                           LogCase{"System", {}, true}, LogCase{"", {}, true}));

}  // namespace
}  // namespace mq
