// The host's data operations as the operation tables run them.
#pragma once

#include "data/VectorText.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mq::test {

// The child functions a child's start calls, in order: before the open, and
// the tree read with it.
inline const std::vector<const char*> START_UP_FUNCTIONS = {"initialize", "getIdentity", "connectionOpen"};
inline const std::vector<const char*> TREE_FUNCTIONS = {
    "connectionGetNumNodes", "connectionGetNode", "nodeGetName", "nodeGetNumNodes",
    "nodeGetNode",           "nodeGetNumTags",    "nodeGetTag",  "tagGetName"};
// The child function each of the host's call messages reaches.
inline const std::vector<const char*> MESSAGE_FUNCTIONS = {
    "connectionGetCurrentTime",       "connectionReadCurrentData",  "connectionReadHistoricalDataEx",
    "connectionReadBatchDataEx",      "connectionWriteHistoricalDataEx", "connectionWriteBatchDataEx",
    "nodeGetActiveBatches",           "nodeGetBatchTimes",          "tagGetUpdateTime"};

// A host operation by name (a child function name where that is what it
// reaches); it returns what the host got, as text.
struct HostOperation {
    const char* name;
    std::function<std::string(const LoadedPlugin&, QUELLAN2_CONNECTION)> run;
};

// The tags one operation covers.
struct TagList {
    const QUELLAN2_TAG* tags;
    uint32_t count;
};

// Each runner expects the host's call to succeed and returns what it got as text.
inline std::string readCurrent(const LoadedPlugin& plugin, QUELLAN2_CONNECTION connection, TagList tags) {
    QUELLAN2_VECTOR result = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_OK, plugin->connectionReadCurrentData(connection, tags.tags, tags.count, &result));
    return take(plugin, result);
}

inline std::string readHistory(const LoadedPlugin& plugin, QUELLAN2_CONNECTION connection, TagList tags,
                               int32_t start, int32_t interval, uint32_t samples) {
    std::vector<QUELLAN2_VECTOR> results(samples, nullptr);
    EXPECT_EQ(QUELLAN2_STATUS_OK, plugin->connectionReadHistoricalDataEx(connection, tags.tags, tags.count, start,
                                                                         interval, samples, results.data()));
    std::string text;
    for (QUELLAN2_VECTOR result : results) text += take(plugin, result);
    return text;
}

inline std::string readBatch(const LoadedPlugin& plugin, QUELLAN2_CONNECTION connection, TagList tags,
                             const char* batch, int32_t time) {
    QUELLAN2_VECTOR result = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_OK,
              plugin->connectionReadBatchDataEx(connection, tags.tags, tags.count, batch, time, &result));
    return take(plugin, result);
}

// Writes one host vector per sample.
inline void writeHistory(const LoadedPlugin& plugin, QUELLAN2_CONNECTION connection, TagList tags, int32_t start,
                         int32_t interval, const std::vector<std::vector<float>>& samples) {
    std::vector<QUELLAN2_VECTOR> values;
    for (const std::vector<float>& sample : samples) values.push_back(hostVector(plugin, sample));
    EXPECT_EQ(QUELLAN2_STATUS_OK,
              plugin->connectionWriteHistoricalDataEx(connection, tags.tags, tags.count, start, interval,
                                                      static_cast<uint32_t>(values.size()), values.data()));
    for (QUELLAN2_VECTOR vector : values) plugin->vectorFree(vector);
}

inline void writeBatch(const LoadedPlugin& plugin, QUELLAN2_CONNECTION connection, TagList tags, const char* batch,
                       int32_t time, const std::vector<float>& sample) {
    QUELLAN2_VECTOR values = hostVector(plugin, sample);
    EXPECT_EQ(QUELLAN2_STATUS_OK,
              plugin->connectionWriteBatchDataEx(connection, tags.tags, tags.count, batch, time, values));
    plugin->vectorFree(values);
}

// The tags the data operations cover: every one of `read` is read, every one
// of `written` written, and `readBack` (those written whose values the test
// can see) read again after a write.
struct DataTags {
    TagList read;
    TagList written;
    TagList readBack;
    uint32_t historySamples;
};

// The host's five data operations, each named by the child function it
// reaches. Written values are 1, 2, ... through the tags and samples of a
// history, and -1, -2, ... through the tags of a batch.
inline std::vector<HostOperation> dataOperations(DataTags tags) {
    const auto numbers = [](uint32_t first, uint32_t count, float sign) {
        std::vector<float> values;
        for (uint32_t k = 0; k < count; ++k) values.push_back(sign * static_cast<float>(first + k));
        return values;
    };
    const std::vector<std::vector<float>> history = {numbers(1, tags.written.count, 1),
                                                     numbers(1 + tags.written.count, tags.written.count, 1)};
    const std::vector<float> batch = numbers(1, tags.written.count, -1);
    return {
        {"connectionReadCurrentData",
         [tags](const LoadedPlugin& plugin, QUELLAN2_CONNECTION connection) {
             return readCurrent(plugin, connection, tags.read);
         }},
        {"connectionReadHistoricalDataEx",
         [tags](const LoadedPlugin& plugin, QUELLAN2_CONNECTION connection) {
             return readHistory(plugin, connection, tags.read, 1699990000, 45, tags.historySamples);
         }},
        {"connectionReadBatchDataEx",
         [tags](const LoadedPlugin& plugin, QUELLAN2_CONNECTION connection) {
             return readBatch(plugin, connection, tags.read, "B-7", 1699999999);
         }},
        {"connectionWriteHistoricalDataEx",
         [tags, history](const LoadedPlugin& plugin, QUELLAN2_CONNECTION connection) {
             writeHistory(plugin, connection, tags.written, 1600000000, 60, history);
             return readHistory(plugin, connection, tags.readBack, 1600000000, 60, 2);
         }},
        {"connectionWriteBatchDataEx",
         [tags, batch](const LoadedPlugin& plugin, QUELLAN2_CONNECTION connection) {
             writeBatch(plugin, connection, tags.written, "W-1", 1600000000, batch);
             return readBatch(plugin, connection, tags.readBack, "W-1", 1600000000);
         }},
    };
}

}  // namespace mq::test
