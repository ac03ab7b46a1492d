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

    const std::string writer = binaryFolder() + "/reliability_save_writer";
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> delay(0, 40);
    int foundOld = 0, foundNew = 0, killedRunning = 0;
    for (int kill = 0; kill < KILLS; ++kill) {
        SpawnedProcess process(writer, {target});
        std::this_thread::sleep_for(std::chrono::milliseconds(delay(random)));
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
