// The machine-wide folder on Linux: the first entry of XDG_CONFIG_DIRS.
#include "config/DataFolder.h"

#include "platform/FileSystem.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace mq {
namespace {

// Sets XDG_CONFIG_DIRS, or removes it for nullopt, and puts the old value back.
class ConfigDirs {
public:
    explicit ConfigDirs(const std::optional<std::string>& value) {
        if (const char* old = ::getenv("XDG_CONFIG_DIRS")) previous = old;
        set(value);
    }
    ~ConfigDirs() { set(previous); }

private:
    static void set(const std::optional<std::string>& value) {
        if (value)
            ::setenv("XDG_CONFIG_DIRS", value->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_DIRS");
    }
    std::optional<std::string> previous;
};

std::string commonFolderWith(const std::optional<std::string>& value) {
    ConfigDirs dirs(value);
    std::string folder;
    EXPECT_TRUE(platform::commonDataFolder(folder));
    return folder;
}

TEST(CommonFolderOnLinux, IsTheFirstEntryOfXdgConfigDirs) {
    EXPECT_EQ(commonFolderWith("/srv/config:/etc/xdg:/usr/local/etc"), "/srv/config");
    EXPECT_EQ(commonFolderWith("/srv/only"), "/srv/only");
    EXPECT_EQ(commonFolderWith("/srv/with space/and\xC3\xBC:/b"), "/srv/with space/and\xC3\xBC");
}

TEST(CommonFolderOnLinux, DropsTrailingSeparators) {
    EXPECT_EQ(commonFolderWith("/srv/config//:/b"), "/srv/config");
}

TEST(CommonFolderOnLinux, IsEtcXdgWhenTheVariableIsUnsetOrEmpty) {
    EXPECT_EQ(commonFolderWith(std::nullopt), "/etc/xdg");
    EXPECT_EQ(commonFolderWith(""), "/etc/xdg");
    EXPECT_EQ(commonFolderWith(":/srv/second"), "/etc/xdg");
}

TEST(CommonFolderOnLinux, IsEtcXdgWhenTheFirstEntryIsRelative) {
    EXPECT_EQ(commonFolderWith("relative/config:/srv/second"), "/etc/xdg");
}

TEST(DataFolderOnLinux, CreatesMissingParentsLevelByLevel) {
    test::ScratchFolder scratch("xdg");
    std::string common = scratch.path() + "/one/two";
    ConfigDirs dirs(common);

    EXPECT_EQ(dataFolder(), common + "/Kalmeno/Quellan");

    for (const char* level : {"/one", "/one/two", "/one/two/Kalmeno", "/one/two/Kalmeno/Quellan"})
        EXPECT_TRUE(fs::is_directory(scratch.path() + level)) << level;
}

TEST(DataFolderOnLinux, IsGivenEvenWhenItCannotBeCreated) {
    test::ScratchFolder scratch("xdg");
    test::writeFile(scratch.file("file"), "in the way");
    ConfigDirs dirs(scratch.file("file"));

    EXPECT_EQ(dataFolder(), scratch.file("file") + "/Kalmeno/Quellan");

    EXPECT_TRUE(fs::is_regular_file(scratch.file("file")));
}

TEST(FileSystemRootOnLinux, IsTheSlashAlone) {
    EXPECT_TRUE(platform::isFileSystemRoot("/"));
    EXPECT_TRUE(platform::isFileSystemRoot("//"));
    EXPECT_FALSE(platform::isFileSystemRoot("/etc"));
    EXPECT_FALSE(platform::isFileSystemRoot(""));
}

TEST(ParentFolderOnLinux, EndsInASeparator) {
    EXPECT_EQ(platform::parentFolder("/etc/xdg/Kalmeno"), "/etc/xdg/");
    EXPECT_EQ(platform::parentFolder("/etc"), "/");
    EXPECT_EQ(platform::parentFolder("relative"), "");
}

}  // namespace
}  // namespace mq
