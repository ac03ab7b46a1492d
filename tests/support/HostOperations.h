// The host's data operations as the operation tables run them, and the sentinel for unwritten out-values.
#pragma once

#include "data/VectorText.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mq::test {

// What an out-parameter holds before a call that must leave it alone.
constexpr uint32_t UNWRITTEN = 0xFFFFFFFFu;

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

}  // namespace mq::test
