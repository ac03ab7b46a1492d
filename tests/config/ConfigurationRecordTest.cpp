// Loading the configuration record from the machine's configuration file.
#include "config/ConfigurationRecord.h"

#include "config/ConfigurationFileWriter.h"
#include "config/DataFolder.h"
#include "config/ModulePrefix.h"

#include "OpenToEveryone.h"
#include "platform/FileOwnership.h"
#include "platform/FileSystem.h"
#include "support/MachineConfiguration.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace mq {
namespace {

using Paths = std::vector<std::string>;

class LoadConfiguration : public ::testing::Test {
protected:
    test::MachineConfiguration machine;
    std::string folder = machine.commonFolder() + platform::PATH_SEPARATOR + "Kalmeno" +
                         platform::PATH_SEPARATOR + "Quellan";
    std::string file = folder + platform::PATH_SEPARATOR + "MultiQuellanConfiguration.xml";
};

TEST_F(LoadConfiguration, SetsTheModulePrefixAndThePathOfTheFile) {
    ConfigurationRecord record;

    loadConfiguration(record);

    EXPECT_STREQ(modulePrefix(), "MultiQuellan");
    EXPECT_EQ(record.configurationPath, file);
}

TEST_F(LoadConfiguration, ReadsTheChildrenInFileOrderWithDuplicates) {
    ASSERT_TRUE(fs::is_directory(dataFolder()));
    test::writeFile(file,
                    "<?xml version=\"1.0\" ?>\n<settings>\n"
                    "    <quellan path=\"first\" />\n    <quellan path=\"second\" />\n"
                    "    <quellan path=\"third\" />\n    <quellan path=\"first\" />\n</settings>\n");
    ConfigurationRecord record;

    loadConfiguration(record);

    EXPECT_EQ(childPaths(record.settings), (Paths{"first", "second", "third", "first"}));
}

TEST_F(LoadConfiguration, GivesNoChildrenWithoutAFileAndCreatesTheFolder) {
    fs::remove_all(folder);
    ConfigurationRecord record;

    loadConfiguration(record);

    EXPECT_EQ(record.configurationPath, file);
    EXPECT_TRUE(record.settings.children.empty());
    EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(LoadConfiguration, StartsFromAnEmptyRecord) {
    fs::remove(file);
    ConfigurationRecord record{"stale path", ConfigurationFileState::READ, settingsWithChildren({"stale child"}),
                               "stale refusal"};

    loadConfiguration(record);

    EXPECT_EQ(record.configurationPath, file);
    EXPECT_TRUE(record.settings.children.empty());
    EXPECT_TRUE(record.refusal.empty());
}

TEST_F(LoadConfiguration, ReadsWhatWasSavedToTheRecordsPath) {
    ConfigurationRecord saving;
    loadConfiguration(saving);
    const Paths children = {"C:\\Program Files\\Sim & Co\\<One>.dll", "/opt/\"two\".so", ""};

    ASSERT_TRUE(writeConfigurationFile(saving.configurationPath, children));
    ConfigurationRecord loaded;
    loadConfiguration(loaded);

    EXPECT_EQ(childPaths(loaded.settings), children);
}

TEST_F(LoadConfiguration, GivesNoChildrenAndNoSaveWhenAFileStandsInPlaceOfTheFolder) {
    fs::create_directories(folder);
    fs::remove_all(folder);
    test::writeFile(folder, "in the way");
    ASSERT_TRUE(fs::is_regular_file(folder));
    ConfigurationRecord record;

    loadConfiguration(record);

    EXPECT_EQ(record.configurationPath, file);
    EXPECT_TRUE(record.settings.children.empty());
    EXPECT_FALSE(writeConfigurationFile(record.configurationPath, {"x"}));
    EXPECT_EQ(test::readFile(folder), "in the way");
    fs::remove(folder);
}

// The dialog loads no child into its process: it edits the file as it is, so
// that saving keeps the children a privileged host would refuse to load.
TEST_F(LoadConfiguration, APrivilegedProcessRefusesAFileOthersMayChangeAndEditsItAsItIs) {
    if (!platform::isPrivilegedProcess()) GTEST_SKIP() << "an unprivileged process trusts any configuration";
    ASSERT_TRUE(writeConfigurationFile(file, Paths{"/opt/first.so"}));
    test::OpenToEveryone open(folder);
    ASSERT_TRUE(open.opened());

    ConfigurationRecord loading;
    loadConfiguration(loading);
    ConfigurationRecord editing;
    loadConfiguration(editing, ConfigurationUse::EDIT);

    EXPECT_TRUE(loading.settings.children.empty());
    EXPECT_NE(loading.refusal.find(file), std::string::npos) << loading.refusal;
    EXPECT_EQ(childPaths(editing.settings), Paths{"/opt/first.so"});
    EXPECT_TRUE(editing.refusal.empty());
}

}  // namespace
}  // namespace mq
