// The journal of calls, its threads, and copies of the library being independent.
#include "SimFixture.h"

#include <cstdio>
#include <filesystem>
#include <thread>

namespace mq::test {
namespace {

using SimQuellanJournal = SimQuellanTest;

TEST_F(SimQuellanJournal, EachCallIsOneLineWithArgumentsAndStatus) {
    openPlant();
    child->clearJournal();
    QUELLAN2_TAG tags[] = {temperature, phase};
    QUELLAN2_VECTOR values = nullptr;
    sim->vectorCreate(3, &values);
    sim->vectorSetFloat(values, 0, 1.5f);
    sim->vectorSetString(values, 1, "abc");
    const char* batch = "B-001";
    EXPECT_EQ(sim->connectionWriteBatchDataEx(connection, tags, 2, batch, 999999, values), QUELLAN2_STATUS_INVALID_PARAMETER);
    sim->vectorFree(values);
    QUELLAN2_VECTOR result = nullptr;
    sim->connectionReadHistoricalData(connection, tags, 2, 1234, &result);
    sim->vectorFree(result);

    std::vector<JournalEntry> entries = child->journal();
    ASSERT_EQ(entries.size(), 7u);
    for (std::size_t i = 1; i < entries.size(); ++i) EXPECT_EQ(entries[i].sequence, entries[i - 1].sequence + 1);
    EXPECT_EQ(entries[0].function, "vectorCreate");
    EXPECT_EQ(entries[0].arguments, "length=3");
    EXPECT_EQ(entries[2].function, "vectorSetString");
    EXPECT_NE(entries[2].arguments.find("index=1 value=\"abc\""), std::string::npos);
    const JournalEntry& write = entries[3];
    EXPECT_EQ(write.function, "connectionWriteBatchDataEx");
    char address[32];
    std::snprintf(address, sizeof address, "@0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(batch)));
    std::string tagList = std::to_string(reinterpret_cast<std::uintptr_t>(temperature)) + "," +
                          std::to_string(reinterpret_cast<std::uintptr_t>(phase));
    EXPECT_EQ(write.arguments, "connection=" + std::to_string(reinterpret_cast<std::uintptr_t>(connection)) +
                                   " tags=" + tagList + " count=2 batch=\"B-001\"" + address +
                                   " time=999999 values=[1.5,\"abc\",null]");
    EXPECT_EQ(write.status, "2");
    EXPECT_EQ(write.code(), QUELLAN2_STATUS_INVALID_PARAMETER);
    EXPECT_EQ(entries[5].function, "connectionReadHistoricalData");
    EXPECT_NE(entries[5].arguments.find("tags=" + tagList + " count=2 time=1234"), std::string::npos);
    EXPECT_EQ(entries[5].status, "0");
    EXPECT_EQ(entries[6].function, "vectorFree");
}

TEST_F(SimQuellanJournal, TextsAreQuotedAndEscaped) {
    start();
    child->clearJournal();
    QUELLAN2_STRING string = nullptr;
    sim->stringCreate("tab\there \"q\"", &string);
    sim->stringFree(string);
    std::vector<JournalEntry> entries = child->journal("stringCreate");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].arguments, "text=\"tab\\x09here \\\"q\\\"\"");
}

TEST_F(SimQuellanJournal, EntriesNameTheCallingThread) {
    openPlant();
    child->clearJournal();
    uint32_t count = 0;
    sim->nodeGetNumTags(line1, &count);
    uint32_t otherThread = 0;
    std::thread other([&] {
        sim->nodeGetNumTags(line1, &count);
        otherThread = child->threadId();
    });
    other.join();
    std::vector<JournalEntry> entries = child->journal("nodeGetNumTags");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].thread, child->threadId());
    EXPECT_EQ(entries[1].thread, otherThread);
    EXPECT_NE(entries[0].thread, entries[1].thread);
}

TEST_F(SimQuellanJournal, ConcurrentCallsGiveWholeLinesWithDistinctSequenceNumbers) {
    start();
    child->clearJournal();
    auto work = [&] {
        for (int i = 0; i < 200; ++i) {
            QUELLAN2_VECTOR vector = nullptr;
            sim->vectorCreate(1, &vector);
            sim->vectorFree(vector);
        }
    };
    std::thread first(work);
    std::thread second(work);
    first.join();
    second.join();
    std::vector<JournalEntry> entries = child->journal();
    ASSERT_EQ(entries.size(), 800u);
    for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].sequence, entries[0].sequence + i);
}

TEST_F(SimQuellanJournal, JournalPathMayBeSetInTheSidecar) {
    start(std::string(TEST_PLANT) + "journal logs/calls.txt\n");
    std::filesystem::create_directory(folder.file("logs"));
    sim->open();
    EXPECT_EQ(child->journalPath(), folder.file("logs/calls.txt"));
    EXPECT_EQ(child->journal("initialize").size(), 1u);
}

TEST_F(SimQuellanJournal, TwoCopiesWithDifferentNamesAreIndependent) {
    SimChild fermentation(folder.path(), "Fermentation", "identity Fermentation\nnode Tanks\ntag Tanks TT-1 float\n");
    SimChild utilities(folder.path(), "Utilities", "identity Utilities\nnode Boiler\nnode Chiller\n");
    SimModule first(fermentation.libraryPath());
    SimModule second(utilities.libraryPath());
    EXPECT_EQ(utilities.control("fail connectionGetNumNodes 1"), 0u);
    QUELLAN2_CONNECTION one = first.open();
    QUELLAN2_CONNECTION two = second.open();
    EXPECT_EQ(first.topNodeNames(one), std::vector<std::string>{"Tanks"});
    uint32_t count = 0;
    EXPECT_EQ(second.connectionGetNumNodes(two, &count), 1u);
    EXPECT_EQ(utilities.control("reset"), 0u);
    EXPECT_EQ(second.topNodeNames(two), (std::vector<std::string>{"Boiler", "Chiller"}));
    EXPECT_EQ(fermentation.journal("connectionGetNumNodes").size(), 1u);
    EXPECT_EQ(utilities.journal("connectionGetNumNodes").size(), 2u);
    EXPECT_NE(readFile(fermentation.journalPath()), readFile(utilities.journalPath()));
}

}  // namespace
}  // namespace mq::test
