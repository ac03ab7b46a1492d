// The test controls: failures, faults, delays, unwritten results, tree and vector quirks.
#include "SimFixture.h"
#include "samples/simquellan/SimQuellanControl.h"
#include "support/FaultEndings.h"

#include <algorithm>
#include <thread>

namespace mq::test {
namespace {

using SimQuellanControls = SimQuellanTest;

std::vector<std::string> statuses(const std::vector<JournalEntry>& entries) {
    std::vector<std::string> result;
    for (const JournalEntry& entry : entries) result.push_back(entry.status);
    return result;
}

TEST_F(SimQuellanControls, FailGivesTheStatusAfterSomeCallsForSomeCalls) {
    openPlant();
    ASSERT_EQ(child->control("fail connectionGetNumNodes 3 after=1 times=2"), 0u);
    std::vector<uint32_t> results;
    for (int i = 0; i < 4; ++i) {
        uint32_t count = 0;
        results.push_back(sim->connectionGetNumNodes(connection, &count));
    }
    EXPECT_EQ(results, (std::vector<uint32_t>{0, 3, 3, 0}));
    // openPlant has called it once before the control was set.
    EXPECT_EQ(statuses(child->journal("connectionGetNumNodes")),
              (std::vector<std::string>{"0", "0", "3", "3", "0"}));
}

TEST_F(SimQuellanControls, FailTakesAnyStatusAndWritesNothing) {
    start("fail getIdentity 4000000000\n");
    QUELLAN2_STRING identity = nullptr;
    EXPECT_EQ(sim->getIdentity(&identity), 4000000000u);
    EXPECT_EQ(identity, nullptr);
    EXPECT_EQ(child->journal("getIdentity").at(0).status, "4000000000");
}

TEST_F(SimQuellanControls, SleepKeepsACallInsideWhileOthersComeAndGo) {
    openPlant();
    ASSERT_EQ(child->control("sleep connectionGetNumNodes 1000 times=1"), 0u);
    std::thread sleeper([&] {
        uint32_t count = 0;
        EXPECT_EQ(sim->connectionGetNumNodes(connection, &count), QUELLAN2_STATUS_OK);
    });
    // Calls made until the sleeper's call is journaled meet it inside.
    std::size_t calls = 0;
    for (uint32_t time = 0; child->journal("connectionGetNumNodes").size() < 2; ++calls)
        sim->connectionGetCurrentTime(connection, &time);
    sleeper.join();
    EXPECT_GT(calls, 0u);
    const std::vector<std::string> notes = child->journalNotes();
    EXPECT_NE(notes.end(), std::find_if(notes.begin(), notes.end(), [](const std::string& note) {
                  return note.find("overlapping call") != std::string::npos;
              })) << "no call met the sleeping one";
}

TEST_F(SimQuellanControls, UnwrittenReturnsOkAndLeavesOutValuesAlone) {
    openPlant();
    child->control("unwritten connectionGetNumNodes");
    child->control("unwritten connectionReadCurrentData");
    child->control("unwritten nodeGetBatchTimes");
    uint32_t count = 77;
    EXPECT_EQ(sim->connectionGetNumNodes(connection, &count), QUELLAN2_STATUS_OK);
    EXPECT_EQ(count, 77u);
    QUELLAN2_VECTOR result = nullptr;
    EXPECT_EQ(sim->connectionReadCurrentData(connection, &temperature, 1, &result), QUELLAN2_STATUS_OK);
    EXPECT_EQ(result, nullptr);
    uint32_t start = 0xffffffffu;
    uint32_t end = 0xffffffffu;
    EXPECT_EQ(sim->nodeGetBatchTimes(line1, "B-001", 0, &start, &end), QUELLAN2_STATUS_OK);
    EXPECT_EQ(start, 0xffffffffu);
    EXPECT_EQ(end, 0xffffffffu);
}

TEST_F(SimQuellanControls, AnExceptionCaughtInsideKeepsTheFunctionWorking) {
    openPlant();
    child->control("fault nodeGetNumTags caught");
    uint32_t count = 0;
    EXPECT_EQ(sim->nodeGetNumTags(line1, &count), QUELLAN2_STATUS_OK);
    EXPECT_EQ(count, 2u);
}

TEST_F(SimQuellanControls, AThrownExceptionLeavesTheFunctionAndIsJournaled) {
    openPlant();
    child->control("fault nodeGetNumTags throw times=1");
    uint32_t count = 0;
    bool thrown = false;
    try {
        sim->nodeGetNumTags(line1, &count);
    } catch (...) {
        thrown = true;
    }
    EXPECT_TRUE(thrown);
    EXPECT_EQ(sim->nodeGetNumTags(line1, &count), QUELLAN2_STATUS_OK);
    std::vector<JournalEntry> entries = child->journal("nodeGetNumTags");
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries[entries.size() - 2].status, "fault throw");
    EXPECT_FALSE(entries[entries.size() - 2].returned());
    EXPECT_TRUE(entries.back().returned());
}

using SimQuellanControlsDeathTest = SimQuellanTest;

TEST_F(SimQuellanControlsDeathTest, AnAccessViolationEndsAnUnguardedCaller) {
    openPlant();
    child->control("fault nodeGetNumTags access after=1");
    uint32_t count = 0;
    EXPECT_EQ(sim->nodeGetNumTags(line1, &count), QUELLAN2_STATUS_OK);
    EXPECT_EXIT(sim->nodeGetNumTags(line1, &count), EndedBy{FaultEnding::ACCESS_VIOLATION},
                faultReport(FaultEnding::ACCESS_VIOLATION));
}

TEST_F(SimQuellanControlsDeathTest, ADivisionByZeroEndsAnUnguardedCaller) {
    openPlant();
    child->control("fault tagGetUpdateTime divide");
    uint32_t time = 0;
    EXPECT_EXIT(sim->tagGetUpdateTime(temperature, &time), EndedBy{FaultEnding::DIVISION_BY_ZERO},
                faultReport(FaultEnding::DIVISION_BY_ZERO));
}

class SimQuellanFaultWords : public SimQuellanTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(SimQuellanFaultWords, EachIsAControlThatLeavesTheCallsBeforeItAlone) {
    openPlant();
    EXPECT_EQ(child->control(std::string("fault nodeGetNumTags ") + GetParam() + " after=1"), 0u);
    uint32_t count = 0;
    EXPECT_EQ(sim->nodeGetNumTags(line1, &count), QUELLAN2_STATUS_OK);
    EXPECT_EQ(count, 2u);
}

INSTANTIATE_TEST_SUITE_P(Every, SimQuellanFaultWords,
                         ::testing::Values("access", "divide", "throw", "caught", "stack", "abort", "exit", "heap"));

// Calls getIdentity of SimQuellan as built, made to fault with `fault`. No
// copy, no sidecar and no journal, so that the process the fault ends leaves
// no files behind: a threadsafe death test runs the test again in a process of
// its own up to here, and whatever it made before would stay.
void callFaultingGetIdentity(const std::string& fault) {
    SimModule sim(libraryPath("SimQuellan"));
    auto control = reinterpret_cast<SIMQUELLAN_PFN_control>(sim.library().resolve("simquellan_control"));
    control("journal off");
    control(("fault getIdentity " + fault).c_str());
    QUELLAN2_STRING identity = nullptr;
    sim->getIdentity(&identity);
}

TEST(SimQuellanProcessEndingFaultsDeathTest, ExitEndsTheProcessWithSimQuellansExitCode) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(callFaultingGetIdentity("exit"), ::testing::ExitedWithCode(SIMQUELLAN_EXIT_CODE), "");
}

