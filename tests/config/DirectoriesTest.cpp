// Creating a directory with its missing parents.
#include "config/Directories.h"

#include "platform/FileSystem.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace mq {
namespace {

std::string join(const std::string& folder, const std::string& name) {
    return folder + platform::PATH_SEPARATOR + name;
}

bool isEmptyFolder(const std::string& folder) {
    return fs::is_empty(folder);
}

class CreateDirectories : public ::testing::Test {
protected:
    test::ScratchFolder scratch{"directories"};
};

TEST_F(CreateDirectories, CreatesEveryMissingLevelFromTheTop) {
    std::string a = join(scratch.path(), "a");
    std::string b = join(a, "b");
    std::string c = join(b, "c");
    std::string d = join(c, "d");

    EXPECT_TRUE(createDirectories(d));

    for (const std::string& level : {a, b, c, d}) EXPECT_TRUE(fs::is_directory(level)) << level;
}

TEST_F(CreateDirectories, ReportsAnExistingDirectoryWithoutChangingIt) {
    std::string folder = join(scratch.path(), "existing");
    fs::create_directory(folder);
    test::writeFile(join(folder, "kept.txt"), "kept");

    EXPECT_TRUE(createDirectories(folder));

    EXPECT_EQ(test::readFile(join(folder, "kept.txt")), "kept");
}

TEST_F(CreateDirectories, TreatsATrailingSeparatorAsTheSameDirectory) {
    std::string folder = join(join(scratch.path(), "outer"), "inner");

    EXPECT_TRUE(createDirectories(folder + platform::PATH_SEPARATOR));

    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(createDirectories(folder + platform::PATH_SEPARATOR));
}

TEST_F(CreateDirectories, CountsAFileInTheWayAsExisting) {
    std::string file = join(scratch.path(), "Quellan");
    test::writeFile(file, "not a folder");

    EXPECT_TRUE(createDirectories(file));

    EXPECT_TRUE(fs::is_regular_file(file));
    EXPECT_EQ(test::readFile(file), "not a folder");
}

TEST_F(CreateDirectories, FailsBelowAFileInTheWay) {
    std::string file = join(scratch.path(), "Kalmeno");
    test::writeFile(file, "not a folder");

    EXPECT_FALSE(createDirectories(join(join(file, "Quellan"), "deeper")));

    EXPECT_TRUE(fs::is_regular_file(file));
}

TEST_F(CreateDirectories, CountsTheFileSystemRootAsExisting) {
    std::string root = fs::path(scratch.path()).root_path().string();
    ASSERT_TRUE(platform::isFileSystemRoot(root)) << root;

    EXPECT_TRUE(createDirectories(root));
}

TEST_F(CreateDirectories, RefusesAPathLongerThanThePlatformTakes) {
    std::string tooLong = join(scratch.path(), "a");
    tooLong += std::string(platform::MAX_PATH_LENGTH + 1 - tooLong.size(), 'a');
    ASSERT_EQ(tooLong.size(), platform::MAX_PATH_LENGTH + 1);

    EXPECT_FALSE(createDirectories(tooLong));

    EXPECT_TRUE(isEmptyFolder(scratch.path()));
}

TEST_F(CreateDirectories, RefusesAPathWithAZeroByteInsteadOfCreatingItsStart) {
    std::string withZero = join(scratch.path(), std::string("first\0second", 12));

    EXPECT_FALSE(createDirectories(withZero));

    EXPECT_TRUE(isEmptyFolder(scratch.path()));
}

TEST_F(CreateDirectories, RefusesAnEmptyPath) {
    EXPECT_FALSE(createDirectories(""));
}

}  // namespace
}  // namespace mq
