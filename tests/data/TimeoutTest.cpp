// Call timeouts: a call given up is a failing child call, and the child is then left alone.
#include "TimeoutFixture.h"
#include "support/HostOperations.h"

#include <algorithm>
#include <functional>
#include <tuple>

namespace mq::test {
namespace {

constexpr int64_t CLOCK = 1700000000;

QUELLAN2_NODE nodeAt(uintptr_t position) {
    return reinterpret_cast<QUELLAN2_NODE>(position);
}

// Tags of both children: the slow child's 1 and 2, the healthy child's 4 and 5.
const QUELLAN2_TAG BOTH[] = {tagAt(4), tagAt(1), tagAt(5), tagAt(2)};
// A slow and a healthy tag for writes; only the healthy one is read back.
const QUELLAN2_TAG WRITTEN[] = {tagAt(1), tagAt(4)};
const QUELLAN2_TAG HEALTHY_WRITTEN[] = {tagAt(4)};

// Each kind of call that reaches the slow child, named by the child's
// function that is slowed down.
std::vector<HostOperation> slowCalls() {
    std::vector<HostOperation> calls = dataOperations({{BOTH, 4}, {WRITTEN, 2}, {HEALTHY_WRITTEN, 1}, 2});
    calls.insert(calls.end(), {
            {"nodeGetActiveBatches",
             [](const LoadedPlugin& plugin, QUELLAN2_CONNECTION) {
                 QUELLAN2_VECTOR batches = nullptr;
                 EXPECT_EQ(QUELLAN2_STATUS_OK, plugin->nodeGetActiveBatches(nodeAt(1), 1699980000, 1700000000, &batches));
                 return take(plugin, batches);
             }},
            {"nodeGetBatchTimes",
             [](const LoadedPlugin& plugin, QUELLAN2_CONNECTION) {
                 uint32_t start = 0, end = 0;
                 EXPECT_EQ(QUELLAN2_STATUS_OK, plugin->nodeGetBatchTimes(nodeAt(1), "B-7", 1699999999, &start, &end));
                 return std::to_string(start) + " " + std::to_string(end);
             }},
            {"tagGetUpdateTime",
             [](const LoadedPlugin& plugin, QUELLAN2_CONNECTION) {
                 uint32_t time = 0;
                 EXPECT_EQ(QUELLAN2_STATUS_OK, plugin->tagGetUpdateTime(tagAt(1), &time));
                 return std::to_string(time);
             }},
            {"connectionGetCurrentTime",
             [](const LoadedPlugin& plugin, QUELLAN2_CONNECTION connection) {
                 uint32_t time = 0;
                 EXPECT_EQ(QUELLAN2_STATUS_OK, plugin->connectionGetCurrentTime(connection, &time));
                 return std::to_string(time);
             }},
    });
    return calls;
}
const std::vector<HostOperation> CALLS = slowCalls();

const char* const SEQUENTIAL = "";
const char* const PARALLEL = " parallel=\"true\"";

class TimedOutCall : public TimeoutTest,
                     public ::testing::WithParamInterface<std::tuple<HostOperation, const char*>> {};

TEST_P(TimedOutCall, IsAnsweredAsAFailingHostOperationAndTheChildIsThenLeftAlone) {
    const auto& [call, settings] = GetParam();
    configureSlowAndHealthy("Failing", "fail " + std::string(call.name) + " 1\n", settings);
    QUELLAN2_CONNECTION connection = open();
    const std::string failing = call.run(*plugin, connection);
    (*plugin)->connectionClose(connection);

    // The call takes 1 s and the timeout is 0.2 s.
    SimChild& slow = configureSlowAndHealthy("Hanging", "sleep " + std::string(call.name) + " 1000\n", settings);
    connection = open();
    EXPECT_EQ(failing, call.run(*plugin, connection)) << "the call given up";
    EXPECT_EQ(failing, call.run(*plugin, connection)) << "the next call, refused";
    awaitCalls(slow, call.name, 1);
    (*plugin)->connectionClose(connection);
    EXPECT_EQ(1u, slow.journal(call.name).size()) << "only the first call reached the child";
    EXPECT_EQ(1u, slow.journal("uninitialize").size()) << "the child was closed once it returned";
}

INSTANTIATE_TEST_SUITE_P(EveryKindOfCall, TimedOutCall,
                         ::testing::Combine(::testing::ValuesIn(CALLS), ::testing::Values(SEQUENTIAL, PARALLEL)),
                         [](const ::testing::TestParamInfo<std::tuple<HostOperation, const char*>>& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) == PARALLEL ? "Parallel" : "Sequential");
                         });

class TimedOutStart : public TimeoutTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(TimedOutStart, LeavesTheChildOutAndClosesItOnceItHasStarted) {
    SimChild& slow = configureSlowAndHealthy("Starting", "sleep connectionOpen 1000\n", GetParam());
    QUELLAN2_CONNECTION connection = open();
    uint32_t nodes = 0;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionGetNumNodes(connection, &nodes));
    EXPECT_EQ(1u, nodes) << "only the healthy child's node";
    QUELLAN2_VECTOR result = nullptr;
    const QUELLAN2_TAG healthyTag[] = {tagAt(2)};  // Q q1, the second tag now
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadCurrentData(connection, healthyTag, 1, &result));
    EXPECT_EQ(healthy->expectedValue("Q", "q1", CLOCK), valueAt(*plugin, result, 0));
    (*plugin)->vectorFree(result);
    awaitCalls(slow, "uninitialize", 1);
    EXPECT_EQ(1u, slow.journal("connectionOpen").size());
    // Names the tree read are given back after the child closes (strings outlive connections).
    std::vector<JournalEntry> calls = slow.journal();
    calls.erase(std::remove_if(calls.begin(), calls.end(), [](const JournalEntry& e) { return e.function == "stringFree"; }),
                calls.end());
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ("connectionClose", calls[calls.size() - 2].function) << "asked to stop while it was starting";
    EXPECT_EQ("uninitialize", calls.back().function);
}

INSTANTIATE_TEST_SUITE_P(OneAfterAnotherAndSideBySide, TimedOutStart, ::testing::Values(SEQUENTIAL, PARALLEL),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param == PARALLEL ? "Parallel" : "Sequential");
                         });

}  // namespace
}  // namespace mq::test