TEST(SimQuellanProcessEndingFaultsDeathTest, ADoubleFreeEndsTheProcessInTheHeapsChecks) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(callFaultingGetIdentity("heap"), EndedBy{FaultEnding::DOUBLE_FREE}, faultReport(FaultEnding::DOUBLE_FREE));
}

TEST_F(SimQuellanControls, RefusalsOfNodesSubNodesTagsAndNames) {
    start(std::string(TEST_PLANT) +
          "refuse connectionGetNode 1\nrefuse nodeGetTag Line1 0\nrefuse tagGetName Line1 Phase\n"
          "refuse nodeGetName Line1/Tank1\nrefuse nodeGetNode Line1/Tank1 0\n");
    connection = sim->open();
    QUELLAN2_NODE node = nullptr;
    EXPECT_EQ(sim->connectionGetNode(connection, 1, &node), QUELLAN2_STATUS_ERROR);
    ASSERT_EQ(sim->connectionGetNode(connection, 0, &line1), QUELLAN2_STATUS_OK);
    QUELLAN2_TAG tag = nullptr;
    EXPECT_EQ(sim->nodeGetTag(line1, 0, &tag), QUELLAN2_STATUS_ERROR);
    EXPECT_EQ(sim->nodeGetTag(line1, 1, &tag), QUELLAN2_STATUS_OK);
    QUELLAN2_STRING name = nullptr;
    EXPECT_EQ(sim->tagGetName(tag, &name), QUELLAN2_STATUS_ERROR);
    QUELLAN2_NODE tank = nullptr;
    ASSERT_EQ(sim->nodeGetNode(line1, 0, &tank), QUELLAN2_STATUS_OK);
    EXPECT_EQ(sim->nodeGetName(tank, &name), QUELLAN2_STATUS_ERROR);
    EXPECT_EQ(sim->nodeGetNode(tank, 0, &node), QUELLAN2_STATUS_ERROR);
    EXPECT_EQ(name, nullptr);
}

