// Saving the configuration file on Linux: line ends, permissions and failed writes.
#include "config/ConfigurationFileWriter.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace mq {
namespace {

const std::string OLD_TEXT = "<?xml version=\"1.0\" ?>\n<settings>\n    <quellan path=\"old.so\" />\n</settings>\n";

std::size_t entryCount(const std::string& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class WriteConfigurationFileOnLinux : public ::testing::Test {
protected:
    test::ScratchFolder scratch{"write-linux"};
    std::string file = scratch.file("MultiQuellanConfiguration.xml");
};

TEST_F(WriteConfigurationFileOnLinux, EndsLinesWithLineFeedsOnly) {
    ASSERT_TRUE(writeConfigurationFile(file, {"/opt/a.so", "/opt/b.so"}));

    EXPECT_EQ(test::readFile(file),
              "<?xml version=\"1.0\" ?>\n<settings>\n    <quellan path=\"/opt/a.so\" />\n"
              "    <quellan path=\"/opt/b.so\" />\n</settings>\n");
}

TEST_F(WriteConfigurationFileOnLinux, KeepsThePermissionsOfTheOldFile) {
    test::writeFile(file, OLD_TEXT);
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);

    ASSERT_TRUE(writeConfigurationFile(file, {"/opt/new.so"}));

    struct stat status{};
    ASSERT_EQ(::stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST_F(WriteConfigurationFileOnLinux, KeepsTheOldFileInAFolderItCannotWriteTo) {
    if (::geteuid() == 0) GTEST_SKIP() << "running as root, which writes to any folder";
    test::writeFile(file, OLD_TEXT);
    ASSERT_EQ(::chmod(scratch.path().c_str(), 0555), 0);

    bool saved = writeConfigurationFile(file, {"/opt/new.so"});
    ::chmod(scratch.path().c_str(), 0755);

    EXPECT_FALSE(saved);
    EXPECT_EQ(test::readFile(file), OLD_TEXT);
    EXPECT_EQ(entryCount(scratch.path()), 1u);
}

// Restores the file-size limit and the signal that exceeding it raises.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &previous);
        previousHandler = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = previous;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous);
        ::signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit previous{};
    void (*previousHandler)(int) = SIG_DFL;
};

TEST_F(WriteConfigurationFileOnLinux, KeepsTheOldFileWhenTheNewOneCannotBeWrittenWhole) {
    test::writeFile(file, OLD_TEXT);

    bool saved;
    {
        // The write stops part way, as on a full disk; root is bound by it too.
        FileSizeLimit limit(64);
        saved = writeConfigurationFile(file, std::vector<std::string>(20, "/opt/some/child/library.so"));
    }

    EXPECT_FALSE(saved);
    EXPECT_EQ(test::readFile(file), OLD_TEXT);
    EXPECT_EQ(entryCount(scratch.path()), 1u);
}

}  // namespace
}  // namespace mq
