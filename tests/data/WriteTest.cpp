// Historical and batch writes split over children.
#include "MultiplexerFixture.h"

#include <ctime>

namespace mq::test {
namespace {

// Merged tags: 1 P/p1, 2 P/p2 (child 0); 3 Q/q1, 4 Q/q2 (child 1).
const char* const PLANT_P = "clock 1700000000\nnode P\ntag P p1 float\ntag P p2 float\n";
const char* const PLANT_Q = "clock 1700000000\nnode Q\ntag Q q1 string\ntag Q q2 float\n";

class Writes : public MultiplexerTest {
protected:
    void openPair(SimVariant second = SimVariant::FULL, const std::string& extraP = "") {
        addChild("ChildP", PLANT_P + extraP);
        addChild("ChildQ", PLANT_Q, second);
        configure();
        connection = open();
        clearJournals();
    }
    // A host vector: strings, floats and nulls (std::monostate).
    QUELLAN2_VECTOR hostVector(const std::vector<SimValue>& values) {
        QUELLAN2_VECTOR vector = nullptr;
        EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->vectorCreate(static_cast<uint32_t>(values.size()), &vector));
        for (uint32_t i = 0; i < values.size(); ++i) {
            if (const auto* text = std::get_if<std::string>(&values[i]))
                (*plugin)->vectorSetString(vector, i, text->c_str());
            else if (const auto* number = std::get_if<float>(&values[i]))
                (*plugin)->vectorSetFloat(vector, i, *number);
        }
        owned.push_back(vector);
        return vector;
    }
    void TearDown() override {
        for (QUELLAN2_VECTOR vector : owned) (*plugin)->vectorFree(vector);
        MultiplexerTest::TearDown();
    }

    QUELLAN2_CONNECTION connection = nullptr;
    std::vector<QUELLAN2_VECTOR> owned;
};

TEST_F(Writes, ABatchWriteGivesEachChildItsOwnValuesAndTheyReadBack) {
    openPair();
    const QUELLAN2_TAG tags[] = {tag(3), tag(1), tag(4), tag(2)};
    QUELLAN2_VECTOR values = hostVector({std::string("alpha"), 2.5f, std::monostate{}, 7.0f});
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionWriteBatchDataEx(connection, tags, 4, "B-9", 300, values));
    const std::vector<JournalEntry> first = children[0]->journal("connectionWriteBatchDataEx");
    const std::vector<JournalEntry> second = children[1]->journal("connectionWriteBatchDataEx");
    ASSERT_EQ(1u, first.size());
    ASSERT_EQ(1u, second.size());
    EXPECT_NE(std::string::npos, first[0].arguments.find("tags=1,2 count=2")) << first[0].arguments;
    EXPECT_NE(std::string::npos, first[0].arguments.find("values=[2.5,7]")) << first[0].arguments;
    EXPECT_NE(std::string::npos, second[0].arguments.find("tags=1,2 count=2"));
    EXPECT_NE(std::string::npos, second[0].arguments.find("values=[\"alpha\",null]")) << second[0].arguments;
    EXPECT_EQ(1u, count(children[0]->journal(), "vectorFree")) << "the child vector was given back";

    QUELLAN2_VECTOR read = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadBatchDataEx(connection, tags, 4, "B-9", 300, &read));
    EXPECT_EQ(SimValue(std::string("alpha")), valueAt(*plugin, read, 0));
    EXPECT_EQ(SimValue(2.5f), valueAt(*plugin, read, 1));
    EXPECT_EQ(SimValue(std::monostate{}), valueAt(*plugin, read, 2));
    EXPECT_EQ(SimValue(7.0f), valueAt(*plugin, read, 3));
    (*plugin)->vectorFree(read);
}

