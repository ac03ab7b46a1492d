// Current, historical and batch reads split over children and merged back.
#include "MultiplexerFixture.h"

#include <ctime>

namespace mq::test {
namespace {

constexpr int64_t CLOCK = 1700000000;

// Child 0 owns merged tags 1 (P/p1) and 2 (P/p2); child 1 owns 3 (Q/decoy),
// 4 (Q/q1, its own handle 2) and 5 (Q/q2, its own handle 3).
std::string plantP(const std::string& journal) {
    return "clock 1700000000\njournal " + journal +
           "\nnode P\ntag P p1 float base=10 amplitude=2 period=600\ntag P p2 string states=Open,Shut dwell=60\n"
           "batch P B-7 1699990000 1699999000\n";
}
std::string plantQ(const std::string& journal) {
    return "clock 1700000000\njournal " + journal +
           "\nnode Q\ntag Q decoy float\ntag Q q1 float base=50 amplitude=9 period=900\ntag Q q2 float base=-4\n";
}

class Reads : public MultiplexerTest {
protected:
    void openPair(SimVariant second = SimVariant::FULL, const std::string& extraP = "",
                  const std::string& extraQ = "") {
        shared = folder.file("shared.journal");
        addChild("ChildP", plantP(shared) + extraP);
        addChild("ChildQ", plantQ(shared) + extraQ, second);
        configure();
        connection = open();
        writeFile(shared, "");
    }
    std::vector<JournalEntry> calls(const std::string& function) const {
        std::vector<JournalEntry> found;
        for (const JournalEntry& entry : readJournal(shared))
            if (entry.function == function) found.push_back(entry);
        return found;
    }
    SimValue expected(int child, const std::string& node, const std::string& name, int64_t time) const {
        return children[child]->expectedValue(node, name, time);
    }

    std::string shared;
    QUELLAN2_CONNECTION connection = nullptr;
};

TEST_F(Reads, EachChildIsCalledOnceInChildOrderAndValuesLandInHostOrder) {
    openPair();
    const QUELLAN2_TAG tags[] = {tag(4), tag(1), tag(5), tag(2)};
    QUELLAN2_VECTOR result = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadCurrentData(connection, tags, 4, &result));
    const std::vector<JournalEntry> reads = calls("connectionReadCurrentData");
    ASSERT_EQ(2u, reads.size());
    EXPECT_EQ(0u, reads[0].arguments.find("connection=1 tags=1,2 count=2")) << "child 0 first: " << reads[0].arguments;
    EXPECT_EQ(0u, reads[1].arguments.find("connection=1 tags=2,3 count=2")) << reads[1].arguments;
    EXPECT_EQ(expected(1, "Q", "q1", CLOCK), valueAt(*plugin, result, 0));
    EXPECT_EQ(expected(0, "P", "p1", CLOCK), valueAt(*plugin, result, 1));
    EXPECT_EQ(expected(1, "Q", "q2", CLOCK), valueAt(*plugin, result, 2));
    EXPECT_EQ(expected(0, "P", "p2", CLOCK), valueAt(*plugin, result, 3));
    EXPECT_TRUE(std::holds_alternative<std::string>(valueAt(*plugin, result, 3)));
    (*plugin)->vectorFree(result);
}

TEST_F(Reads, ChildrenOwningNoneOfTheTagsAreNotCalled) {
    openPair();
    const QUELLAN2_TAG tags[] = {tag(5)};
    QUELLAN2_VECTOR result = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadCurrentData(connection, tags, 1, &result));
    const std::vector<JournalEntry> reads = calls("connectionReadCurrentData");
    ASSERT_EQ(1u, reads.size());
    EXPECT_EQ(0u, reads[0].arguments.find("connection=1 tags=3 count=1"));
    (*plugin)->vectorFree(result);
}

TEST_F(Reads, TheSameTagTwiceIsAskedTwiceAndFillsBothPositions) {
    openPair();
    const QUELLAN2_TAG tags[] = {tag(1), tag(1)};
    QUELLAN2_VECTOR result = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadCurrentData(connection, tags, 2, &result));
    EXPECT_EQ(0u, calls("connectionReadCurrentData").at(0).arguments.find("connection=1 tags=1,1 count=2"));
    EXPECT_EQ(expected(0, "P", "p1", CLOCK), valueAt(*plugin, result, 0));
    EXPECT_EQ(expected(0, "P", "p1", CLOCK), valueAt(*plugin, result, 1));
    (*plugin)->vectorFree(result);
}

