// The configuration process end to end: quellan2_updateConfiguration of an
// installed library copy (in a folder with a blank in its name) starts the
// runner beside it with the library's path, the real dialog of the library
// runs there, and what it saves is what the next connection loads. The runner
// here is the real runner's body behind a scripted user (ScriptedRunner.cpp).
#include "config/ConfigurationFileReader.h"
#include "platform/FileSystem.h"
#include "support/Environment.h"
#include "support/LoadedPlugin.h"
#include "support/MachineConfiguration.h"
#include "support/SimChild.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace mq::test {
namespace {

class ConfigurationProcess : public ::testing::Test {
protected:
    ConfigurationProcess() {
        installFolder = scratch.file("Multi Quellan");
        fs::create_directory(installFolder);
        library = installFolder + "/MultiQuellan" MQ_LIBRARY_SUFFIX;
        fs::copy_file(libraryPath("MultiQuellan"), library);
        // The dialog is a module of its own, installed beside the library.
        fs::copy_file(libraryPath("MultiQuellanDialog"), installFolder + "/MultiQuellanDialog" MQ_LIBRARY_SUFFIX);
        fs::copy_file(binaryFolder() + "/quellan-rundll-scripted", installFolder + "/quellan-rundll");
        runnerLog = scratch.file("runner.log");
        setEnvironmentVariable("MQ_TEST_RUNNER_LOG", runnerLog);
        for (const char* name : {"Alpha", "Beta", "Gamma"})
            children.push_back(std::make_unique<SimChild>(
                scratch.path(), name, std::string("identity ") + name + " plant\nnode " + name + "Area\n"));
        machine.writeChildren(childPaths({0, 1, 2}));
        plugin = std::make_unique<LoadedPlugin>(library);
    }

    ~ConfigurationProcess() override {
        setEnvironmentVariable("MQ_TEST_DIALOG_SCRIPT", "");
    }

    std::vector<std::string> childPaths(const std::vector<int>& which) const {
        std::vector<std::string> paths;
        for (int i : which) paths.push_back(children[i]->libraryPath());
        return paths;
    }

    // Asks for configuration as a host does; the scripted user answers.
    void updateConfiguration(const std::string& script) {
        setEnvironmentVariable("MQ_TEST_DIALOG_SCRIPT", script);
        QUELLAN2_STRING newConfiguration = nullptr;
        ASSERT_EQ((*plugin)->updateConfiguration("", &newConfiguration), QUELLAN2_STATUS_OK);
        ASSERT_NE(newConfiguration, nullptr);
        EXPECT_EQ(plugin->take(newConfiguration), "");
    }

    std::vector<std::string> logLines() const {
        std::vector<std::string> lines;
        std::string text = readFile(runnerLog);
        for (std::size_t start = 0; start < text.size();) {
            std::size_t end = text.find('\n', start);
            lines.push_back(text.substr(start, end - start));
            start = end == std::string::npos ? text.size() : end + 1;
        }
        return lines;
    }

    std::string identity() const {
        QUELLAN2_STRING text = nullptr;
        EXPECT_EQ((*plugin)->getIdentity(&text), QUELLAN2_STATUS_OK);
        return plugin->take(text);
    }

    QUELLAN2_CONNECTION open() const {
        QUELLAN2_CONNECTION connection = 0;
        EXPECT_EQ((*plugin)->connectionOpen("", &connection), QUELLAN2_STATUS_OK);
        return connection;
    }

    MachineConfiguration machine;
    ScratchFolder scratch{"ui process"};
    std::string installFolder;
    std::string library;
    std::string runnerLog;
    std::vector<std::unique_ptr<SimChild>> children;
    std::unique_ptr<LoadedPlugin> plugin;
};

TEST_F(ConfigurationProcess, StartsTheRunnerBesideTheLibraryWithItsPathAndWaitsForIt) {
    updateConfiguration("accept");
    auto lines = logLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "argument quellan-rundll");
    EXPECT_EQ(lines[1], "argument " + library + ",UpdateConfiguration");
    EXPECT_EQ(lines[2], "rows Alpha plant|Beta plant|Gamma plant");
    // The call came back only after the process had ended.
    EXPECT_EQ(lines.back(), "exit 0");
}

TEST_F(ConfigurationProcess, OkSavesTheEditedListAndReportsIt) {
    updateConfiguration("select 1;remove;accept");
    EXPECT_EQ(logLines(), (std::vector<std::string>{
                              "argument quellan-rundll",
                              "argument " + library + ",UpdateConfiguration",
                              "rows Alpha plant|Beta plant|Gamma plant",
                              "message " + identity() + "|Configuration saved to " + machine.filePath(),
                              "exit 0",
                          }));
    EXPECT_EQ(readConfigurationFile(machine.filePath()), childPaths({0, 2}));
}

TEST_F(ConfigurationProcess, TheNextConnectionLoadsWhatWasSavedAndAnOpenOneKeepsItsChildren) {
    QUELLAN2_CONNECTION before = open();
    EXPECT_EQ(plugin->topNodeNames(before), (std::vector<std::string>{"AlphaArea", "BetaArea", "GammaArea"}));

    updateConfiguration("select 1;remove;accept");
    ASSERT_EQ(readConfigurationFile(machine.filePath()), childPaths({0, 2}));

    EXPECT_EQ(plugin->topNodeNames(before), (std::vector<std::string>{"AlphaArea", "BetaArea", "GammaArea"}));
    EXPECT_EQ((*plugin)->connectionClose(before), QUELLAN2_STATUS_OK);

    QUELLAN2_CONNECTION after = open();
    EXPECT_EQ(plugin->topNodeNames(after), (std::vector<std::string>{"AlphaArea", "GammaArea"}));
    EXPECT_EQ((*plugin)->connectionClose(after), QUELLAN2_STATUS_OK);
}

TEST_F(ConfigurationProcess, CancelLeavesTheFileByteForByteAndShowsNothing) {
    std::string before = readFile(machine.filePath());
    ASSERT_FALSE(before.empty());
    updateConfiguration("select 0;remove;cancel");
    EXPECT_EQ(readFile(machine.filePath()), before);
    auto lines = logLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "exit 0");
    for (const auto& line : lines) EXPECT_NE(line.rfind("message", 0), 0u) << line;
}

TEST_F(ConfigurationProcess, NullArgumentsStartNothing) {
    QUELLAN2_STRING newConfiguration = nullptr;
    EXPECT_EQ((*plugin)->updateConfiguration(nullptr, &newConfiguration), QUELLAN2_STATUS_INVALID_PARAMETER);
    EXPECT_EQ(newConfiguration, nullptr);
    EXPECT_EQ((*plugin)->updateConfiguration("", nullptr), QUELLAN2_STATUS_INVALID_PARAMETER);
    EXPECT_FALSE(platform::entryExists(runnerLog));
}

TEST_F(ConfigurationProcess, WithoutARunnerTheHostStillGetsAnEmptyConfiguration) {
    fs::remove(installFolder + "/quellan-rundll");
    std::string before = readFile(machine.filePath());
    const char* path = std::getenv("PATH");
    std::string previousPath = path ? path : "";
    setEnvironmentVariable("PATH", scratch.path());
    updateConfiguration("accept");
    setEnvironmentVariable("PATH", previousPath);
    EXPECT_FALSE(platform::entryExists(runnerLog));
    EXPECT_EQ(readFile(machine.filePath()), before);
}

}  // namespace
}  // namespace mq::test