TEST_F(Writes, AHistoricalWriteIsOneCallPerChildForAllItsTimePoints) {
    openPair();
    const QUELLAN2_TAG tags[] = {tag(1), tag(3)};
    const QUELLAN2_VECTOR samples[] = {hostVector({1.0f, std::string("one")}), hostVector({2.0f, std::string("two")})};
    ASSERT_EQ(QUELLAN2_STATUS_OK,
              (*plugin)->connectionWriteHistoricalDataEx(connection, tags, 2, 10000, 600, 2, samples));
    const std::vector<JournalEntry> writes = children[1]->journal("connectionWriteHistoricalDataEx");
    ASSERT_EQ(1u, writes.size());
    EXPECT_NE(std::string::npos, writes[0].arguments.find("start=10000 interval=600 samples=2 values=[[\"one\"],[\"two\"]]"))
        << writes[0].arguments;

    QUELLAN2_VECTOR read[2] = {};
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadHistoricalDataEx(connection, tags, 2, 10000, 600, 2, read));
    EXPECT_EQ(SimValue(1.0f), valueAt(*plugin, read[0], 0));
    EXPECT_EQ(SimValue(std::string("two")), valueAt(*plugin, read[1], 1));
    for (QUELLAN2_VECTOR vector : read) (*plugin)->vectorFree(vector);
}

TEST_F(Writes, AChildWithoutTheExtendedWriteGetsOneShortWritePerTimePoint) {
    openPair(SimVariant::NO_EX);
    const QUELLAN2_TAG tags[] = {tag(4)};
    const QUELLAN2_VECTOR samples[] = {hostVector({1.0f}), hostVector({2.0f}), hostVector({3.0f})};
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionWriteHistoricalDataEx(connection, tags, 1, 500, 5, 3, samples));
    const std::vector<JournalEntry> writes = children[1]->journal("connectionWriteHistoricalData");
    ASSERT_EQ(3u, writes.size());
    for (uint32_t sample = 0; sample < 3; ++sample) {
        EXPECT_NE(std::string::npos, writes[sample].arguments.find("time=" + std::to_string(500 + 5 * sample)));
        EXPECT_NE(std::string::npos, writes[sample].arguments.find("values=[" + std::to_string(sample + 1) + "]"));
    }
}

TEST_F(Writes, AChildThatRejectsTheWriteDoesNotFailItAndTheOthersGetTheirValues) {
    openPair(SimVariant::FULL, "fail connectionWriteBatchDataEx 1\n");
    const QUELLAN2_TAG tags[] = {tag(1), tag(4)};
    QUELLAN2_VECTOR values = hostVector({1.0f, 2.0f});
    EXPECT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionWriteBatchDataEx(connection, tags, 2, "B", 1, values));
    EXPECT_EQ(1u, children[1]->journal("connectionWriteBatchDataEx").size());
}

TEST_F(Writes, TheShortFormsFillInTheirTimes) {
    openPair();
    const QUELLAN2_TAG tags[] = {tag(2)};
    QUELLAN2_VECTOR values = hostVector({4.0f});
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionWriteHistoricalData(connection, tags, 1, 808, values));
    EXPECT_NE(std::string::npos, children[0]->journal("connectionWriteHistoricalDataEx").at(0).arguments.find(
                                     "start=808 interval=0 samples=1"));
    const int64_t before = std::time(nullptr);
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionWriteBatchData(connection, tags, 1, "B", values));
    const std::string arguments = children[0]->journal("connectionWriteBatchDataEx").at(0).arguments;
    EXPECT_LE(before, std::stoll(arguments.substr(arguments.find("time=") + 5)));
}

TEST_F(Writes, AHostVectorOfTheWrongLengthIsRefusedBeforeAnyChildIsTouched) {
    openPair();
    const QUELLAN2_TAG tags[] = {tag(1), tag(3)};
    QUELLAN2_VECTOR shortVector = hostVector({1.0f});
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER,
              (*plugin)->connectionWriteBatchDataEx(connection, tags, 2, "B", 1, shortVector));
    const QUELLAN2_VECTOR samples[] = {hostVector({1.0f, 2.0f}), shortVector};
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER,
              (*plugin)->connectionWriteHistoricalDataEx(connection, tags, 2, 1, 1, 2, samples));
    const QUELLAN2_VECTOR withNull[] = {samples[0], nullptr};
    EXPECT_EQ(QUELLAN2_STATUS_INVALID_PARAMETER,
              (*plugin)->connectionWriteHistoricalDataEx(connection, tags, 2, 1, 1, 2, withNull));
    EXPECT_TRUE(noChildWasCalled());
}

}  // namespace
}  // namespace mq::test
