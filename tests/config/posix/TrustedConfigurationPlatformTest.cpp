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
    mode_t aboveMode;
    uid_t aboveOwner;
    mode_t folderMode;
    uid_t folderOwner;
    mode_t fileMode;
    uid_t fileOwner;
    bool trusted;
};

void PrintTo(const Entries& entries, std::ostream* out) {
    *out << entries.name;
}

const std::string NAMES_A_CHILD = "<settings><quellan path=\"/opt/child.so\" /></settings>";

// Whether this root process takes the children of the file at `path`.
bool trusts(const std::string& path) {
    std::string refusal;
    const ConfigurationFile file = readTrustedConfiguration(path, refusal);
    return refusal.empty() && file.settings.children.size() == 1;
}

class TrustedConfigurationOnLinux : public ::testing::WithParamInterface<Entries>, public AsRoot {
protected:
    test::ScratchFolder scratch{"trust"};
};

TEST_P(TrustedConfigurationOnLinux, NeedsRootAsOwnerAndNoOtherWriterUpToTheRoot) {
    const Entries& entries = GetParam();
    const std::string above = scratch.file("Kalmeno");
    const std::string folder = above + "/Quellan";
    const std::string file = folder + "/MultiQuellanConfiguration.xml";
    fs::create_directories(folder);
    test::writeFile(file, NAMES_A_CHILD);
    ASSERT_EQ(::chmod(above.c_str(), entries.aboveMode), 0);
    ASSERT_EQ(::chown(above.c_str(), entries.aboveOwner, entries.aboveOwner), 0);
    ASSERT_EQ(::chmod(folder.c_str(), entries.folderMode), 0);
    ASSERT_EQ(::chown(folder.c_str(), entries.folderOwner, entries.folderOwner), 0);
    ASSERT_EQ(::chmod(file.c_str(), entries.fileMode), 0);
    ASSERT_EQ(::chown(file.c_str(), entries.fileOwner, entries.fileOwner), 0);

    EXPECT_EQ(trusts(file), entries.trusted);
}

constexpr uid_t ROOT = 0;
constexpr uid_t OTHER = test::UNPRIVILEGED_ID;

INSTANTIATE_TEST_SUITE_P(
    Entries, TrustedConfigurationOnLinux,
    ::testing::Values(Entries{"RootsAlone", 0755, ROOT, 0755, ROOT, 0644, ROOT, true},
                      Entries{"ReadableByNoOneElse", 0700, ROOT, 0700, ROOT, 0600, ROOT, true},
                      Entries{"FolderWritableByAll", 0755, ROOT, 0777, ROOT, 0644, ROOT, false},
                      Entries{"FolderWritableByGroup", 0755, ROOT, 0775, ROOT, 0644, ROOT, false},
                      Entries{"FolderOfAnotherUser", 0755, ROOT, 0755, OTHER, 0644, ROOT, false},
                      Entries{"FileWritableByAll", 0755, ROOT, 0755, ROOT, 0666, ROOT, false},
                      Entries{"FileWritableByGroup", 0755, ROOT, 0755, ROOT, 0664, ROOT, false},
                      Entries{"FileOfAnotherUser", 0755, ROOT, 0755, ROOT, 0644, OTHER, false},
                      // Whoever may rename a folder above may put a folder of his own in the data folder's place.
                      Entries{"FolderAboveOfAnotherUser", 0755, OTHER, 0755, ROOT, 0644, ROOT, false},
                      Entries{"FolderAboveWritableByGroup", 0775, ROOT, 0755, ROOT, 0644, ROOT, false},
                      // Others may add entries to a sticky folder, but not rename root's, as in /tmp.
                      Entries{"StickyFolderAbove", 01777, ROOT, 0755, ROOT, 0644, ROOT, true},
                      Entries{"StickyDataFolder", 0755, ROOT, 01777, ROOT, 0644, ROOT, false}),
    [](const ::testing::TestParamInfo<Entries>& info) { return std::string(info.param.name); });

// Links: the file itself is never one; a folder link is followed when root made it.
TEST_F(AsRoot, RefusesAFileThatIsALinkAndFollowsOnlyRootsFolderLinks) {
    test::ScratchFolder scratch("trust-links");
    const std::string folder = scratch.file("Quellan");
    fs::create_directory(folder);
    test::writeFile(folder + "/Real.xml", NAMES_A_CHILD);
    fs::create_symlink("Real.xml", folder + "/MultiQuellanConfiguration.xml");
    fs::create_directory_symlink(folder, scratch.file("RootsLink"));
    fs::create_directory_symlink(folder, scratch.file("UsersLink"));
    ASSERT_EQ(::lchown(scratch.file("UsersLink").c_str(), OTHER, OTHER), 0);

    EXPECT_TRUE(trusts(folder + "/Real.xml"));
    EXPECT_FALSE(trusts(folder + "/MultiQuellanConfiguration.xml"));
    EXPECT_TRUE(trusts(scratch.file("RootsLink") + "/Real.xml"));
    EXPECT_FALSE(trusts(scratch.file("UsersLink") + "/Real.xml"));
}

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
