// The machine-wide folder on Windows: the common application-data folder.
#include "config/DataFolder.h"

#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace mq {
namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

TEST(CommonFolderOnWindows, IsTheAllUsersApplicationDataFolder) {
    std::string folder;

    ASSERT_TRUE(platform::commonDataFolder(folder));

    EXPECT_EQ(lowerCase(folder), "c:\\programdata");
}

TEST(DataFolderOnWindows, UsesBackslashes) {
    std::string common;
    ASSERT_TRUE(platform::commonDataFolder(common));

    EXPECT_EQ(dataFolder(), common + "\\Kalmeno\\Quellan");
}

TEST(FileSystemRootOnWindows, IsADriveOrShareRoot) {
    for (const char* root : {"C:", "C:\\", "c:/", "\\", "\\\\server\\share", "\\\\server\\share\\"})
        EXPECT_TRUE(platform::isFileSystemRoot(root)) << root;
    for (const char* other : {"C:\\a", "ab", "abc", "\\\\server", "\\\\server\\share\\dir", ""})
        EXPECT_FALSE(platform::isFileSystemRoot(other)) << other;
}

TEST(ParentFolderOnWindows, EndsInASeparatorOrTheDrive) {
    EXPECT_EQ(platform::parentFolder("C:\\a\\b"), "C:\\a\\");
    EXPECT_EQ(platform::parentFolder("C:\\a"), "C:\\");
    EXPECT_EQ(platform::parentFolder("C:/a/b"), "C:/a/");
    EXPECT_EQ(platform::parentFolder("C:a"), "C:");
    EXPECT_EQ(platform::parentFolder("a"), "");
}

}  // namespace
}  // namespace mq
