// Surrogate processes are never left behind: not after a close, not when their host is killed; and a child whose
// surrogate cannot serve it is left out as a child that fails to start.
#include "SpawnedProcess.h"
#include "data/IsolationFixture.h"
#include "support/ChildProcesses.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace mq::test {
namespace {

constexpr int32_t CLOCK = 1700000000;

const char* const PLANT = "clock 1700000000\nnode A\ntag A a float base=2\n";
const char* const HEALTHY_PLANT = "clock 1700000000\nnode B\ntag B b float base=7 amplitude=1\n";

// Waits, up to a bound, until `done` holds; whether it does then.
template <typename Condition>
bool eventually(Condition done) {
    for (int wait = 0; wait < 1000 && !done(); ++wait) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return done();
}

bool noChildProcessLeft() {
    return eventually([] { return childProcessesOf(thisProcessId()).empty(); });
}

class IsolatedProcesses : public IsolationTest {
protected:
    // The isolated child is left out: the host's tree and values are the healthy child's alone.
    void expectOnlyTheHealthyChild(const LoadedPlugin& host, const SimChild& healthy) {
        QUELLAN2_CONNECTION connection = nullptr;
        ASSERT_EQ(QUELLAN2_STATUS_OK, host->connectionOpen("", &connection));
        EXPECT_EQ(std::vector<std::string>{"B"}, host.topNodeNames(connection));
        const QUELLAN2_TAG tags[] = {reinterpret_cast<QUELLAN2_TAG>(1)};
        QUELLAN2_VECTOR result = nullptr;
        ASSERT_EQ(QUELLAN2_STATUS_OK, host->connectionReadCurrentData(connection, tags, 1, &result));
        EXPECT_EQ(healthy.expectedValue("B", "b", CLOCK), valueAt(host, result, 0));
        host->vectorFree(result);
        EXPECT_EQ(QUELLAN2_STATUS_OK, host->connectionClose(connection));
    }
};

TEST_F(IsolatedProcesses, ASurrogateRunsWhileItsChildIsOpenAndIsReapedAtTheClose) {
    const SimChild& isolated = addChild("Isolated", PLANT);
    place({{&isolated, true}});
    QUELLAN2_CONNECTION connection = open();
    EXPECT_EQ(1u, childProcessesOf(thisProcessId()).size());
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionClose(connection));
    EXPECT_TRUE(noChildProcessLeft());
}

// A surrogate ends with its host however the host ends, also while the
// child is busy inside a call and would not notice its channel closing.
TEST_F(IsolatedProcesses, ASurrogateEndsWhenItsHostIsKilledHard) {
    const SimChild& busy = addChild("Busy", std::string(PLANT) + "sleep connectionReadCurrentData 60000\n");
    place({{&busy, true}});
    SpawnedProcess host((std::filesystem::path(binaryFolder()) / QUELLAN_EXECUTABLE).string(),
                        {"--plugin", libraryPath("MultiQuellan"), "--output", folder.file("watch.csv"), "watch", "A/a",
                         "--count", "1000000"});
    std::vector<std::int64_t> hosts;
    std::vector<std::int64_t> surrogates;
    ASSERT_TRUE(eventually([&] {
        hosts = childProcessesOf(thisProcessId());
        if (hosts.size() == 1) surrogates = childProcessesOf(hosts[0]);
        return surrogates.size() == 1 && !busy.journal("connectionOpen").empty();
    })) << "the host started the child's surrogate and opened it";

    EXPECT_TRUE(host.kill());
    EXPECT_TRUE(eventually([&] { return !processExists(surrogates[0]); })) << "the surrogate outlived its host";
}

// Where the surrogate cannot serve the child, the child is left out as one
// whose library does not load in-process.
struct Unservable {
    const char* name;
    // Makes the library file in `folder`; returns its path.
    std::string (*make)(const std::string& folder);
};

void PrintTo(const Unservable& unservable, std::ostream* out) {
    *out << unservable.name;
}

const Unservable UNSERVABLE[] = {
    {"NotALibrary",
     [](const std::string& folder) {
         const std::string path = (std::filesystem::path(folder) / "Text" MQ_LIBRARY_SUFFIX).string();
         writeFile(path, "not a library\n");
         return path;
     }},
    {"LacksARequiredFunction",
     [](const std::string& folder) {
         const std::string path = (std::filesystem::path(folder) / "Partial" MQ_LIBRARY_SUFFIX).string();
         std::filesystem::copy_file(libraryPath(simLibraryName(SimVariant::MISSING_ONE)), path);
         return path;
     }},
};

class UnservableChild : public IsolatedProcesses, public ::testing::WithParamInterface<Unservable> {};

TEST_P(UnservableChild, IsLeftOutAndItsSurrogateEnds) {
    const SimChild& healthy = addChild("Healthy", HEALTHY_PLANT);
    const std::string path = GetParam().make(folder.path());
    configuration->writeBytes("<?xml version=\"1.0\"?>\n<settings>\n    <quellan path=\"" + path +
                              "\" isolation=\"process\" />\n    <quellan path=\"" + healthy.libraryPath() +
                              "\" />\n</settings>\n");
    expectOnlyTheHealthyChild(*plugin, healthy);
    EXPECT_TRUE(noChildProcessLeft());
}

INSTANTIATE_TEST_SUITE_P(EveryWayOfNotLoading, UnservableChild, ::testing::ValuesIn(UNSERVABLE),
                         [](const ::testing::TestParamInfo<Unservable>& info) { return std::string(info.param.name); });

// The surrogate is looked up beside the library only: a copy of the library
// in a folder of its own has none, and its isolated children are left out.
TEST_F(IsolatedProcesses, AChildWhoseSurrogateIsMissingIsLeftOut) {
    const SimChild& isolated = addChild("Isolated", PLANT);
    const SimChild& healthy = addChild("Healthy", HEALTHY_PLANT);
    place({{&isolated, true}, {&healthy, false}});
    ScratchFolder alone("no-surrogate");
    const std::string copy = alone.file("MultiQuellan" MQ_LIBRARY_SUFFIX);
    std::filesystem::copy_file(libraryPath("MultiQuellan"), copy);
    {
        LoadedPlugin withoutSurrogate(copy);
        expectOnlyTheHealthyChild(withoutSurrogate, healthy);
        EXPECT_TRUE(isolated.journal().empty()) << "the child never ran";
    }
    EXPECT_TRUE(noChildProcessLeft());
}

}  // namespace
}  // namespace mq::test
