// The call messages, and how they serve a child that lacks the extended functions.
#include "HostingFixture.h"
#include "hosting/CallMessages.h"
#include "hosting/GuardedCall.h"
#include "hosting/ProxyTree.h"
#include "hosting/QuellanProxy.h"

#include <memory>

namespace mq::test {
namespace {

class CallMessages : public HostingTest {
protected:
    void start(SimVariant variant, const std::string& extra = "") {
        child = &makeChild(std::string(PLANT) + extra, variant);
        proxy = std::make_unique<QuellanProxy>(child->libraryPath(), "");
        tags[0] = proxy->connectionTree().topNodes[0]->nodeTags[0]->handle;  // Line1 TT-101
        tags[1] = proxy->connectionTree().topNodes[1]->nodeTags[0]->handle;  // Line2 PT-201
        child->clearJournal();
    }
    void TearDown() override { proxy.reset(); }

    QUELLAN2_VECTOR childVector(uint32_t length) {
        QUELLAN2_VECTOR vector = nullptr;
        EXPECT_EQ(QUELLAN2_STATUS_OK, proxy->functions().vectorCreate(length, &vector));
        return vector;
    }
    float floatAt(QUELLAN2_VECTOR vector, uint32_t index) {
        float value = -1.0f;
        EXPECT_EQ(QUELLAN2_STATUS_OK, proxy->functions().vectorGetFloat(vector, index, &value));
        return value;
    }
    void free(QUELLAN2_VECTOR vector) { proxy->functions().vectorFree(vector); }
    std::vector<QUELLAN2_TAG> bothTags() const { return {tags[0], tags[1]}; }
    std::vector<QUELLAN2_VECTOR> childVectors(std::size_t count) {
        std::vector<QUELLAN2_VECTOR> vectors;
        for (std::size_t k = 0; k < count; ++k) vectors.push_back(childVector(2));
        return vectors;
    }
    std::shared_ptr<ConnectionReadHistoricalDataMessage> historicalRead(int32_t interval,
                                                                        std::vector<QUELLAN2_VECTOR> slots) {
        return std::make_shared<ConnectionReadHistoricalDataMessage>(bothTags(), 1000, interval, std::move(slots));
    }

    SimChild* child = nullptr;
    std::unique_ptr<QuellanProxy> proxy;
    QUELLAN2_TAG tags[2] = {};
};

TEST_F(CallMessages, NameTheExtendedFunctionsWhetherOrNotTheChildHasThem) {
    EXPECT_STREQ("quellan2_connectionReadHistoricalDataEx",
                 ConnectionReadHistoricalDataMessage({}, 0, 0, {}).callName());
    EXPECT_STREQ("quellan2_connectionReadBatchDataEx", ConnectionReadBatchDataMessage({}, nullptr, 0).callName());
    EXPECT_STREQ("quellan2_connectionWriteHistoricalDataEx",
                 ConnectionWriteHistoricalDataMessage({}, 0, 0, {}).callName());
    EXPECT_STREQ("quellan2_connectionWriteBatchDataEx",
                 ConnectionWriteBatchDataMessage({}, nullptr, 0, nullptr).callName());
    EXPECT_STREQ("quellan2_connectionReadCurrentData",
                 ConnectionReadCurrentDataMessage(std::vector<QUELLAN2_TAG>{}).callName());
    EXPECT_STREQ("quellan2_connectionGetCurrentTime", ConnectionGetCurrentTimeMessage(0).callName());
    EXPECT_STREQ("quellan2_nodeGetActiveBatches", NodeGetActiveBatchesMessage(nullptr, 0, 0).callName());
    EXPECT_STREQ("quellan2_nodeGetBatchTimes", NodeGetBatchTimesMessage(nullptr, nullptr, 0, 0, 0).callName());
    EXPECT_STREQ("quellan2_tagGetUpdateTime", TagGetUpdateTimeMessage(nullptr, 0).callName());
}

TEST_F(CallMessages, AHistoricalReadWithTheExtendedFunctionIsOneCall) {
    start(SimVariant::FULL);
    auto read = historicalRead(60, childVectors(3));
    EXPECT_EQ(QUELLAN2_STATUS_OK, proxy->call(read));
    const std::vector<QUELLAN2_VECTOR>& slots = read->vectors;
    EXPECT_EQ(1u, count(child->journal(), "connectionReadHistoricalDataEx"));
    EXPECT_EQ(0u, count(child->journal(), "connectionReadHistoricalData"));
    EXPECT_EQ(std::get<float>(child->expectedValue("Line2", "PT-201", 1060)), floatAt(slots[1], 1));
    for (QUELLAN2_VECTOR slot : slots) free(slot);
}

TEST_F(CallMessages, AHistoricalReadWithoutTheExtendedFunctionAsksOncePerTimePoint) {
    start(SimVariant::NO_EX);
    auto read = historicalRead(60, childVectors(3));
    EXPECT_EQ(QUELLAN2_STATUS_OK, proxy->call(read));
    const std::vector<QUELLAN2_VECTOR>& slots = read->vectors;
    const std::vector<JournalEntry> reads = child->journal("connectionReadHistoricalData");
    ASSERT_EQ(3u, reads.size());
    EXPECT_NE(std::string::npos, reads[0].arguments.find("time=1000"));
    EXPECT_NE(std::string::npos, reads[1].arguments.find("time=1060"));
    EXPECT_NE(std::string::npos, reads[2].arguments.find("time=1120"));
    EXPECT_EQ(3u, count(child->journal(), "vectorFree")) << "each slot's own vector was given back first";
    for (uint32_t sample = 0; sample < 3; ++sample) {
        EXPECT_EQ(std::get<float>(child->expectedValue("Line1", "TT-101", 1000 + 60 * sample)),
                  floatAt(slots[sample], 0));
        EXPECT_EQ(std::get<float>(child->expectedValue("Line2", "PT-201", 1000 + 60 * sample)),
                  floatAt(slots[sample], 1));
    }
    for (QUELLAN2_VECTOR slot : slots) free(slot);
}

TEST_F(CallMessages, AnEmulatedHistoricalReadThatFailsPartWayGivesBackAndClearsItsSamples) {
    start(SimVariant::NO_EX, "fail connectionReadHistoricalData 5 after=1\n");
    QUELLAN2_VECTOR third = childVector(2);
    auto read = historicalRead(60, {childVector(2), childVector(2), third});
    EXPECT_EQ(5u, proxy->call(read));
    const std::vector<QUELLAN2_VECTOR>& slots = read->vectors;
    EXPECT_EQ(nullptr, slots[0]) << "released after the failure, and cleared";
    EXPECT_EQ(nullptr, slots[1]);
    EXPECT_EQ(third, slots[2]) << "never reached";
    // Two slots' own vectors and the one sample read were given back.
    EXPECT_EQ(3u, count(child->journal(), "vectorFree"));
    free(third);
}

TEST_F(CallMessages, AnEmulatedHistoricalReadRefusesBadArgumentsWithoutACall) {
    start(SimVariant::NO_EX);
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, proxy->call(historicalRead(-1, {nullptr})));
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER, proxy->call(historicalRead(60, {})));
    EXPECT_TRUE(child->journal().empty());
}

