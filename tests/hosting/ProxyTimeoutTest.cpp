// Children with a timeout: a start-up given up, the identity, and the threads left afterwards.
#include "HostingFixture.h"
#include "hosting/Quellan.h"
#include "hosting/QuellanProxy.h"
#include "support/ChildProcesses.h"

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace mq::test {
namespace {

using namespace std::chrono_literals;

using ProxyTimeout = HostingTest;

// The threads this process has now. A sanitizer's run-time starts a thread
// of its own with the first thread the process creates: one is made first,
// so that it is counted before as well as after.
std::size_t threadsNow() {
    std::thread([] {}).join();
    return threadsOfThisProcess();
}

// Waits until the process has `threads` threads again. Bounded, so that a
// thread that never ends fails the test instead of hanging it.
std::size_t awaitThreads(std::size_t threads) {
    for (int wait = 0; wait < 6000 && threadsOfThisProcess() != threads; ++wait) std::this_thread::sleep_for(10ms);
    return threadsOfThisProcess();
}

// The proxies are held until their workers have gone, and then each is looked
// at under its lock, which the worker took last: what the workers did in the
// child happens before the child's library is unloaded here.
void letGoOnceTheirWorkersHaveEnded(std::vector<std::shared_ptr<QuellanProxy>>& proxies) {
    for (const auto& proxy : proxies) proxy->timeoutsRunOut();
    proxies.clear();
}

TEST_F(ProxyTimeout, StartUpsGivenUpAtOnceLeaveNoThreadBehind) {
    SimChild& child = makeChild();
    const std::size_t before = threadsNow();
    std::vector<std::shared_ptr<QuellanProxy>> proxies;
    // Most of these start-ups are given up before the worker has even begun:
    // the stop request must reach it all the same.
    for (int round = 0; round < 200; ++round) {
        proxies.push_back(std::make_shared<QuellanProxy>(child.libraryPath(), "", std::chrono::nanoseconds(1ms)));
        proxies.back()->awaitStart();
        QuellanProxy::retire(proxies.back());
    }
    EXPECT_EQ(before, awaitThreads(before));
    letGoOnceTheirWorkersHaveEnded(proxies);
}

TEST_F(ProxyTimeout, AStartUpGivenUpIsNotWaitedForAgainWhenRetired) {
    SimChild& child = makeChild(std::string(PLANT) + "sleep connectionOpen 3000\n");
    const std::size_t before = threadsNow();
    std::vector<std::shared_ptr<QuellanProxy>> proxies{
        std::make_shared<QuellanProxy>(child.libraryPath(), "", std::chrono::nanoseconds(200ms))};
    EXPECT_FALSE(proxies[0]->awaitStart());
    QuellanProxy::retire(proxies[0]);
    EXPECT_EQ(1u, proxies[0]->timeoutsRunOut()) << "the start-up's wait only";
    EXPECT_EQ(before, awaitThreads(before));
    letGoOnceTheirWorkersHaveEnded(proxies);
    EXPECT_EQ(1u, child.journal("uninitialize").size()) << "stopped once its start-up had ended";
}

class IdentityWithTimeout : public HostingTest, public ::testing::WithParamInterface<Isolation> {};

TEST_P(IdentityWithTimeout, IsReadOnceWithinTheStartUpAndNotOnTheCallersThread) {
    // A second identity query would keep the caller for 5 s.
    SimChild& child = makeChild(std::string(PLANT) + "sleep getIdentity 5000 after=1\n");
    const uint32_t testThread = child.threadId();
    {
        Quellan quellan(child.libraryPath(), std::chrono::nanoseconds(600s), GetParam());
        ASSERT_TRUE(quellan.open());
        EXPECT_EQ("Hosting test plant", quellan.identity());
        EXPECT_EQ(2, quellan.nodeCount());
    }
    const std::vector<JournalEntry> identities = child.journal("getIdentity");
    ASSERT_EQ(1u, identities.size());
    if (GetParam() == Isolation::NONE) {
        EXPECT_NE(testThread, identities[0].thread);
    }
}

INSTANTIATE_TEST_SUITE_P(LoadedAndIsolated, IdentityWithTimeout, ::testing::Values(Isolation::NONE, Isolation::PROCESS),
                         [](const ::testing::TestParamInfo<Isolation>& info) {
                             return std::string(info.param == Isolation::NONE ? "Loaded" : "Isolated");
                         });

}  // namespace
}  // namespace mq::test