TEST_F(Reads, AChildThatFailsOrFaultsLeavesOnlyItsOwnPositionsNull) {
    for (const char* misbehaviour : {"fail connectionReadCurrentData 1", "fault connectionReadCurrentData access",
                                     "fault connectionReadCurrentData divide", "fault connectionReadCurrentData throw",
                                     "vector connectionReadCurrentData none"}) {
        SCOPED_TRACE(misbehaviour);
        TearDown();
        SetUp();
        openPair(SimVariant::FULL, std::string(misbehaviour) + " times=1\n");
        const QUELLAN2_TAG tags[] = {tag(1), tag(4)};
        QUELLAN2_VECTOR result = nullptr;
        ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadCurrentData(connection, tags, 2, &result));
        EXPECT_TRUE(std::holds_alternative<std::monostate>(valueAt(*plugin, result, 0)));
        EXPECT_EQ(expected(1, "Q", "q1", CLOCK), valueAt(*plugin, result, 1));
        (*plugin)->vectorFree(result);
        // The child serves the next call.
        ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadCurrentData(connection, tags, 1, &result));
        EXPECT_EQ(expected(0, "P", "p1", CLOCK), valueAt(*plugin, result, 0));
        (*plugin)->vectorFree(result);
    }
}

TEST_F(Reads, OddChildVectorsYieldNullsWhereTheyDeliverNothingReadable) {
    struct Case {
        const char* quirk;
        std::vector<bool> present;
    } cases[] = {{"short=1", {true, false}}, {"badtype=0", {false, true}}, {"failget=1", {true, false}}};
    for (const Case& quirk : cases) {
        SCOPED_TRACE(quirk.quirk);
        TearDown();
        SetUp();
        openPair(SimVariant::FULL, "", std::string("vector connectionReadCurrentData ") + quirk.quirk + "\n");
        const QUELLAN2_TAG tags[] = {tag(4), tag(5)};
        QUELLAN2_VECTOR result = nullptr;
        ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadCurrentData(connection, tags, 2, &result));
        EXPECT_EQ(quirk.present[0], !std::holds_alternative<std::monostate>(valueAt(*plugin, result, 0)));
        EXPECT_EQ(quirk.present[1], !std::holds_alternative<std::monostate>(valueAt(*plugin, result, 1)));
        (*plugin)->vectorFree(result);
    }
}

TEST_F(Reads, EveryChildIsReadAtTheSameTimePoints) {
    openPair();
    const QUELLAN2_TAG tags[] = {tag(1), tag(4)};
    QUELLAN2_VECTOR results[3] = {};
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadHistoricalDataEx(connection, tags, 2, 1000, 60, 3, results));
    const std::vector<JournalEntry> reads = calls("connectionReadHistoricalDataEx");
    ASSERT_EQ(2u, reads.size());
    for (const JournalEntry& read : reads)
        EXPECT_NE(std::string::npos, read.arguments.find("start=1000 interval=60 samples=3")) << read.arguments;
    for (uint32_t sample = 0; sample < 3; ++sample) {
        EXPECT_EQ(expected(0, "P", "p1", 1000 + 60 * sample), valueAt(*plugin, results[sample], 0));
        EXPECT_EQ(expected(1, "Q", "q1", 1000 + 60 * sample), valueAt(*plugin, results[sample], 1));
        (*plugin)->vectorFree(results[sample]);
    }
}

TEST_F(Reads, AChildWithoutTheExtendedReadIsServedByItsShortOne) {
    openPair(SimVariant::NO_EX);
    const QUELLAN2_TAG tags[] = {tag(4), tag(1)};
    QUELLAN2_VECTOR results[3] = {};
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadHistoricalDataEx(connection, tags, 2, 5000, 30, 3, results));
    const std::vector<JournalEntry> shortReads = calls("connectionReadHistoricalData");
    ASSERT_EQ(3u, shortReads.size());
    for (uint32_t sample = 0; sample < 3; ++sample) {
        EXPECT_NE(std::string::npos, shortReads[sample].arguments.find("time=" + std::to_string(5000 + 30 * sample)));
        EXPECT_EQ(expected(1, "Q", "q1", 5000 + 30 * sample), valueAt(*plugin, results[sample], 0));
        EXPECT_EQ(expected(0, "P", "p1", 5000 + 30 * sample), valueAt(*plugin, results[sample], 1));
        (*plugin)->vectorFree(results[sample]);
    }
}

