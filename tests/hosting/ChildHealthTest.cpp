// A child's health record: what each event does to the figures, and the listener that is told of it.
#include "hosting/ChildHealth.h"

#include <gtest/gtest.h>

#include <vector>

namespace mq {
namespace {

struct EventCase {
    ChildEventKind kind;
    ChildState state;
    std::uint64_t faults, timeouts, restarts;
};

class ChildHealthEvents : public ::testing::TestWithParam<EventCase> {};

TEST_P(ChildHealthEvents, SetTheStateAndCountersTheyImplyAndKeepTheLastProblem) {
    const EventCase& c = GetParam();
    ChildHealth health({"/a/One.so", "/a/Two.so"});
    health.record(1, c.kind, "connectionReadCurrentData", "what happened");
    const ChildHealthFigures two = health.figures(1);
    EXPECT_STREQ(stateName(c.state), stateName(two.state));
    EXPECT_EQ(c.faults, two.faults);
    EXPECT_EQ(c.timeouts, two.timeouts);
    EXPECT_EQ(c.restarts, two.restarts);
    EXPECT_NE(std::string::npos, two.lastProblem.find("Z connectionReadCurrentData: " + std::string(eventName(c.kind)) +
                                                      ", what happened"))
        << two.lastProblem;
    // The other child is untouched.
    EXPECT_EQ("", health.figures(0).lastProblem);
    EXPECT_STREQ("running", stateName(health.figures(0).state));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ChildHealthEvents,
    ::testing::Values(EventCase{ChildEventKind::LEFT_OUT, ChildState::LEFT_OUT, 0, 0, 0},
                      EventCase{ChildEventKind::FAULT, ChildState::RUNNING, 1, 0, 0},
                      EventCase{ChildEventKind::TIMEOUT, ChildState::RUNNING, 0, 1, 0},
                      EventCase{ChildEventKind::HUNG, ChildState::HUNG, 0, 0, 0},
                      EventCase{ChildEventKind::SURROGATE_ENDED, ChildState::ENDED, 0, 0, 0},
                      EventCase{ChildEventKind::RESTART_TRIED, ChildState::RESTARTING, 0, 0, 0},
                      EventCase{ChildEventKind::RESTART_DONE, ChildState::RUNNING, 0, 0, 1},
                      EventCase{ChildEventKind::RESTART_GIVEN_UP, ChildState::GIVEN_UP, 0, 0, 0}));

TEST(ChildHealth, TellsItsListenerEveryEventOutsideItsLock) {
    ChildHealth health({"/a/One.so"});
    std::vector<ChildEvent> told;
    health.setListener([&](const ChildEvent& event) {
        // Reading the figures takes the record's lock: a listener called under it would never return.
        EXPECT_EQ(1u, health.figures(0).timeouts);
        told.push_back(event);
    });
    health.callMade(0);
    health.record(0, ChildEventKind::TIMEOUT, "tagGetUpdateTime", "given up");
    health.record(0, ChildEventKind::HUNG, "tagGetUpdateTime", "");
    ASSERT_EQ(2u, told.size());
    EXPECT_EQ(ChildEventKind::TIMEOUT, told[0].kind);
    EXPECT_EQ("/a/One.so", told[0].child);
    EXPECT_EQ("tagGetUpdateTime", told[0].function);
    EXPECT_EQ("given up", told[0].detail);
    EXPECT_EQ(ChildEventKind::HUNG, told[1].kind);
    EXPECT_EQ(1u, health.figures(0).calls);
}

}  // namespace
}  // namespace mq
