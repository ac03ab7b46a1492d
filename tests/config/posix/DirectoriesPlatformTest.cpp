// Creating directories on Linux: the permissions of new folders.
#include "config/Directories.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace mq {
namespace {

class CreateDirectoriesUnderUmask : public ::testing::TestWithParam<mode_t> {
protected:
    test::ScratchFolder scratch{"directories-linux"};
};

TEST_P(CreateDirectoriesUnderUmask, MakesEveryNewLevelReadableByAllWritableByItsOwner) {
    const std::string outer = scratch.file("Kalmeno");
    const std::string inner = outer + "/Quellan";
    mode_t previous = ::umask(GetParam());
    bool created = createDirectories(inner);
    ::umask(previous);
    ASSERT_TRUE(created);

    for (const std::string& level : {outer, inner}) {
        struct stat status{};
        ASSERT_EQ(::stat(level.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0755u) << level;
    }
}

INSTANTIATE_TEST_SUITE_P(Masks, CreateDirectoriesUnderUmask, ::testing::Values(0000, 0022, 0077));

}  // namespace
}  // namespace mq
