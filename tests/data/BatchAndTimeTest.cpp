// The single-child operations: batch lists, batch times, update times, the current time.
#include "MultiplexerFixture.h"
#include "interface/OutValues.h"

namespace mq::test {
namespace {

std::string plant(int clock) {
    return "clock " + std::to_string(clock) +
           "\nnode Line\ntag Line T float base=1 every=60\n"
           "batch Line B-1 1000 2000\nbatch Line B-2 1500 2500\nbatch Line B-3 5000 6000\n";
}

class BatchesAndTimes : public MultiplexerTest {
protected:
    void openChildren(const std::vector<std::string>& sidecars) {
        int number = 0;
        for (const std::string& sidecar : sidecars) addChild("Child" + std::to_string(number++), sidecar);
        configure();
        connection = open();
        clearJournals();
    }
    std::vector<SimValue> batchList(uintptr_t nodeHandle, int32_t from, int32_t to) {
        QUELLAN2_VECTOR list = nullptr;
        EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->nodeGetActiveBatches(node(nodeHandle), from, to, &list));
        uint32_t length = 0;
        EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorGetLength(list, &length));
        std::vector<SimValue> values;
        for (uint32_t i = 0; i < length; ++i) values.push_back(valueAt(*plugin, list, i));
        (*plugin)->vectorFree(list);
        return values;
    }
    QUELLAN2_CONNECTION connection = nullptr;
};

TEST_F(BatchesAndTimes, ANodesActiveBatchesComeFromItsOwnChild) {
    openChildren({plant(100), plant(200)});
    EXPECT_EQ((std::vector<SimValue>{std::string("B-1"), std::string("B-2")}), batchList(2, 1200, 1800));
    EXPECT_EQ((std::vector<SimValue>{std::string("B-3")}), batchList(1, 6000, 6000)) << "from equal to to is accepted";
    EXPECT_EQ(1u, count(children[0]->journal(), "nodeGetActiveBatches")) << "node 1 is child 0's";
    EXPECT_EQ(1u, count(children[1]->journal(), "nodeGetActiveBatches"));
}

TEST_F(BatchesAndTimes, ABatchListKeepsTheChildsLengthAndNullsWhatItCannotRead) {
    openChildren({plant(100) + "vector nodeGetActiveBatches badtype=1\n"});
    EXPECT_EQ((std::vector<SimValue>{std::string("B-1"), std::monostate{}}), batchList(1, 1200, 1800));
}

TEST_F(BatchesAndTimes, ABatchListTheChildNeverDeliveredIsEmpty) {
    openChildren({plant(100) + "vector nodeGetActiveBatches none\n"});
    EXPECT_TRUE(batchList(1, 0, 9000).empty());
}

TEST_F(BatchesAndTimes, BatchTimesAreTheChildsOrAllBitsSetWhereItWroteNone) {
    openChildren({plant(100)});
    uint32_t start = 0, end = 0;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->nodeGetBatchTimes(node(1), "B-2", 0, &start, &end));
    EXPECT_EQ(1500u, start);
    EXPECT_EQ(2500u, end);
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->nodeGetBatchTimes(node(1), "no such batch", 0, &start, &end));
    EXPECT_EQ(UNWRITTEN_TIME, start);
    EXPECT_EQ(UNWRITTEN_TIME, end);
    ASSERT_EQ(0u, children[0]->control("unwritten nodeGetBatchTimes"));
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->nodeGetBatchTimes(node(1), "B-2", 0, &start, &end));
    EXPECT_EQ(UNWRITTEN_TIME, start);
    EXPECT_EQ(UNWRITTEN_TIME, end);
}

TEST_F(BatchesAndTimes, TheUpdateTimeIsTheChildsOrAllBitsSet) {
    openChildren({plant(100), plant(100000)});
    uint32_t time = 0;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->tagGetUpdateTime(tag(2), &time));
    EXPECT_EQ(static_cast<uint32_t>(expectedUpdateTime(children[1]->sidecarText(), "Line", "T", 100000)), time);
    ASSERT_EQ(0u, children[1]->control("unwritten tagGetUpdateTime"));
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->tagGetUpdateTime(tag(2), &time));
    EXPECT_EQ(UNWRITTEN_TIME, time);
}

TEST_F(BatchesAndTimes, TheCurrentTimeComesFromTheFirstChildOnly) {
    openChildren({plant(1111), plant(2222), plant(3333)});
    uint32_t time = 0;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionGetCurrentTime(connection, &time));
    EXPECT_EQ(1111u, time);
    EXPECT_EQ(0u, count(children[1]->journal(), "connectionGetCurrentTime"));
    EXPECT_EQ(0u, count(children[2]->journal(), "connectionGetCurrentTime"));
    ASSERT_EQ(0u, children[0]->control("unwritten connectionGetCurrentTime"));
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionGetCurrentTime(connection, &time));
    EXPECT_EQ(UNWRITTEN_TIME, time);
}

TEST_F(BatchesAndTimes, WhenTheFirstChildDidNotStartTheNextRunningOneKeepsTheClock) {
    openChildren({plant(1111) + "fail connectionOpen 1\n", plant(2222)});
    uint32_t time = 0;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionGetCurrentTime(connection, &time));
    EXPECT_EQ(2222u, time);
}

}  // namespace
}  // namespace mq::test
