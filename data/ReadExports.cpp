// The exported reads: current, historical and batch values over children.
#include "data/ChildGroups.h"
#include "data/ChildVector.h"
#include "data/SystemTime.h"
#include "interface/ExportGuard.h"
#include "interface/Multiplexer.h"
#include "interface/ValueVector.h"

#include <memory>
#include <vector>

using namespace mq;

namespace {

// One call per child that owns any of the tags, in ascending child order, each
// answer merged into the host's positions. `callChild` makes the child's call
// with its own tag handles and the address of the child's result vector.
template <typename CallChild>
QUELLAN2_STATUS scatterGatherRead(const QUELLAN2_TAG* tags, uint32_t tagCount, QUELLAN2_VECTOR* result,
                                  CallChild callChild) {
    Multiplexer& multiplexer = Multiplexer::instance();
    if (!tagsAreKnown(multiplexer, tags, tagCount)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    auto values = std::make_unique<ValueVector>(tagCount);
    for (auto& [childIndex, group] : groupByChild(multiplexer, tags, tagCount)) {
        // Held for the group, so the child outlives its call whatever else happens.
        std::shared_ptr<Quellan> child = multiplexer.children()[childIndex];
        ChildVector answer(*child);
        callChild(*child->proxy(), group.childTags, answer.address());
        mergeChildVector(*child, answer.get(), group.positions, *values);
    }
    *result = toHandle(values.release());
    return QUELLAN2_STATUS_OK;
}

}  // namespace

extern "C" {

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionReadCurrentData(QUELLAN2_CONNECTION connection,
                                                                 const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                                 QUELLAN2_VECTOR* result) {
    if (!connection || !tags || !result || tagCount == 0) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        return scatterGatherRead(tags, tagCount, result,
                                 [](QuellanProxy& proxy, std::vector<QUELLAN2_TAG>& childTags, QUELLAN2_VECTOR* answer) {
                                     proxy.connectionReadCurrentData(
                                         childTags.data(), static_cast<uint32_t>(childTags.size()), answer);
                                 });
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionReadBatchDataEx(QUELLAN2_CONNECTION connection,
                                                                 const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                                 const char* batch, int32_t batchTime,
                                                                 QUELLAN2_VECTOR* result) {
    if (!connection || !tags || !batch || !result || tagCount == 0 || batchTime < 0)
        return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        // Every child gets the same batch pointer; its text is never copied.
        return scatterGatherRead(tags, tagCount, result,
                                 [&](QuellanProxy& proxy, std::vector<QUELLAN2_TAG>& childTags, QUELLAN2_VECTOR* answer) {
                                     proxy.connectionReadBatchData(childTags.data(),
                                                                   static_cast<uint32_t>(childTags.size()), batch,
                                                                   batchTime, answer);
                                 });
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionReadBatchData(QUELLAN2_CONNECTION connection,
                                                               const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                               const char* batch, QUELLAN2_VECTOR* result) {
    return quellan2_connectionReadBatchDataEx(connection, tags, tagCount, batch, currentTimeSeconds(), result);
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionReadHistoricalDataEx(QUELLAN2_CONNECTION connection,
                                                                      const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                                      int32_t startTime, int32_t interval,
                                                                      uint32_t sampleCount,
                                                                      QUELLAN2_VECTOR* results) {
    if (!connection || !tags || !results || tagCount == 0 || startTime < 0 || interval < 0 || sampleCount == 0)
        return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        Multiplexer& multiplexer = Multiplexer::instance();
        if (!tagsAreKnown(multiplexer, tags, tagCount)) return QUELLAN2_STATUS_INVALID_PARAMETER;
        std::vector<ValueVectorPtr> samples;
        samples.reserve(sampleCount);
        for (uint32_t sample = 0; sample < sampleCount; ++sample)
            samples.push_back(std::make_unique<ValueVector>(tagCount));

        for (auto& [childIndex, group] : groupByChild(multiplexer, tags, tagCount)) {
            std::shared_ptr<Quellan> child = multiplexer.children()[childIndex];
            const uint32_t groupSize = static_cast<uint32_t>(group.childTags.size());
            // Every child is read at the same time points.
            ChildVectorSeries answers(*child, sampleCount, groupSize);
            child->proxy()->connectionReadHistoricalData(group.childTags.data(), groupSize, startTime, interval,
                                                         sampleCount, answers.slots());
            for (uint32_t sample = 0; sample < sampleCount; ++sample)
                mergeChildVector(*child, answers.at(sample), group.positions, *samples[sample]);
        }
        for (uint32_t sample = 0; sample < sampleCount; ++sample) results[sample] = toHandle(samples[sample].release());
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionReadHistoricalData(QUELLAN2_CONNECTION connection,
                                                                    const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                                    int32_t time, QUELLAN2_VECTOR* result) {
    return quellan2_connectionReadHistoricalDataEx(connection, tags, tagCount, time, 0, 1, result);
}

}  // extern "C"
