// The configuration save killed at random moments: the file is always the
// old one or the new one, whole, and reads as one of the two lists.
#include "SaveLists.h"
#include "SpawnedProcess.h"
#include "config/ConfigurationFileReader.h"
#include "config/ConfigurationFileWriter.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <thread>

namespace mq::test {
namespace {

constexpr int KILLS = 150;

TEST(KilledSave, LeavesTheOldOrTheNewFileWhole) {
    ScratchFolder folder("killed-save");
    const std::string target = folder.file("MultiQuellanConfiguration.xml");
    // The exact bytes of each list as a finished save leaves them.
    ASSERT_TRUE(writeConfigurationFile(target, newChildList()));
    const std::string newBytes = readFile(target);
    ASSERT_TRUE(writeConfigurationFile(target, oldChildList()));
    const std::string oldBytes = readFile(target);
    ASSERT_NE(oldBytes, newBytes);

    // How long one save takes on this machine now: a loaded machine or a
    // sanitizer makes it many times longer, and the kills must fall across
    // several saves to land on both sides of a replacement.
    constexpr int TIMED_SAVES = 20;
    const auto timing = std::chrono::steady_clock::now();
    for (int save = 0; save < TIMED_SAVES; ++save)
        ASSERT_TRUE(writeConfigurationFile(target, save % 2 ? oldChildList() : newChildList()));
    const auto saveTime = (std::chrono::steady_clock::now() - timing) / TIMED_SAVES;
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(4 * saveTime).count() + 1000;

    const std::string writer = binaryFolder() + "/" + SAVE_WRITER;
    std::mt19937 random(20261207);
    std::uniform_int_distribution<long long> delay(0, span);
    int foundOld = 0, foundNew = 0, killedRunning = 0;
    for (int kill = 0; kill < KILLS; ++kill) {
        ASSERT_TRUE(writeConfigurationFile(target, oldChildList()));
        SpawnedProcess process(writer, {target});
        // From the writer's first finished save on, however long it took to
        // start: it alternates the old and the new list from there. The
        // writer never ends by itself, so a writer that ended has failed.
        while (readFile(target) != newBytes) {
            ASSERT_FALSE(process.hasEnded()) << "kill " << kill << ": the writer ended before its first save";
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        if (process.kill()) ++killedRunning;
        const std::string bytes = readFile(target);
        ASSERT_TRUE(bytes == oldBytes || bytes == newBytes)
            << "kill " << kill << " left " << bytes.size() << " bytes that are neither file";
        (bytes == oldBytes ? foundOld : foundNew) += 1;
        EXPECT_EQ(bytes == oldBytes ? oldChildList() : newChildList(), readConfigurationFile(target));
    }
    EXPECT_EQ(KILLS, killedRunning) << "every kill ended a running save loop";
    std::printf("%d kills: the old file %d times, the new file %d times\n", KILLS, foundOld, foundNew);
    // Both outcomes occurred, so kills landed on both sides of a replacement.
    EXPECT_GT(foundOld, 0);
    EXPECT_GT(foundNew, 0);
}

}  // namespace
}  // namespace mq::test
