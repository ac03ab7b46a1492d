// Deterministic values, the clock, batches, and writes read back.
#include "SimFixture.h"

#include <cstring>

namespace mq::test {
namespace {

using SimQuellanData = SimQuellanTest;

uint32_t bitsOf(const SimValue& value) {
    uint32_t bits = 0;
    float number = std::get<float>(value);
    std::memcpy(&bits, &number, sizeof bits);
    return bits;
}

TEST_F(SimQuellanData, CurrentValuesAreTheSimulatedValuesAtTheFixedClock) {
    openPlant();
    QUELLAN2_TAG tags[] = {temperature, phase, temperature};
    QUELLAN2_VECTOR result = nullptr;
    ASSERT_EQ(sim->connectionReadCurrentData(connection, tags, 3, &result), QUELLAN2_STATUS_OK);
    std::vector<SimValue> values = sim->values(result);
    SimValue expectedTemperature = child->expectedValue("Line1", "TT-101", 1000000);
    EXPECT_EQ(values, (std::vector<SimValue>{expectedTemperature, child->expectedValue("Line1", "Phase", 1000000),
                                             expectedTemperature}));
}

TEST_F(SimQuellanData, ValuesAreTheSameBitsOnEveryPlatform) {
    openPlant();
    QUELLAN2_VECTOR results[3] = {};
    ASSERT_EQ(sim->connectionReadHistoricalDataEx(connection, &temperature, 1, 1000000, 60, 2, results), QUELLAN2_STATUS_OK);
    EXPECT_EQ(bitsOf(sim->values(results[0])[0]), 0x419b3d71u);  // 19.405
    EXPECT_EQ(bitsOf(sim->values(results[1])[0]), 0x419a6a7fu);  // 19.302
    QUELLAN2_VECTOR result = nullptr;
    ASSERT_EQ(sim->connectionReadHistoricalData(connection, &phase, 1, 1000600, &result), QUELLAN2_STATUS_OK);
    EXPECT_EQ(sim->values(result), std::vector<SimValue>{std::string("Drain")});
}

TEST_F(SimQuellanData, HistoricalSamplesFollowStartAndInterval) {
    openPlant();
    QUELLAN2_TAG tags[] = {phase, temperature};
    QUELLAN2_VECTOR results[4] = {};
    ASSERT_EQ(sim->connectionReadHistoricalDataEx(connection, tags, 2, 500000, 450, 4, results), QUELLAN2_STATUS_OK);
    for (int s = 0; s < 4; ++s) {
        int64_t time = 500000 + 450 * s;
        EXPECT_EQ(sim->values(results[s]), (std::vector<SimValue>{child->expectedValue("Line1", "Phase", time),
                                                                   child->expectedValue("Line1", "TT-101", time)}))
            << "sample " << s;
    }
}

TEST_F(SimQuellanData, HistoricalReadFillsVectorsAlreadyInTheSlots) {
    openPlant();
    QUELLAN2_VECTOR results[2] = {};
    sim->vectorCreate(1, &results[0]);
    sim->vectorCreate(1, &results[1]);
    QUELLAN2_VECTOR made[2] = {results[0], results[1]};
    ASSERT_EQ(sim->connectionReadHistoricalDataEx(connection, &temperature, 1, 2000, 10, 2, results), QUELLAN2_STATUS_OK);
    EXPECT_EQ(results[0], made[0]);
    EXPECT_EQ(results[1], made[1]);
    EXPECT_EQ(sim->values(results[1]), std::vector<SimValue>{child->expectedValue("Line1", "TT-101", 2010)});
    sim->vectorFree(results[0]);
}

TEST_F(SimQuellanData, StatesInQuotesMayHoldBlanks) {
    const std::string plant = "clock 0\nnode Line1 Line 1\ntag Line1 TT-101 float\n"
                              "tag Line1 Phase string \"states=Crash cooling,Diacetyl rest\" dwell=10\n";
    openPlant(plant);
    QUELLAN2_VECTOR results[2] = {};
    ASSERT_EQ(sim->connectionReadHistoricalDataEx(connection, &phase, 1, 0, 10, 2, results), QUELLAN2_STATUS_OK);
    std::vector<SimValue> first = sim->values(results[0]);
    std::vector<SimValue> second = sim->values(results[1]);
    EXPECT_EQ(first, std::vector<SimValue>{child->expectedValue("Line1", "Phase", 0)});
    EXPECT_NE(first, second);
    EXPECT_TRUE(first[0] == SimValue(std::string("Crash cooling")) || first[0] == SimValue(std::string("Diacetyl rest")));
}

TEST_F(SimQuellanData, CurrentTimeAndUpdateTimesComeFromTheChildsClock) {
    openPlant();
    uint32_t now = 0;
    ASSERT_EQ(sim->connectionGetCurrentTime(connection, &now), QUELLAN2_STATUS_OK);
    EXPECT_EQ(now, 1000000u);
    uint32_t updated = 0;
    ASSERT_EQ(sim->tagGetUpdateTime(temperature, &updated), QUELLAN2_STATUS_OK);
    EXPECT_EQ(updated, expectedUpdateTime(TEST_PLANT, "Line1", "TT-101", 1000000));
    EXPECT_LE(updated, 1000000u);
    EXPECT_GT(updated, 1000000u - 60);
    EXPECT_EQ(child->control("clock 2000000"), 0u);
    ASSERT_EQ(sim->connectionGetCurrentTime(connection, &now), QUELLAN2_STATUS_OK);
    EXPECT_EQ(now, 2000000u);
}

TEST_F(SimQuellanData, RealClockIsTheDefault) {
    openPlant("node Line1 Line 1\ntag Line1 TT-101 float\ntag Line1 Phase string\n");
    uint32_t now = 0;
    ASSERT_EQ(sim->connectionGetCurrentTime(connection, &now), QUELLAN2_STATUS_OK);
    EXPECT_GT(now, 1600000000u);
}

TEST_F(SimQuellanData, ActiveBatchesAreThoseOverlappingTheRange) {
    openPlant();
    QUELLAN2_VECTOR result = nullptr;
    ASSERT_EQ(sim->nodeGetActiveBatches(line1, 999450, 1000500, &result), QUELLAN2_STATUS_OK);
    EXPECT_EQ(sim->values(result),
              (std::vector<SimValue>{std::string("B-001"), std::string("B-002"), std::string("B-003")}));
    ASSERT_EQ(sim->nodeGetActiveBatches(line1, 999600, 1000000, &result), QUELLAN2_STATUS_OK);
    EXPECT_EQ(sim->values(result), std::vector<SimValue>{std::string("B-002")});
    ASSERT_EQ(sim->nodeGetActiveBatches(line1, 2000000, 2000001, &result), QUELLAN2_STATUS_OK);
    EXPECT_TRUE(sim->values(result).empty());
}

TEST_F(SimQuellanData, BatchTimesOfKnownBatchesAndFailureForUnknownOnes) {
    openPlant();
    uint32_t start = 0;
    uint32_t end = 0;
    ASSERT_EQ(sim->nodeGetBatchTimes(line1, "B-002", 0, &start, &end), QUELLAN2_STATUS_OK);
    EXPECT_EQ(start, 999400u);
    EXPECT_EQ(end, 1000400u);
    start = end = 7;
    EXPECT_EQ(sim->nodeGetBatchTimes(line1, "B-999", 0, &start, &end), QUELLAN2_STATUS_ERROR);
    EXPECT_EQ(start, 7u);
    EXPECT_EQ(end, 7u);
}

TEST_F(SimQuellanData, BatchValuesAreTheValuesAtTheBatchEnd) {
    openPlant();
    QUELLAN2_TAG tags[] = {temperature, phase};
    QUELLAN2_VECTOR result = nullptr;
    ASSERT_EQ(sim->connectionReadBatchDataEx(connection, tags, 2, "B-001", 5, &result), QUELLAN2_STATUS_OK);
    EXPECT_EQ(sim->values(result), (std::vector<SimValue>{child->expectedValue("Line1", "TT-101", 999500),
                                                          child->expectedValue("Line1", "Phase", 999500)}));
    ASSERT_EQ(sim->connectionReadBatchData(connection, tags, 2, "unknown", &result), QUELLAN2_STATUS_OK);
    EXPECT_EQ(sim->values(result), (std::vector<SimValue>{std::monostate(), std::monostate()}));
}

TEST_F(SimQuellanData, HistoricalWritesAreReadBack) {
    openPlant();
    QUELLAN2_TAG tags[] = {temperature, phase};
    QUELLAN2_VECTOR values[2] = {sim->makeVector({1.5f, std::string("abc")}),
                                 sim->makeVector({std::monostate(), std::string("def")})};
    ASSERT_EQ(sim->connectionWriteHistoricalDataEx(connection, tags, 2, 3000, 100, 2, values), QUELLAN2_STATUS_OK);
    QUELLAN2_VECTOR single = sim->makeVector({2.5f});
    ASSERT_EQ(sim->connectionWriteHistoricalData(connection, tags, 1, 4000, single), QUELLAN2_STATUS_OK);
    sim->vectorFree(values[0]);
    sim->vectorFree(values[1]);
    sim->vectorFree(single);

    QUELLAN2_VECTOR results[3] = {};
    ASSERT_EQ(sim->connectionReadHistoricalDataEx(connection, tags, 2, 3000, 100, 3, results), QUELLAN2_STATUS_OK);
    EXPECT_EQ(sim->values(results[0]), (std::vector<SimValue>{1.5f, std::string("abc")}));
    EXPECT_EQ(sim->values(results[1]), (std::vector<SimValue>{std::monostate(), std::string("def")}));
    EXPECT_EQ(sim->values(results[2]), (std::vector<SimValue>{child->expectedValue("Line1", "TT-101", 3200),
                                                              child->expectedValue("Line1", "Phase", 3200)}));
    QUELLAN2_VECTOR result = nullptr;
    ASSERT_EQ(sim->connectionReadHistoricalData(connection, tags, 1, 4000, &result), QUELLAN2_STATUS_OK);
    EXPECT_EQ(sim->values(result), std::vector<SimValue>{2.5f});
}

TEST_F(SimQuellanData, CurrentReadShowsAValueWrittenAtTheClockTime) {
    openPlant();
    QUELLAN2_VECTOR value = sim->makeVector({std::string("written")});
    ASSERT_EQ(sim->connectionWriteHistoricalData(connection, &temperature, 1, 1000000, value), QUELLAN2_STATUS_OK);
    sim->vectorFree(value);
    QUELLAN2_VECTOR result = nullptr;
    ASSERT_EQ(sim->connectionReadCurrentData(connection, &temperature, 1, &result), QUELLAN2_STATUS_OK);
    EXPECT_EQ(sim->values(result), std::vector<SimValue>{std::string("written")});
}

TEST_F(SimQuellanData, BatchWritesAreReadBackForTheSameBatch) {
    openPlant();
    QUELLAN2_TAG tags[] = {temperature, phase};
    QUELLAN2_VECTOR values = sim->makeVector({7.25f, std::string("done")});
    ASSERT_EQ(sim->connectionWriteBatchDataEx(connection, tags, 2, "B-003", 1, values), QUELLAN2_STATUS_OK);
    sim->vectorFree(values);
    values = sim->makeVector({8.5f});
    ASSERT_EQ(sim->connectionWriteBatchData(connection, tags, 1, "New batch", values), QUELLAN2_STATUS_OK);
    sim->vectorFree(values);
    QUELLAN2_VECTOR result = nullptr;
    ASSERT_EQ(sim->connectionReadBatchData(connection, tags, 2, "B-003", &result), QUELLAN2_STATUS_OK);
    EXPECT_EQ(sim->values(result), (std::vector<SimValue>{7.25f, std::string("done")}));
    ASSERT_EQ(sim->connectionReadBatchDataEx(connection, tags, 2, "New batch", 0, &result), QUELLAN2_STATUS_OK);
    EXPECT_EQ(sim->values(result), (std::vector<SimValue>{8.5f, std::monostate()}));
}

TEST_F(SimQuellanData, WritesOfTheWrongLengthOrToUnknownTagsAreInvalid) {
    openPlant();
    QUELLAN2_TAG tags[] = {temperature, reinterpret_cast<QUELLAN2_TAG>(999)};
    QUELLAN2_VECTOR values = sim->makeVector({1.0f, 2.0f});
    EXPECT_EQ(sim->connectionWriteHistoricalData(connection, tags, 1, 0, values), QUELLAN2_STATUS_INVALID_PARAMETER);
    EXPECT_EQ(sim->connectionWriteHistoricalData(connection, tags, 2, 0, values), QUELLAN2_STATUS_INVALID_PARAMETER);
    sim->vectorFree(values);
}

TEST_F(SimQuellanData, StringsAndVectorsBehaveAsTheInterfaceSays) {
    start();
    QUELLAN2_STRING string = nullptr;
    ASSERT_EQ(sim->stringCreate("abc", &string), QUELLAN2_STATUS_OK);
    uint32_t length = 0;
    EXPECT_EQ(sim->stringCopy(string, nullptr, &length), QUELLAN2_STATUS_INSUFFICIENT_BUFFER);
    EXPECT_EQ(length, 3u);
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(sim->stringCopy(string, buffer, &length), QUELLAN2_STATUS_OK);
    EXPECT_EQ(std::string(buffer, 4), "abcx");
    sim->stringFree(string);
    QUELLAN2_VECTOR vector = nullptr;
    EXPECT_EQ(sim->vectorCreate(0, &vector), QUELLAN2_STATUS_INVALID_PARAMETER);
    ASSERT_EQ(sim->vectorCreate(2, &vector), QUELLAN2_STATUS_OK);
    sim->vectorSetFloat(vector, 0, 3.5f);
    float number = 0;
    QUELLAN2_STRING text = nullptr;
    EXPECT_EQ(sim->vectorGetString(vector, 0, &text), QUELLAN2_STATUS_ERROR);
    EXPECT_EQ(sim->vectorGetFloat(vector, 1, &number), QUELLAN2_STATUS_ERROR);
    uint32_t type = 9;
    EXPECT_EQ(sim->vectorGetType(vector, 2, &type), QUELLAN2_STATUS_INVALID_PARAMETER);
    sim->vectorSetNull(vector, 0);
    EXPECT_EQ(sim->values(vector), (std::vector<SimValue>{std::monostate(), std::monostate()}));
}

}  // namespace
}  // namespace mq::test