TEST_F(CallMessages, ABatchReadWithoutTheExtendedFunctionDropsTheTimeOrRefusesANegativeOne) {
    start(SimVariant::NO_EX);
    const char* batch = "B-7";
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER,
              proxy->call(std::make_shared<ConnectionReadBatchDataMessage>(bothTags(), batch, -1)));
    EXPECT_TRUE(child->journal().empty());
    auto read = std::make_shared<ConnectionReadBatchDataMessage>(bothTags(), batch, 123);
    EXPECT_EQ(QUELLAN2_STATUS_OK, proxy->call(read));
    const std::vector<JournalEntry> reads = child->journal("connectionReadBatchData");
    ASSERT_EQ(1u, reads.size());
    EXPECT_EQ(std::string::npos, reads[0].arguments.find("time=")) << reads[0].arguments;
    free(read->vectors[0]);
}

TEST_F(CallMessages, AHistoricalWriteWithoutTheExtendedFunctionWritesEachTimePointUntilOneFails) {
    start(SimVariant::NO_EX, "fail connectionWriteHistoricalData 4 after=2\n");
    const std::vector<QUELLAN2_VECTOR> values = childVectors(3);
    for (uint32_t sample = 0; sample < 3; ++sample)
        for (uint32_t k = 0; k < 2; ++k) proxy->functions().vectorSetFloat(values[sample], k, 10.0f * sample + k);
    child->clearJournal();
    EXPECT_EQ(4u, proxy->call(std::make_shared<ConnectionWriteHistoricalDataMessage>(bothTags(), 500, 10, values)));
    const std::vector<JournalEntry> writes = child->journal("connectionWriteHistoricalData");
    ASSERT_EQ(3u, writes.size());
    EXPECT_NE(std::string::npos, writes[0].arguments.find("time=500"));
    EXPECT_NE(std::string::npos, writes[1].arguments.find("time=510"));
    EXPECT_NE(std::string::npos, writes[1].arguments.find("[10,11]")) << writes[1].arguments;
    EXPECT_EQ("4", writes[2].status);
    for (QUELLAN2_VECTOR vector : values) free(vector);
}

TEST_F(CallMessages, ABatchWriteWithoutTheExtendedFunctionRefusesANegativeTime) {
    start(SimVariant::NO_EX);
    QUELLAN2_VECTOR values = childVector(2);
    child->clearJournal();
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER,
              proxy->call(std::make_shared<ConnectionWriteBatchDataMessage>(bothTags(), "B-7", -5, values)));
    EXPECT_EQ(QUELLAN2_STATUS_OK,
              proxy->call(std::make_shared<ConnectionWriteBatchDataMessage>(bothTags(), "B-7", 5, values)));
    EXPECT_EQ(1u, count(child->journal(), "connectionWriteBatchData"));
    free(values);
}

}  // namespace
}  // namespace mq::test
