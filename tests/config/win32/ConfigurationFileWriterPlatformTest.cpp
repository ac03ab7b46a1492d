// Saving the configuration file on Windows: line ends and targets that cannot be replaced.
#include "config/ConfigurationFileWriter.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace mq {
namespace {

const std::string OLD_TEXT =
    "<?xml version=\"1.0\" ?>\r\n<settings>\r\n    <quellan path=\"old.dll\" />\r\n</settings>\r\n";

std::size_t entryCount(const std::string& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class WriteConfigurationFileOnWindows : public ::testing::Test {
protected:
    test::ScratchFolder scratch{"write-windows"};
    std::string file = scratch.file("MultiQuellanConfiguration.xml");
};

TEST_F(WriteConfigurationFileOnWindows, EndsLinesWithCarriageReturnLineFeed) {
    ASSERT_TRUE(writeConfigurationFile(file, {"C:\\a.dll", "C:\\b.dll"}));

    EXPECT_EQ(test::readFile(file),
              "<?xml version=\"1.0\" ?>\r\n<settings>\r\n    <quellan path=\"C:\\a.dll\" />\r\n"
              "    <quellan path=\"C:\\b.dll\" />\r\n</settings>\r\n");
}

TEST_F(WriteConfigurationFileOnWindows, KeepsTheOldFileWhileAnotherHandleDeniesReplacing) {
    test::writeFile(file, OLD_TEXT);
    HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    bool saved = writeConfigurationFile(file, {"C:\\new.dll"});
    CloseHandle(held);

    EXPECT_FALSE(saved);
    EXPECT_EQ(test::readFile(file), OLD_TEXT);
    EXPECT_EQ(entryCount(scratch.path()), 1u);
}

TEST_F(WriteConfigurationFileOnWindows, KeepsAReadOnlyOldFile) {
    test::writeFile(file, OLD_TEXT);
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));

    bool saved = writeConfigurationFile(file, {"C:\\new.dll"});
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_FALSE(saved);
    EXPECT_EQ(test::readFile(file), OLD_TEXT);
    EXPECT_EQ(entryCount(scratch.path()), 1u);
}

}  // namespace
}  // namespace mq
