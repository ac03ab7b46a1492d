// Restarting an isolated child: the backoff's delays on a clock of the test's, and the events a restart is told by.
#include "HostingFixture.h"
#include "hosting/ChildHealth.h"
#include "hosting/Quellan.h"
#include "hosting/QuellanProxy.h"
#include "hosting/RestartBackoff.h"
#include "support/ChildProcesses.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace mq::test {
namespace {

using namespace std::chrono_literals;

TEST(RestartBackoff, DoublesFromOneSecondUpToAMinuteAndStartsOverAfterTenQuietMinutes) {
    RestartBackoff::Clock::time_point now{};
    RestartBackoff backoff([&] { return now; });
    std::vector<long long> delays;
    for (int end = 0; end < 9; ++end) {
        now += 1s;
        const RestartBackoff::Clock::time_point due = backoff.ended();
        EXPECT_EQ(now + backoff.lastDelay(), due);
        delays.push_back(backoff.lastDelay().count());
    }
    EXPECT_EQ((std::vector<long long>{1, 2, 4, 8, 16, 32, 60, 60, 60}), delays);
    // Just short of ten minutes since the last end: still doubling, still capped.
    now += 10min - 1s;
    backoff.ended();
    EXPECT_EQ(60s, backoff.lastDelay());
    now += 10min;
    backoff.ended();
    EXPECT_EQ(1s, backoff.lastDelay());
    now += 1s;
    backoff.ended();
    EXPECT_EQ(2s, backoff.lastDelay());
}

// The events a child's health record passes on to its listener, and a wait for the n-th.
class Heard {
public:
    // The record of one child, `path`, whose listener keeps the events here.
    HealthReport report(const std::string& path) {
        auto health = std::make_shared<ChildHealth>(std::vector<std::string>{path});
        health->setListener([this](const ChildEvent& event) {
            std::lock_guard<std::mutex> lock(mutex);
            events.push_back(event);
            changed.notify_all();
        });
        return HealthReport{health, 0};
    }
    // The first `count` events once there are that many, or all there are after a generous bound.
    std::vector<ChildEvent> await(std::size_t count) {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait_for(lock, 3min, [&] { return events.size() >= count; });
        return events;
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<ChildEvent> events;
};

using Restart = HostingTest;

TEST_F(Restart, IsToldByTheSurrogatesEndAndEachTryWithTheDelayDoublingAfterOneThatFailed) {
    SimChild& child = makeChild(std::string(PLANT) + "fault connectionGetCurrentTime abort\n");
    Heard heard;
    const HealthReport report = heard.report(child.libraryPath());
    Quellan quellan(child.libraryPath(), std::nullopt, Isolation::PROCESS, report, true);
    ASSERT_TRUE(quellan.open());
    // Read at the next start only: the first restart finds the child refusing its open.
    child.writeSidecar(std::string(PLANT) + "fail connectionOpen 1\n");
    uint32_t time = 0;
    EXPECT_NE(QUELLAN2_STATUS_OK, quellan.proxy()->connectionGetCurrentTime(&time));
    const std::vector<ChildEvent> failed = heard.await(3);
    ASSERT_EQ(3u, failed.size());
    child.writeSidecar(PLANT);
    const std::vector<ChildEvent> events = heard.await(5);
    ASSERT_EQ(5u, events.size());

    std::vector<ChildEventKind> kinds;
    for (const ChildEvent& event : events) {
        kinds.push_back(event.kind);
        EXPECT_EQ(child.libraryPath(), event.child);
    }
    EXPECT_EQ((std::vector<ChildEventKind>{ChildEventKind::SURROGATE_ENDED, ChildEventKind::RESTART_TRIED,
                                           ChildEventKind::RESTART_GIVEN_UP, ChildEventKind::RESTART_TRIED,
                                           ChildEventKind::RESTART_DONE}),
              kinds);
    EXPECT_EQ("the surrogate process has gone, aborted; started again in 1 s", events[0].detail);
    EXPECT_EQ("quellan2_connectionOpen failed; started again in 2 s", events[2].detail);
    // The child's record counts the one restart that brought it back.
    const ChildHealthFigures figures = report.health->figures(0);
    EXPECT_EQ(1u, figures.restarts);
    EXPECT_EQ(ChildState::RUNNING, figures.state);

    EXPECT_EQ(QUELLAN2_STATUS_OK, quellan.proxy()->connectionGetCurrentTime(&time));
    EXPECT_EQ(1700000000u, time);
}

// No call need find the surrogate gone: the idle worker looks for itself.
TEST_F(Restart, ASurrogateKilledBetweenCallsIsStartedAgainWithoutACall) {
    SimChild& child = makeChild();
    Heard heard;
    const HealthReport report = heard.report(child.libraryPath());
    Quellan quellan(child.libraryPath(), std::nullopt, Isolation::PROCESS, report, true);
    ASSERT_TRUE(quellan.open());
    const std::vector<std::int64_t> surrogates = childProcessesOf(thisProcessId());
    ASSERT_EQ(1u, surrogates.size());
    ASSERT_TRUE(killProcess(surrogates[0]));

    const std::vector<ChildEvent> events = heard.await(3);
    ASSERT_EQ(3u, events.size());
    EXPECT_EQ(ChildEventKind::SURROGATE_ENDED, events[0].kind);
    EXPECT_NE(std::string::npos, events[0].detail.find("started again in 1 s")) << events[0].detail;
    EXPECT_EQ(ChildEventKind::RESTART_TRIED, events[1].kind);
    EXPECT_EQ(ChildEventKind::RESTART_DONE, events[2].kind);
    EXPECT_EQ(2u, child.journal("connectionOpen").size());
    EXPECT_TRUE(child.journal("connectionGetCurrentTime").empty()) << "no call came before the restart";
    uint32_t time = 0;
    EXPECT_EQ(QUELLAN2_STATUS_OK, quellan.proxy()->connectionGetCurrentTime(&time));
}

}  // namespace
}  // namespace mq::test
