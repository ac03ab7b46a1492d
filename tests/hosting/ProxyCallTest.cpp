// Calls on a running child: posted to its worker, waited for, never abandoned.
#include "HostingFixture.h"
#include "hosting/CallMessages.h"
#include "hosting/GuardedCall.h"
#include "hosting/ProxyTree.h"
#include "hosting/QuellanProxy.h"

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>
#include <vector>

namespace mq::test {
namespace {

constexpr uint32_t CLOCK = 1700000000;

// Keeps the worker busy until the test lets it go. It lets go by itself after
// a generous while only so that a broken queue fails the test instead of hanging it.
class HeldCall : public QuellanMessage {
public:
    const char* callName() const override { return "held"; }
    QUELLAN2_STATUS execute(QuellanProxy&) override {
        entered.set_value();
        release.get_future().wait_for(std::chrono::seconds(30));
        finished = true;
        return QUELLAN2_STATUS_OK;
    }

    std::promise<void> entered;
    std::promise<void> release;
    std::atomic<bool> finished{false};
};

class ProxyCall : public HostingTest {
protected:
    void SetUp() override {
        child = &makeChild();
        proxy = std::make_shared<QuellanProxy>(child->libraryPath(), "");
    }
    void TearDown() override { proxy.reset(); }

    const QuellanProxy::Tag& tag(std::size_t node, std::size_t index) const {
        return *proxy->connectionTree().topNodes[node]->nodeTags[index];
    }
    uint32_t workerThread() const { return child->journal("connectionOpen").at(0).thread; }

    SimChild* child = nullptr;
    std::shared_ptr<QuellanProxy> proxy;
};

TEST_F(ProxyCall, ACallRunsOnTheWorkerAndReturnsTheChildsAnswer) {
    uint32_t time = 0;
    EXPECT_EQ(QUELLAN2_STATUS_OK, proxy->connectionGetCurrentTime(&time));
    EXPECT_EQ(CLOCK, time);
    const std::vector<JournalEntry> calls = child->journal("connectionGetCurrentTime");
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(workerThread(), calls[0].thread);
}

TEST_F(ProxyCall, TheChildsOwnStatusComesBackUnchanged) {
    ASSERT_EQ(0u, child->control("fail connectionGetCurrentTime 3 times=1"));
    uint32_t time = 0;
    EXPECT_EQ(QUELLAN2_STATUS_NOT_SUPPORTED, proxy->connectionGetCurrentTime(&time));
    EXPECT_EQ(QUELLAN2_STATUS_OK, proxy->connectionGetCurrentTime(&time));
}

TEST_F(ProxyCall, AThousandFaultsOfEachKindAreStatusOneAndTheWorkerServesOn) {
    for (const char* kind : {"access", "divide", "throw"}) {
        ASSERT_EQ(0u, child->control(std::string("fault tagGetUpdateTime ") + kind + " times=1000"));
        for (int call = 0; call < 1000; ++call) {
            uint32_t time = 0;
            ASSERT_EQ(QUELLAN2_STATUS_ERROR, proxy->tagGetUpdateTime(tag(0, 0), &time)) << kind << " " << call;
        }
        uint32_t time = 0;
        EXPECT_EQ(QUELLAN2_STATUS_OK, proxy->tagGetUpdateTime(tag(0, 0), &time)) << kind;
        EXPECT_EQ(static_cast<uint32_t>(expectedUpdateTime(child->sidecarText(), "Line1", "TT-101", CLOCK)), time);
    }
}

TEST_F(ProxyCall, AChildThatCatchesItsOwnExceptionsKeepsWorking) {
    ASSERT_EQ(0u, child->control("fault tagGetUpdateTime caught"));
    uint32_t time = 0;
    EXPECT_EQ(QUELLAN2_STATUS_OK, proxy->tagGetUpdateTime(tag(0, 0), &time));
}

TEST_F(ProxyCall, AFaultInAVectorFunctionOnTheCallingThreadIsStatusOne) {
    ASSERT_EQ(0u, child->control("fault vectorCreate access times=1"));
    QUELLAN2_VECTOR vector = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_ERROR, guardedCall(proxy->functions().vectorCreate, 2u, &vector));
    EXPECT_EQ(QUELLAN2_STATUS_OK, guardedCall(proxy->functions().vectorCreate, 2u, &vector));
    EXPECT_EQ(QUELLAN2_STATUS_OK, guardedCall(proxy->functions().vectorFree, vector));
}

TEST_F(ProxyCall, AGuardedRunStopsAtTheCallThatFaultedOrAtAStepThatSaysSo) {
    QUELLAN2_VECTOR vector = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, guardedCall(proxy->functions().vectorCreate, 5u, &vector));
    ASSERT_EQ(0u, child->control("fault vectorGetType access after=2 times=1"));
    uint32_t asked[5] = {};
    uint32_t count = 0;
    const auto step = [&](uint32_t k) {
        uint32_t type = QUELLAN2_TYPE_FLOAT;
        proxy->functions().vectorGetType(vector, k, &type);
        asked[count++] = k;
        return k != 3;
    };
    platform::Fault fault = platform::Fault::NONE;
    EXPECT_EQ(2u, guardedSteps(0, 5, step, fault));
    EXPECT_EQ(platform::Fault::ACCESS_VIOLATION, fault);
    EXPECT_EQ(3u, guardedSteps(3, 5, step, fault));
    EXPECT_EQ(platform::Fault::NONE, fault);
    EXPECT_EQ(5u, guardedSteps(4, 5, step, fault));
    EXPECT_EQ(platform::Fault::NONE, fault);
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 3, 4}), std::vector<uint32_t>(asked, asked + count));
    EXPECT_EQ(QUELLAN2_STATUS_OK, guardedCall(proxy->functions().vectorFree, vector));
}

