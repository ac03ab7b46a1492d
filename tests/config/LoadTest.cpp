// What loading the library does before any of its functions is called. The
// test starts after the data folder has been removed.
#include "config/ConfigurationRecord.h"
#include "config/DataFolder.h"
#include "config/ModulePrefix.h"

#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace mq {
namespace {

TEST(LibraryLoad, CreatesTheDataFolderAndKeepsItsPath) {
    std::string common;
    ASSERT_TRUE(platform::commonDataFolder(common));
    const std::string expected = common + platform::PATH_SEPARATOR + "Kalmeno" + platform::PATH_SEPARATOR + "Quellan";

    EXPECT_EQ(loadedDataFolder(), expected);
    EXPECT_TRUE(std::filesystem::is_directory(expected));
}

TEST(LibraryLoad, LeavesTheModulePrefixEmptyUntilTheConfigurationIsLoaded) {
    EXPECT_STREQ(modulePrefix(), "");

    ConfigurationRecord record;
    loadConfiguration(record);

    EXPECT_STREQ(modulePrefix(), "MultiQuellan");
    ConfigurationRecord again;
    loadConfiguration(again);
    EXPECT_STREQ(modulePrefix(), "MultiQuellan");
    EXPECT_EQ(again.configurationPath, record.configurationPath);
}

}  // namespace
}  // namespace mq
