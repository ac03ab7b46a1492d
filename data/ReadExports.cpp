// The exported reads: current, historical and batch values over children.
#include "data/ChildCalls.h"
#include "data/ChildGroups.h"
#include "data/ChildVector.h"
#include "data/SystemTime.h"
#include "hosting/CallMessages.h"
#include "interface/ExportGuard.h"
#include "interface/Multiplexer.h"
#include "interface/ValueVector.h"

#include <memory>
#include <utility>
#include <vector>

using namespace mq;

namespace {

// One call of a data operation on one child.
template <typename Message>
struct GroupCall {
    // Held for the call, so the child outlives it whatever else happens.
    std::shared_ptr<Quellan> child;
    const ChildGroup* group = nullptr;
    std::shared_ptr<Message> message;
};

template <typename Message>
std::vector<GroupCall<Message>> groupCalls(const Multiplexer& multiplexer, const ChildGroups& groups) {
    std::vector<GroupCall<Message>> calls;
    calls.reserve(groups.size());
    for (const auto& [childIndex, group] : groups) calls.push_back({multiplexer.children()[childIndex], &group, {}});
    return calls;
}

// One call per child that owns any of the tags, in ascending child order, each
// answer merged into the host's positions. `makeMessage` makes the child's
// message from its own tag handles; its answer is the message's one vector.
template <typename Message, typename MakeMessage>
QUELLAN2_STATUS scatterGatherRead(const QUELLAN2_TAG* tags, uint32_t tagCount, QUELLAN2_VECTOR* result,
                                  MakeMessage makeMessage) {
    Multiplexer& multiplexer = Multiplexer::instance();
    if (!tagsAreKnown(multiplexer, tags, tagCount)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    auto values = std::make_unique<ValueVector>(tagCount);
    const ChildGroups groups = groupByChild(multiplexer, tags, tagCount);
    std::vector<GroupCall<Message>> calls = groupCalls<Message>(multiplexer, groups);
    callChildGroups(
        multiplexer.parallelCalls(), calls.size(),
        [&](std::size_t k) {
            calls[k].message = makeMessage(calls[k].group->childTags);
            calls[k].child->proxy()->start(calls[k].message);
        },
        [&](std::size_t k) {
            GroupCall<Message>& call = calls[k];
            call.child->proxy()->finish(*call.message);
            ChildVector answer(*call.child);
            if (!call.message->givenUp) *answer.address() = std::exchange(call.message->vectors[0], nullptr);
            mergeChildVector(*call.child, answer.get(), call.group->positions, *values);
        });
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
        return scatterGatherRead<ConnectionReadCurrentDataMessage>(
            tags, tagCount, result, [](const std::vector<QUELLAN2_TAG>& childTags) {
                return std::make_shared<ConnectionReadCurrentDataMessage>(childTags);
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
        return scatterGatherRead<ConnectionReadBatchDataMessage>(
            tags, tagCount, result, [&](const std::vector<QUELLAN2_TAG>& childTags) {
                return std::make_shared<ConnectionReadBatchDataMessage>(childTags, batch, batchTime);
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

        const ChildGroups groups = groupByChild(multiplexer, tags, tagCount);
        using Message = ConnectionReadHistoricalDataMessage;
        std::vector<GroupCall<Message>> calls = groupCalls<Message>(multiplexer, groups);
        // Every child is read at the same time points, into vectors it made itself.
        std::vector<std::unique_ptr<ChildVectorSeries>> answers(calls.size());
        callChildGroups(
            multiplexer.parallelCalls(), calls.size(),
            [&](std::size_t k) {
                const uint32_t groupSize = static_cast<uint32_t>(calls[k].group->childTags.size());
                answers[k] = std::make_unique<ChildVectorSeries>(*calls[k].child, sampleCount, groupSize);
                calls[k].message = std::make_shared<Message>(calls[k].group->childTags, startTime, interval,
                                                             answers[k]->lend());
                calls[k].child->proxy()->start(calls[k].message);
            },
            [&](std::size_t k) {
                calls[k].child->proxy()->finish(*calls[k].message);
                answers[k]->takeBack(*calls[k].message);
                for (uint32_t sample = 0; sample < sampleCount; ++sample)
                    mergeChildVector(*calls[k].child, answers[k]->at(sample), calls[k].group->positions,
                                     *samples[sample]);
                answers[k].reset();
            });
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
