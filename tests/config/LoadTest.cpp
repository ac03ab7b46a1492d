// What loading the library does before any of its functions is called. The
// test starts after the data folder has been removed.
#include "config/ConfigurationRecord.h"
#include "config/ModulePrefix.h"

#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace mq {
namespace {

TEST(LibraryLoad, CreatesTheDataFolder) {
    std::string common;
    ASSERT_TRUE(platform::commonDataFolder(common));
    const std::string expected = common + platform::PATH_SEPARATOR + "Kalmeno" + platform::PATH_SEPARATOR + "Quellan";
    // Removed by the test's fixture too; on Windows the folder is the
    // machine's, which another test's library may have made again since.
    std::filesystem::remove_all(expected);

    std::string error;
    platform::ModuleHandle library = platform::loadLibrary(test::libraryPath("MultiQuellan"), error);
    ASSERT_NE(library, nullptr) << error;
    EXPECT_TRUE(std::filesystem::is_directory(expected));
    platform::unloadLibrary(library);
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