TEST_F(ProxyCall, ALongCallWakesItsCallerAtEachDeadlineAndIsWaitedFor) {
    // 2 s then every 60 s in production; 1 s and 1 s here, against a call of 2.5 s.
    proxy->setWaitSeconds(1, 1);
    ASSERT_EQ(0u, child->control("sleep connectionGetCurrentTime 2500 times=1"));
    auto message = std::make_shared<ConnectionGetCurrentTimeMessage>(0);
    EXPECT_EQ(QUELLAN2_STATUS_OK, proxy->call(message));
    EXPECT_EQ(CLOCK, message->time);
    // How many deadlines pass depends on the machine's load; that one did, and
    // that the call was still waited for, does not.
    EXPECT_GE(message->deadlineWakeUps, 1u);
    ASSERT_TRUE(message->startedAt && message->endedAt);
    const std::vector<JournalEntry> calls = child->journal("connectionGetCurrentTime");
    ASSERT_EQ(1u, calls.size());
    EXPECT_TRUE(calls[0].returned());
}

TEST_F(ProxyCall, TwoThreadsCallingOneProxyEachGetTheirOwnAnswer) {
    ASSERT_EQ(0u, child->control("sleep tagGetUpdateTime 100"));
    uint32_t first = 0, second = 0;
    QUELLAN2_STATUS firstStatus = 1, secondStatus = 1;
    std::thread a([&] { firstStatus = proxy->tagGetUpdateTime(tag(0, 0), &first); });
    std::thread b([&] { secondStatus = proxy->tagGetUpdateTime(tag(1, 0), &second); });
    a.join();
    b.join();
    EXPECT_EQ(QUELLAN2_STATUS_OK, firstStatus);
    EXPECT_EQ(QUELLAN2_STATUS_OK, secondStatus);
    EXPECT_EQ(static_cast<uint32_t>(expectedUpdateTime(child->sidecarText(), "Line1", "TT-101", CLOCK)), first);
    EXPECT_EQ(static_cast<uint32_t>(expectedUpdateTime(child->sidecarText(), "Line2", "PT-201", CLOCK)), second);
    for (const JournalEntry& call : child->journal("tagGetUpdateTime")) EXPECT_EQ(workerThread(), call.thread);
}

TEST_F(ProxyCall, CallsQueuedBeforeTheLastOwnerLetsGoRunBeforeTheChildIsClosed) {
    ASSERT_EQ(0u, child->control("sleep tagGetUpdateTime 300 times=1"));
    const QuellanProxy::Tag& slow = tag(0, 0);
    const QuellanProxy::Tag& behind = tag(1, 0);
    QUELLAN2_STATUS running = 1, queued = 1;
    std::thread first([&, owner = proxy] {
        uint32_t time = 0;
        running = owner->tagGetUpdateTime(slow, &time);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::thread second([&, owner = proxy] {
        uint32_t time = 0;
        queued = owner->tagGetUpdateTime(behind, &time);
    });
    proxy.reset();  // the callers' shares now decide when the child stops
    first.join();
    second.join();
    EXPECT_EQ(QUELLAN2_STATUS_OK, running);
    EXPECT_EQ(QUELLAN2_STATUS_OK, queued);
    std::vector<std::string> functions;
    for (const std::string& function : functionsOf(child->journal()))
        if (function != "stringFree") functions.push_back(function);
    ASSERT_GE(functions.size(), 4u);
    EXPECT_EQ((std::vector<std::string>{"tagGetUpdateTime", "tagGetUpdateTime", "connectionClose", "uninitialize"}),
              std::vector<std::string>(functions.end() - 4, functions.end()));
}

TEST_F(ProxyCall, ACallAfterTheStopRequestFailsAtOnceAndNeverReachesTheChild) {
    auto held = std::make_shared<HeldCall>();
    std::future<void> busy = held->entered.get_future();
    std::thread holder([&] { proxy->call(held); });
    busy.wait();
    EXPECT_EQ(QUELLAN2_STATUS_OK, proxy->call(nullptr));
    uint32_t time = 0;
    EXPECT_EQ(QUELLAN2_STATUS_ERROR, proxy->connectionGetCurrentTime(&time));
    EXPECT_FALSE(held->finished) << "the late call waited for the worker";
    held->release.set_value();
    holder.join();
    proxy.reset();
    EXPECT_EQ(0u, count(child->journal(), "connectionGetCurrentTime"));
}

TEST_F(ProxyCall, ACallAfterTheWorkerHasEndedFailsAtOnce) {
    EXPECT_EQ(QUELLAN2_STATUS_OK, proxy->call(nullptr));
    // The worker closes the child and ends on its own; wait until it has.
    for (int wait = 0; wait < 500 && count(child->journal(), "uninitialize") == 0; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(1u, count(child->journal(), "uninitialize"));
    uint32_t time = 0;
    EXPECT_EQ(QUELLAN2_STATUS_ERROR, proxy->connectionGetCurrentTime(&time));
    EXPECT_EQ(0u, count(child->journal(), "connectionGetCurrentTime"));
}

}  // namespace
}  // namespace mq::test