TEST_F(SimQuellanControls, ShortVectorsUnknownTypesAndFailingGetters) {
    openPlant();
    QUELLAN2_TAG tags[] = {temperature, phase, temperature};
    child->control("vector connectionReadCurrentData short=1 badtype=1 failget=0 times=1");
    QUELLAN2_VECTOR result = nullptr;
    ASSERT_EQ(sim->connectionReadCurrentData(connection, tags, 3, &result), QUELLAN2_STATUS_OK);
    uint32_t length = 0;
    sim->vectorGetLength(result, &length);
    EXPECT_EQ(length, 2u);
    uint32_t types[2] = {};
    sim->vectorGetType(result, 0, &types[0]);
    sim->vectorGetType(result, 1, &types[1]);
    EXPECT_EQ(types[0], QUELLAN2_TYPE_FLOAT);
    EXPECT_EQ(types[1], 7u);
    float number = 0;
    EXPECT_EQ(sim->vectorGetFloat(result, 0, &number), QUELLAN2_STATUS_ERROR);
    sim->vectorFree(result);
    ASSERT_EQ(sim->connectionReadCurrentData(connection, tags, 3, &result), QUELLAN2_STATUS_OK);
    EXPECT_EQ(sim->values(result).size(), 3u);
}

TEST_F(SimQuellanControls, NoVectorAtAll) {
    openPlant();
    child->control("vector connectionReadBatchDataEx none");
    child->control("vector connectionReadHistoricalDataEx none");
    QUELLAN2_VECTOR result = nullptr;
    EXPECT_EQ(sim->connectionReadBatchDataEx(connection, &temperature, 1, "B-001", 0, &result), QUELLAN2_STATUS_OK);
    EXPECT_EQ(result, nullptr);
    QUELLAN2_VECTOR slots[2] = {};
    sim->vectorCreate(1, &slots[0]);
    EXPECT_EQ(sim->connectionReadHistoricalDataEx(connection, &temperature, 1, 0, 1, 2, slots), QUELLAN2_STATUS_OK);
    EXPECT_EQ(slots[0], nullptr);
    EXPECT_EQ(slots[1], nullptr);
}

TEST_F(SimQuellanControls, RunTimeLinesOutliveInitializeUntilReset) {
    openPlant();
    EXPECT_EQ(child->control("fail nodeGetNumTags 1"), 0u);
    EXPECT_EQ(child->control("node Extra Extra line"), 0u);
    connection = sim->open();
    EXPECT_EQ(sim->topNodeNames(connection), (std::vector<std::string>{"Line 1", "Line 2", "Extra line"}));
    uint32_t count = 0;
    EXPECT_EQ(sim->nodeGetNumTags(line1, &count), QUELLAN2_STATUS_ERROR);
    EXPECT_EQ(child->control("reset"), 0u);
    EXPECT_EQ(sim->nodeGetNumTags(line1, &count), QUELLAN2_STATUS_OK);
    EXPECT_EQ(sim->topNodeNames(connection), (std::vector<std::string>{"Line 1", "Line 2"}));
}

TEST_F(SimQuellanControls, LinesThatAreNotControlsAreRefused) {
    start();
    EXPECT_EQ(child->control("fail noSuchFunction 1"), 2u);
    EXPECT_EQ(child->control("fail quellan2_vectorFree 1"), 2u);
    EXPECT_EQ(child->control("fault vectorFree explode"), 2u);
    EXPECT_EQ(child->control("vector vectorFree"), 2u);
    EXPECT_EQ(child->control("sleep vectorFree 10 later=2"), 2u);
    EXPECT_EQ(child->control("tag NoNode X float"), 2u);
    EXPECT_EQ(child->control("frobnicate"), 2u);
    EXPECT_EQ(child->control("# a comment"), 0u);
}

}  // namespace
}  // namespace mq::test
