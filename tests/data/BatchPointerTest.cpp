// The batch text reaches a child that is always waited for as the host's own pointer.
#include "MultiplexerFixture.h"

#include <cstdint>
#include <functional>
#include <ostream>

namespace mq::test {
namespace {

// Node P (child 0, all functions), Q (child 1, without the extended ones, so
// that batch reads and writes are emulated through the short functions) and
// R (child 2, with a timeout); one tag each, handles 1 to 3, and batch B-7 in each.
std::string plant(const char* node) {
    return std::string("clock 1700000000\nnode ") + node + "\ntag " + node + " t float base=1\nbatch " + node +
           " B-7 1699990000 1699999000\n";
}

const QUELLAN2_TAG ALL[] = {reinterpret_cast<QUELLAN2_TAG>(1), reinterpret_cast<QUELLAN2_TAG>(2),
                            reinterpret_cast<QUELLAN2_TAG>(3)};

// One operation that hands a batch text to every child.
struct BatchOperation {
    const char* name;
    std::function<void(const LoadedPlugin&, QUELLAN2_CONNECTION, const char*)> run;
};

void PrintTo(const BatchOperation& operation, std::ostream* out) {
    *out << operation.name;
}

QUELLAN2_VECTOR threeValues(const LoadedPlugin& plugin) {
    QUELLAN2_VECTOR values = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_OK, plugin->vectorCreate(3, &values));
    for (uint32_t i = 0; i < 3; ++i) plugin->vectorSetFloat(values, i, 7.0f);
    return values;
}

const BatchOperation OPERATIONS[] = {
    {"ReadEx",
     [](const LoadedPlugin& plugin, QUELLAN2_CONNECTION connection, const char* batch) {
         QUELLAN2_VECTOR result = nullptr;
         EXPECT_EQ(QUELLAN2_STATUS_OK, plugin->connectionReadBatchDataEx(connection, ALL, 3, batch, 1699999999, &result));
         plugin->vectorFree(result);
     }},
    {"Read",
     [](const LoadedPlugin& plugin, QUELLAN2_CONNECTION connection, const char* batch) {
         QUELLAN2_VECTOR result = nullptr;
         EXPECT_EQ(QUELLAN2_STATUS_OK, plugin->connectionReadBatchData(connection, ALL, 3, batch, &result));
         plugin->vectorFree(result);
     }},
    {"WriteEx",
     [](const LoadedPlugin& plugin, QUELLAN2_CONNECTION connection, const char* batch) {
         QUELLAN2_VECTOR values = threeValues(plugin);
         EXPECT_EQ(QUELLAN2_STATUS_OK, plugin->connectionWriteBatchDataEx(connection, ALL, 3, batch, 1699999999, values));
         plugin->vectorFree(values);
     }},
    {"Write",
     [](const LoadedPlugin& plugin, QUELLAN2_CONNECTION connection, const char* batch) {
         QUELLAN2_VECTOR values = threeValues(plugin);
         EXPECT_EQ(QUELLAN2_STATUS_OK, plugin->connectionWriteBatchData(connection, ALL, 3, batch, values));
         plugin->vectorFree(values);
     }},
    {"BatchTimes",
     [](const LoadedPlugin& plugin, QUELLAN2_CONNECTION, const char* batch) {
         for (uintptr_t node = 1; node <= 3; ++node) {
             uint32_t start = 0, end = 0;
             EXPECT_EQ(QUELLAN2_STATUS_OK, plugin->nodeGetBatchTimes(reinterpret_cast<QUELLAN2_NODE>(node), batch,
                                                                     1699999999, &start, &end));
         }
     }},
};

class BatchPointer : public MultiplexerTest, public ::testing::WithParamInterface<BatchOperation> {
protected:
    // The address the child's one call with a batch text was given.
    static uintptr_t batchAddress(const SimChild& child) {
        std::vector<JournalEntry> withBatch;
        for (const JournalEntry& entry : child.journal())
            if (entry.arguments.find("batch=\"B-7\"@0x") != std::string::npos) withBatch.push_back(entry);
        EXPECT_EQ(1u, withBatch.size()) << child.libraryPath();
        if (withBatch.empty()) return 0;
        const std::string& arguments = withBatch[0].arguments;
        return static_cast<uintptr_t>(std::stoull(arguments.substr(arguments.find("@0x") + 3), nullptr, 16));
    }
};

TEST_P(BatchPointer, IsTheHostsOwnForAChildWithoutATimeoutAndACopyForOneWithIt) {
    SimChild& full = addChild("Full", plant("P"));
    SimChild& emulated = addChild("Emulated", plant("Q"), SimVariant::NO_EX);
    SimChild& timed = addChild("Timed", plant("R"));
    configuration->writeBytes("<?xml version=\"1.0\"?>\n<settings>\n    <quellan path=\"" + full.libraryPath() +
                              "\" />\n    <quellan path=\"" + emulated.libraryPath() + "\" />\n    <quellan path=\"" +
                              timed.libraryPath() + "\" timeout=\"600\" />\n</settings>\n");
    QUELLAN2_CONNECTION connection = open();
    clearJournals();
    const std::string hostText = "B-7";
    const uintptr_t host = reinterpret_cast<uintptr_t>(hostText.c_str());
    GetParam().run(*plugin, connection, hostText.c_str());
    EXPECT_EQ(host, batchAddress(full));
    EXPECT_EQ(host, batchAddress(emulated)) << "the short function, emulating the extended one";
    EXPECT_NE(host, batchAddress(timed)) << "a call that may be given up keeps a copy";
    (*plugin)->connectionClose(connection);
}

INSTANTIATE_TEST_SUITE_P(EveryBatchOperation, BatchPointer, ::testing::ValuesIn(OPERATIONS),
                         [](const ::testing::TestParamInfo<BatchOperation>& info) { return info.param.name; });

}  // namespace
}  // namespace mq::test
