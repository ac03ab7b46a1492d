// The data folder and the configuration file's path below the machine's common folder.
#include "config/ConfigurationFilePath.h"
#include "config/DataFolder.h"
#include "config/ModulePrefix.h"

#include "platform/FileSystem.h"
#include "support/MachineConfiguration.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace mq {
namespace {

const std::string SEPARATOR(1, platform::PATH_SEPARATOR);

class DataFolder : public ::testing::Test {
protected:
    test::MachineConfiguration machine;
    std::string expected = machine.commonFolder() + SEPARATOR + "Kalmeno" + SEPARATOR + "Quellan";
};

TEST_F(DataFolder, IsKalmenoQuellanBelowTheCommonFolderAndExists) {
    EXPECT_EQ(dataFolder(), expected);

    EXPECT_TRUE(fs::is_directory(expected));
}

TEST_F(DataFolder, IsCreatedAgainAfterItsRemoval) {
    fs::remove_all(machine.commonFolder() + SEPARATOR + "Kalmeno");

    EXPECT_EQ(dataFolder(), expected);

    EXPECT_TRUE(fs::is_directory(expected));
}

TEST_F(DataFolder, KeepsAFileInItsPlaceAndStillGivesItsPath) {
    fs::create_directories(expected);
    fs::remove_all(expected);
    std::ofstream(expected) << "in the way";
    ASSERT_TRUE(fs::is_regular_file(expected));

    EXPECT_EQ(dataFolder(), expected);

    EXPECT_TRUE(fs::is_regular_file(expected));
    fs::remove(expected);
}

TEST_F(DataFolder, ConfigurationFileIsNamedAfterTheModulePrefix) {
    const char* previous = modulePrefix();

    setModulePrefix("");
    std::string unnamed = configurationFilePath();
    setModulePrefix(MODULE_NAME);
    std::string named = configurationFilePath();
    setModulePrefix(previous);

    EXPECT_EQ(unnamed, expected + SEPARATOR + "Configuration.xml");
    EXPECT_EQ(named, expected + SEPARATOR + "MultiQuellanConfiguration.xml");
}

TEST_F(DataFolder, ConfigurationFilePathCreatesTheFolderAgain) {
    fs::remove_all(expected);

    configurationFilePath();

    EXPECT_TRUE(fs::is_directory(expected));
}

}  // namespace
}  // namespace mq
