// Saving the configuration file on Linux: line ends, permissions and group, whose rights decide, the backup, failed writes.
#include "config/ConfigurationFileWriter.h"

#include "UnprivilegedUser.h"
#include "config/ConfigurationFileReader.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

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

// The file's own rights decide, as for any write, not its folder's.
class WriteConfigurationFileAsAnotherUser : public WriteConfigurationFileOnLinux {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
        test::writeFile(file, OLD_TEXT);
        ASSERT_EQ(::stat(file.c_str(), &before), 0);
    }
    std::optional<bool> saveAsUnprivilegedUser() {
        return test::runAsUnprivilegedUser([this] { return writeConfigurationFile(file, {"/opt/new.so"}); });
    }
    struct stat before{};
};

TEST_F(WriteConfigurationFileAsAnotherUser, RefusesAFileItMayNotWriteInAFolderItMay) {
    ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
    ASSERT_EQ(::chmod(scratch.path().c_str(), 0777), 0);

    EXPECT_EQ(saveAsUnprivilegedUser(), false);

    struct stat after{};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(test::readFile(file), OLD_TEXT);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, 0u);
    EXPECT_EQ(entryCount(scratch.path()), 1u);
}

TEST_F(WriteConfigurationFileAsAnotherUser, RewritesAFileItMayWriteInPlaceInAFolderItMayNot) {
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(scratch.path().c_str(), 0755), 0);

    EXPECT_EQ(saveAsUnprivilegedUser(), true);

    struct stat after{};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(test::readFile(file), "<?xml version=\"1.0\" ?>\n<settings>\n    <quellan path=\"/opt/new.so\" />\n</settings>\n");
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode & 07777, 0666u);
    EXPECT_EQ(entryCount(scratch.path()), 1u);
}

// A file that a group shares, saved by one of its members or by anyone.
struct SharedFileCase {
    const char* name;
    mode_t before;
    bool saverInGroup;
    gid_t groupAfter;
    mode_t after;
};

class WriteSharedConfigurationFile : public WriteConfigurationFileAsAnotherUser,
                                     public ::testing::WithParamInterface<SharedFileCase> {};

constexpr gid_t SHARING_GROUP = 1234;

TEST_P(WriteSharedConfigurationFile, KeepsTheGroupWhereTheSaverMayElseTakesItsWriteAway) {
    const SharedFileCase& shared = GetParam();
    ASSERT_EQ(::chown(file.c_str(), 0, SHARING_GROUP), 0);
    ASSERT_EQ(::chmod(file.c_str(), shared.before), 0);
    ASSERT_EQ(::chmod(scratch.path().c_str(), 0777), 0);

    auto saved = test::runAsUnprivilegedUser(
        [this] { return writeConfigurationFileKeepingBackup(file, settingsWithChildren({"/opt/new.so"})); },
        shared.saverInGroup ? std::optional<gid_t>(SHARING_GROUP) : std::nullopt);
    EXPECT_EQ(saved, true);

    // The file and the copy of the old one kept beside it alike.
    for (const std::string& path : {file, configurationBackupPath(file)}) {
        struct stat after{};
        ASSERT_EQ(::stat(path.c_str(), &after), 0) << path;
        EXPECT_NE(after.st_ino, before.st_ino) << path;
        EXPECT_EQ(after.st_uid, test::UNPRIVILEGED_ID) << path;
        EXPECT_EQ(after.st_gid, shared.groupAfter) << path;
        EXPECT_EQ(after.st_mode & 07777, shared.after) << path;
    }
    EXPECT_EQ(test::readFile(configurationBackupPath(file)), OLD_TEXT);
}

TEST_F(WriteConfigurationFileAsAnotherUser, InAFolderThatRefusesNewFilesRewritesOnlyABackupAlreadyThere) {
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(scratch.path().c_str(), 0755), 0);
    auto save = [this](const char* child) {
        return test::runAsUnprivilegedUser(
            [&] { return writeConfigurationFileKeepingBackup(file, settingsWithChildren({child})); });
    };

    EXPECT_EQ(save("/opt/first.so"), true);
    EXPECT_EQ(entryCount(scratch.path()), 1u);
    EXPECT_EQ(readConfigurationFile(file), std::vector<std::string>{"/opt/first.so"});

    const std::string backup = configurationBackupPath(file);
    test::writeFile(backup, "");
    ASSERT_EQ(::chmod(backup.c_str(), 0666), 0);
    const std::string firstSave = test::readFile(file);
    EXPECT_EQ(save("/opt/second.so"), true);
    EXPECT_EQ(test::readFile(backup), firstSave);
    EXPECT_EQ(readConfigurationFile(file), std::vector<std::string>{"/opt/second.so"});
}

TEST_F(WriteConfigurationFileAsAnotherUser, KeepsNoBackupOfAFileItMayNotWrite) {
    ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
    ASSERT_EQ(::chmod(scratch.path().c_str(), 0777), 0);

    EXPECT_EQ(test::runAsUnprivilegedUser([this] {
                  return writeConfigurationFileKeepingBackup(file, settingsWithChildren({"/opt/new.so"}));
              }),
              false);

    EXPECT_EQ(test::readFile(file), OLD_TEXT);
    EXPECT_EQ(entryCount(scratch.path()), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Savers, WriteSharedConfigurationFile,
    ::testing::Values(SharedFileCase{"AMemberOfTheGroup", 0664, true, SHARING_GROUP, 0664},
                      SharedFileCase{"AnyoneElse", 0666, false, test::UNPRIVILEGED_ID, 0644}),
    [](const ::testing::TestParamInfo<SharedFileCase>& info) { return std::string(info.param.name); });

// Sets the process's umask and puts the old one back.
class Umask {
public:
    explicit Umask(mode_t mask) : previous(::umask(mask)) {}
    ~Umask() { ::umask(previous); }

private:
    mode_t previous;
};

class WriteConfigurationFileUnderUmask : public WriteConfigurationFileOnLinux,
                                         public ::testing::WithParamInterface<mode_t> {};

TEST_P(WriteConfigurationFileUnderUmask, CreatesAFileReadableByAllWritableByItsOwner) {
    {
        Umask mask(GetParam());
        ASSERT_TRUE(writeConfigurationFile(file, {"/opt/new.so"}));
    }

    struct stat status{};
    ASSERT_EQ(::stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0644u);
}

INSTANTIATE_TEST_SUITE_P(Masks, WriteConfigurationFileUnderUmask, ::testing::Values(0000, 0022, 0077));

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
