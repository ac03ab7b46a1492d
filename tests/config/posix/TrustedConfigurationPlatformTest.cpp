// Which configurations a privileged process trusts on Linux: real owners and modes, real privileges.
#include "config/TrustedConfiguration.h"

#include "UnprivilegedUser.h"
#include "support/ProcessRunner.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <ostream>

namespace fs = std::filesystem;

namespace mq {
namespace {

class AsRoot : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "needs root to own and give away files";
    }
};

struct Entries {
    const char* name;
    mode_t folderMode;
    uid_t folderOwner;
    mode_t fileMode;
    uid_t fileOwner;
    bool trusted;
};

void PrintTo(const Entries& entries, std::ostream* out) {
    *out << entries.name;
}

class TrustedConfigurationOnLinux : public ::testing::WithParamInterface<Entries>, public AsRoot {
protected:
    test::ScratchFolder scratch{"trust"};
};

TEST_P(TrustedConfigurationOnLinux, NeedsRootAsOwnerAndNoOtherWriter) {
    const Entries& entries = GetParam();
    const std::string folder = scratch.file("Quellan");
    const std::string file = folder + "/MultiQuellanConfiguration.xml";
    fs::create_directory(folder);
    test::writeFile(file, "<settings />");
    ASSERT_EQ(::chmod(folder.c_str(), entries.folderMode), 0);
    ASSERT_EQ(::chown(folder.c_str(), entries.folderOwner, entries.folderOwner), 0);
    ASSERT_EQ(::chmod(file.c_str(), entries.fileMode), 0);
    ASSERT_EQ(::chown(file.c_str(), entries.fileOwner, entries.fileOwner), 0);

    EXPECT_EQ(isTrustedConfiguration(ConfigurationRecord{file, ConfigurationFileState::READ, settingsWithChildren({"/opt/child.so"})}), entries.trusted);
}

constexpr uid_t ROOT = 0;
constexpr uid_t OTHER = test::UNPRIVILEGED_ID;

INSTANTIATE_TEST_SUITE_P(
    Entries, TrustedConfigurationOnLinux,
    ::testing::Values(Entries{"RootsAlone", 0755, ROOT, 0644, ROOT, true},
                      Entries{"ReadableByNoOneElse", 0700, ROOT, 0600, ROOT, true},
                      Entries{"FolderWritableByAll", 0777, ROOT, 0644, ROOT, false},
                      Entries{"FolderWritableByGroup", 0775, ROOT, 0644, ROOT, false},
                      Entries{"FolderOfAnotherUser", 0755, OTHER, 0644, ROOT, false},
                      Entries{"FileWritableByAll", 0755, ROOT, 0666, ROOT, false},
                      Entries{"FileWritableByGroup", 0755, ROOT, 0664, ROOT, false},
                      Entries{"FileOfAnotherUser", 0755, ROOT, 0644, OTHER, false}),
    [](const ::testing::TestParamInfo<Entries>& info) { return std::string(info.param.name); });

TEST_F(AsRoot, TheSameProcessDroppedToAnotherUserIsNotPrivileged) {
    EXPECT_TRUE(platform::isPrivilegedProcess());
    EXPECT_EQ(test::runAsUnprivilegedUser([] { return !platform::isPrivilegedProcess(); }), true);
}

// A set-user-ID program: privileged although not root, and deaf to XDG_CONFIG_DIRS.
TEST_F(AsRoot, ASetUserIdProgramIsPrivilegedAndIgnoresXdgConfigDirs) {
    test::ScratchFolder scratch("setuid");
    const std::string probe = scratch.file("config_privilege_probe");
    fs::copy_file(test::binaryFolder() + "/config_privilege_probe", probe);
    ASSERT_EQ(::chown(probe.c_str(), test::UNPRIVILEGED_ID, test::UNPRIVILEGED_ID), 0);
    ASSERT_EQ(::chmod(probe.c_str(), 04755), 0);
    const char* previous = ::getenv("XDG_CONFIG_DIRS");
    const std::string kept = previous ? previous : "";
    ::setenv("XDG_CONFIG_DIRS", "/srv/chosen-by-the-caller", 1);

    test::ProcessResult result = test::runProcess(probe, {});
    ::setenv("XDG_CONFIG_DIRS", kept.c_str(), 1);

    EXPECT_EQ(result.out, "folder=/etc/xdg\nprivileged=1\n");
}

}  // namespace
}  // namespace mq
