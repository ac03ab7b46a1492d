// Every argument check of the data operations: a refused call calls no child
// and writes nothing through its out pointers.
#include "MultiplexerFixture.h"

namespace mq::test {
namespace {

const char* const PLANT = "clock 1700000000\nnode N\ntag N a float\ntag N b float\nbatch N B 1 2\n";
const QUELLAN2_VECTOR UNTOUCHED = reinterpret_cast<QUELLAN2_VECTOR>(0x5A5A);

class Validation : public MultiplexerTest {
protected:
    void SetUp() override {
        MultiplexerTest::SetUp();
        addChild("Child", PLANT);
        configure();
        connection = open();
        ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorCreate(2, &values));
        clearJournals();
    }
    void TearDown() override {
        EXPECT_TRUE(noChildWasCalled());
        (*plugin)->vectorFree(values);
        MultiplexerTest::TearDown();
    }

    QUELLAN2_CONNECTION connection = nullptr;
    QUELLAN2_VECTOR values = nullptr;
    const QUELLAN2_TAG tags[2] = {tag(1), tag(2)};
    const QUELLAN2_TAG withZero[2] = {tag(1), nullptr};
    const QUELLAN2_TAG beyond[2] = {tag(1), tag(3)};
    QUELLAN2_VECTOR result = UNTOUCHED;
};

TEST_F(Validation, CurrentRead) {
    const auto& read = (*plugin)->connectionReadCurrentData;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(nullptr, tags, 2, &result));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(connection, nullptr, 2, &result));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(connection, tags, 0, &result));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(connection, tags, 2, nullptr));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(connection, withZero, 2, &result));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(connection, beyond, 2, &result));
    EXPECT_EQ(UNTOUCHED, result);
}

TEST_F(Validation, HistoricalRead) {
    const auto& read = (*plugin)->connectionReadHistoricalDataEx;
    QUELLAN2_VECTOR results[2] = {UNTOUCHED, UNTOUCHED};
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(nullptr, tags, 2, 0, 1, 2, results));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(connection, nullptr, 2, 0, 1, 2, results));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(connection, tags, 0, 0, 1, 2, results));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(connection, tags, 2, -1, 1, 2, results));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(connection, tags, 2, 0, -1, 2, results));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(connection, tags, 2, 0, 1, 0, results));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(connection, tags, 2, 0, 1, 2, nullptr));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(connection, withZero, 2, 0, 1, 2, results));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->connectionReadHistoricalData(connection, tags, 2, -5, results));
    EXPECT_EQ(UNTOUCHED, results[0]);
    EXPECT_EQ(UNTOUCHED, results[1]);
}

TEST_F(Validation, BatchRead) {
    const auto& read = (*plugin)->connectionReadBatchDataEx;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(nullptr, tags, 2, "B", 0, &result));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(connection, nullptr, 2, "B", 0, &result));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(connection, tags, 0, "B", 0, &result));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(connection, tags, 2, nullptr, 0, &result));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(connection, tags, 2, "B", -1, &result));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(connection, tags, 2, "B", 0, nullptr));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, read(connection, withZero, 2, "B", 0, &result));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->connectionReadBatchData(connection, tags, 2, nullptr, &result));
    EXPECT_EQ(UNTOUCHED, result);
}

TEST_F(Validation, Writes) {
    const QUELLAN2_VECTOR samples[] = {values};
    const auto& history = (*plugin)->connectionWriteHistoricalDataEx;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, history(nullptr, tags, 2, 0, 1, 1, samples));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, history(connection, nullptr, 2, 0, 1, 1, samples));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, history(connection, tags, 0, 0, 1, 1, samples));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, history(connection, tags, 2, -1, 1, 1, samples));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, history(connection, tags, 2, 0, -1, 1, samples));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, history(connection, tags, 2, 0, 1, 0, samples));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, history(connection, tags, 2, 0, 1, 1, nullptr));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, history(connection, withZero, 2, 0, 1, 1, samples));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, history(connection, beyond, 2, 0, 1, 1, samples));
    const auto& batch = (*plugin)->connectionWriteBatchDataEx;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, batch(nullptr, tags, 2, "B", 0, values));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, batch(connection, nullptr, 2, "B", 0, values));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, batch(connection, tags, 0, "B", 0, values));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, batch(connection, tags, 2, nullptr, 0, values));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, batch(connection, tags, 2, "B", -1, values));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, batch(connection, tags, 2, "B", 0, nullptr));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, batch(connection, withZero, 2, "B", 0, values));
}

TEST_F(Validation, NodeAndTagOperations) {
    uint32_t start = 7, end = 7, time = 7;
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetActiveBatches(nullptr, 0, 1, &result));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetActiveBatches(node(1), -1, 1, &result));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetActiveBatches(node(1), 0, -1, &result));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetActiveBatches(node(1), 5, 4, &result));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetActiveBatches(node(1), 0, 1, nullptr));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetActiveBatches(node(2), 0, 1, &result));
    EXPECT_EQ(UNTOUCHED, result);
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetBatchTimes(nullptr, "B", 0, &start, &end));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetBatchTimes(node(1), nullptr, 0, &start, &end));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetBatchTimes(node(1), "B", -1, &start, &end));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetBatchTimes(node(1), "B", 0, nullptr, &end));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetBatchTimes(node(1), "B", 0, &start, nullptr));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->nodeGetBatchTimes(node(9), "B", 0, &start, &end));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->tagGetUpdateTime(nullptr, &time));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->tagGetUpdateTime(tag(1), nullptr));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->tagGetUpdateTime(tag(3), &time));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->connectionGetCurrentTime(nullptr, &time));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, (*plugin)->connectionGetCurrentTime(connection, nullptr));
    EXPECT_EQ(7u, start);
    EXPECT_EQ(7u, end);
    EXPECT_EQ(7u, time);
}

}  // namespace
}  // namespace mq::test
