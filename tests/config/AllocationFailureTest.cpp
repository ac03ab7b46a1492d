// Running out of memory at each allocation in turn never lets an exception
// out of the functions the exported interface relies on, and never leaves a
// half-written configuration file.
#include "config/ConfigurationFileReader.h"
#include "config/ConfigurationFileWriter.h"
#include "config/ConfigurationRecord.h"
#include "config/Directories.h"

#include "platform/FileSystem.h"
#include "support/MachineConfiguration.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>

namespace {

// Allocations still allowed before the one that fails; negative: no limit.
std::atomic<long> allocationsLeft{-1};
std::atomic<bool> allocationFailed{false};

void* allocate(std::size_t size) noexcept {
    if (allocationsLeft.load() >= 0 && allocationsLeft.fetch_sub(1) == 0) {
        allocationFailed = true;
        return nullptr;
    }
    return std::malloc(size ? size : 1);
}

void* allocateOrThrow(std::size_t size) {
    void* memory = allocate(size);
    if (!memory) throw std::bad_alloc();
    return memory;
}

}  // namespace

void* operator new(std::size_t size) { return allocateOrThrow(size); }
void* operator new[](std::size_t size) { return allocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

namespace mq {
namespace {

using Paths = std::vector<std::string>;

// Runs `action` once with the n-th allocation failing, for n = 0, 1, 2, ...
// until it runs through without reaching the failure. `check` sees the
// outcome of every run and whether an allocation failed in it. A first run
// that already runs through never went through the failing operator new.
template <typename Action, typename Check>
void failEachAllocationInTurn(Action action, Check check) {
    for (long n = 0;; ++n) {
        allocationFailed = false;
        allocationsLeft = n;
        auto outcome = action();
        allocationsLeft = -1;
        bool failed = allocationFailed;
        check(outcome, failed);
        if (!failed) {
            EXPECT_GT(n, 0) << "no allocation failed: none went through this operator new";
            return;
        }
        ASSERT_LT(n, 100000) << "no run without a failed allocation";
    }
}

const Paths CHILDREN = {"C:\\a & b\\First.dll", "/opt/<second>.so", "third"};

TEST(AllocationFailure, GivesReadingAnEmptyListOrTheWholeList) {
    test::ScratchFolder scratch("allocation");
    std::string file = scratch.file("MultiQuellanConfiguration.xml");
    ASSERT_TRUE(writeConfigurationFile(file, CHILDREN));

    failEachAllocationInTurn([&] { return readConfigurationFile(file); },
                             [&](const Paths& paths, bool failed) {
                                 if (failed) {
                                     EXPECT_TRUE(paths.empty() || paths == CHILDREN);
                                 } else {
                                     EXPECT_EQ(paths, CHILDREN);
                                 }
                             });
}

TEST(AllocationFailure, LeavesTheOldFileOrWritesTheNewOneWhole) {
    test::ScratchFolder scratch("allocation");
    std::string file = scratch.file("MultiQuellanConfiguration.xml");
    ASSERT_TRUE(writeConfigurationFile(file, {"old"}));
    const std::string oldText = test::readFile(file);
    ASSERT_TRUE(writeConfigurationFile(scratch.file("expected.xml"), CHILDREN));
    const std::string newText = test::readFile(scratch.file("expected.xml"));
    std::filesystem::remove(scratch.file("expected.xml"));

    failEachAllocationInTurn(
        [&] { return writeConfigurationFile(file, CHILDREN); },
        [&](bool saved, bool failed) {
            EXPECT_EQ(test::readFile(file), saved ? newText : oldText);
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.path()),
                                    std::filesystem::directory_iterator()), 1);
            test::writeFile(file, oldText);
            if (!failed) {
                EXPECT_TRUE(saved);
            }
        });
}

TEST(AllocationFailure, ReportsDirectoriesThatCouldNotBeCreated) {
    test::ScratchFolder scratch("allocation");
    std::string deepest = scratch.path();
    for (const char* level : {"a", "b", "c"}) deepest += platform::PATH_SEPARATOR + std::string(level);

    failEachAllocationInTurn([&] { return createDirectories(deepest); },
                             [&](bool created, bool failed) {
                                 EXPECT_EQ(created, std::filesystem::is_directory(deepest));
                                 if (!failed) {
                                     EXPECT_TRUE(created);
                                 }
                             });
}

TEST(AllocationFailure, LoadsTheRecordAsFarAsMemoryAllows) {
    test::MachineConfiguration machine;
    ConfigurationRecord expected;
    loadConfiguration(expected);
    ASSERT_TRUE(writeConfigurationFile(expected.configurationPath, CHILDREN));

    failEachAllocationInTurn(
        [&] {
            ConfigurationRecord record;
            loadConfiguration(record);
            return record;
        },
        [&](const ConfigurationRecord& record, bool failed) {
            EXPECT_TRUE(record.configurationPath.empty() || record.configurationPath == expected.configurationPath);
            EXPECT_TRUE(childPaths(record.settings).empty() || childPaths(record.settings) == CHILDREN);
            if (!failed) {
                EXPECT_EQ(childPaths(record.settings), CHILDREN);
            }
        });
}

}  // namespace
}  // namespace mq