TEST_F(Reads, TheShortHistoricalReadIsOneSampleAtItsTime) {
    openPair();
    const QUELLAN2_TAG tags[] = {tag(2)};
    QUELLAN2_VECTOR result = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadHistoricalData(connection, tags, 1, 7777, &result));
    EXPECT_NE(std::string::npos,
              calls("connectionReadHistoricalDataEx").at(0).arguments.find("start=7777 interval=0 samples=1"));
    EXPECT_EQ(expected(0, "P", "p2", 7777), valueAt(*plugin, result, 0));
    (*plugin)->vectorFree(result);
}

TEST_F(Reads, AZeroIntervalGivesEverySampleAtTheStart) {
    openPair();
    const QUELLAN2_TAG tags[] = {tag(1)};
    QUELLAN2_VECTOR results[3] = {};
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadHistoricalDataEx(connection, tags, 1, 4242, 0, 3, results));
    for (QUELLAN2_VECTOR sample : results) {
        EXPECT_EQ(expected(0, "P", "p1", 4242), valueAt(*plugin, sample, 0));
        (*plugin)->vectorFree(sample);
    }
}

TEST_F(Reads, EveryChildGetsTheSameBatchPointer) {
    openPair();
    const QUELLAN2_TAG tags[] = {tag(4), tag(1)};
    const char* batch = "B-7";
    QUELLAN2_VECTOR result = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadBatchDataEx(connection, tags, 2, batch, 99, &result));
    const std::vector<JournalEntry> reads = calls("connectionReadBatchDataEx");
    ASSERT_EQ(2u, reads.size());
    for (const JournalEntry& read : reads) {
        ASSERT_NE(std::string::npos, read.arguments.find("batch=\"B-7\"@")) << read.arguments;
        EXPECT_NE(std::string::npos, read.arguments.find("time=99"));
    }
    auto address = [](const std::string& arguments) {
        const std::size_t at = arguments.find('@');
        return arguments.substr(at, arguments.find(' ', at) - at);
    };
    EXPECT_EQ(address(reads[0].arguments), address(reads[1].arguments)) << "one pointer for every child";
    EXPECT_EQ(expected(0, "P", "p1", 1699999000), valueAt(*plugin, result, 1)) << "the batch's end";
    EXPECT_TRUE(std::holds_alternative<std::monostate>(valueAt(*plugin, result, 0))) << "child 1 has no such batch";
    (*plugin)->vectorFree(result);
}

TEST_F(Reads, TheShortBatchReadPassesTheCurrentTime) {
    openPair();
    const QUELLAN2_TAG tags[] = {tag(1)};
    QUELLAN2_VECTOR result = nullptr;
    const int64_t before = std::time(nullptr);
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadBatchData(connection, tags, 1, "B-7", &result));
    const int64_t after = std::time(nullptr);
    const std::string arguments = calls("connectionReadBatchDataEx").at(0).arguments;
    const int64_t passed = std::stoll(arguments.substr(arguments.find("time=") + 5));
    EXPECT_LE(before, passed);
    EXPECT_GE(after, passed);
    (*plugin)->vectorFree(result);
}

TEST_F(Reads, AChildWithoutTheExtendedBatchReadGetsTheShortOne) {
    openPair(SimVariant::NO_EX);
    const QUELLAN2_TAG tags[] = {tag(4)};
    QUELLAN2_VECTOR result = nullptr;
    ASSERT_EQ(QUELLAN2_STATUS_OK, (*plugin)->connectionReadBatchDataEx(connection, tags, 1, "B-7", 5, &result));
    EXPECT_EQ(1u, calls("connectionReadBatchData").size());
    (*plugin)->vectorFree(result);
}

}  // namespace
}  // namespace mq::test
