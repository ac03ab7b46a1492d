// A user who owns a folder above the data folder swaps it for one of his own while a root host opens in a loop.
#include "UnprivilegedUser.h"
#include "config/ConfigurationFileWriter.h"
#include "support/Environment.h"
#include "support/LoadedPlugin.h"
#include "support/SimChild.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

namespace fs = std::filesystem;

namespace mq {
namespace {

// Exchanges two entries of a folder as the unprivileged user, over and over,
// until it is killed; the first exchange is reported on a pipe.
class Swapper {
public:
    Swapper(const std::string& folder, const std::string& first, const std::string& second) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) return;
        child = ::fork();
        if (child == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setresgid(test::UNPRIVILEGED_ID, test::UNPRIVILEGED_ID,
                                                            test::UNPRIVILEGED_ID) != 0 ||
                ::setresuid(test::UNPRIVILEGED_ID, test::UNPRIVILEGED_ID, test::UNPRIVILEGED_ID) != 0)
                ::_exit(2);
            const int at = ::open(folder.c_str(), O_PATH | O_DIRECTORY);
            bool reported = false;
            for (;;) {
                if (::renameat2(at, first.c_str(), at, second.c_str(), RENAME_EXCHANGE) != 0) ::_exit(3);
                if (!reported) reported = ::write(ends[1], "s", 1) == 1;
            }
        }
        ::close(ends[1]);
        char mark = 0;
        swapping = child > 0 && ::read(ends[0], &mark, 1) == 1;
        ::close(ends[0]);
    }
    ~Swapper() {
        if (child <= 0) return;
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
    }
    bool started() const { return swapping; }

private:
    pid_t child = -1;
    bool swapping = false;
};

// Folders laid out as the attack needs them: a folder of the user's own that
// holds the configuration folder named by XDG_CONFIG_DIRS ("xdg") and a
// decoy ("decoy"). "xdg" is root's, down to a root-owned file that names the
// good child; the decoy is the user's and names his child.
class RaceForTheDataFolder : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "needs root to be the privileged host and to become another user";
        ASSERT_EQ(::chown(users.c_str(), test::UNPRIVILEGED_ID, test::UNPRIVILEGED_ID), 0);
        lay(users + "/xdg", good.libraryPath(), 0);
        lay(users + "/decoy", planted.libraryPath(), test::UNPRIVILEGED_ID);
        previousConfigDirs = ::getenv("XDG_CONFIG_DIRS") ? ::getenv("XDG_CONFIG_DIRS") : "";
        test::setEnvironmentVariable("XDG_CONFIG_DIRS", users + "/xdg");
    }
    void TearDown() override {
        if (::geteuid() == 0) test::setEnvironmentVariable("XDG_CONFIG_DIRS", previousConfigDirs);
    }

    static void lay(const std::string& xdg, const std::string& child, uid_t owner) {
        const std::string folder = xdg + "/Kalmeno/Quellan";
        fs::create_directories(folder);
        ASSERT_TRUE(writeConfigurationFile(folder + "/MultiQuellanConfiguration.xml", {child}));
        for (const std::string& entry :
             {xdg, xdg + "/Kalmeno", folder, folder + "/MultiQuellanConfiguration.xml"})
            ASSERT_EQ(::chown(entry.c_str(), owner, owner), 0) << entry;
    }

    test::ScratchFolder scratch{"trust-race"};
    const std::string users = scratch.file("users");
    test::ScratchFolder childFolder{"trust-race-children"};
    test::SimChild good{childFolder.path(), "Good", "node Good\ntag Good t float\n"};
    test::SimChild planted{childFolder.path(), "Planted", "node Planted\ntag Planted t float\n"};
    std::string previousConfigDirs;
    bool created = fs::create_directory(users);
};

TEST_F(RaceForTheDataFolder, TheHostNeverLoadsTheUsersLibrary) {
    test::LoadedPlugin plugin(test::libraryPath("MultiQuellan"));
    ASSERT_EQ(plugin->initialize(), QUELLAN2_STATUS_OK);
    Swapper swapper(users, "xdg", "decoy");
    ASSERT_TRUE(swapper.started());

    // As many open and close cycles as a few seconds allow; the verdict
    // rests on what was loaded, never on the time taken.
    int cycles = 0;
    int refused = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (; cycles < 3000 && std::chrono::steady_clock::now() < until; ++cycles) {
        QUELLAN2_CONNECTION connection = nullptr;
        if (plugin->connectionOpen("", &connection) != QUELLAN2_STATUS_OK) {
            ++refused;
            // A retry on the same connection object, as a host may make: the
            // list read before must not come back.
            if (plugin->connectionOpen("", &connection) == QUELLAN2_STATUS_OK) plugin->connectionClose(connection);
        }
        plugin->connectionClose(connection);
        ASSERT_TRUE(planted.journal().empty()) << "loaded the user's library in cycle " << cycles;
    }
    plugin->uninitialize();

    // Under a folder of the user's own nothing is root's alone: every open is refused.
    EXPECT_EQ(refused, cycles);
    EXPECT_GT(cycles, 0);
}

}  // namespace
}  // namespace mq
