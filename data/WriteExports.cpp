// The exported writes: historical and batch values split over children.
#include "data/ChildCalls.h"
#include "data/ChildGroups.h"
#include "data/ChildVector.h"
#include "data/SystemTime.h"
#include "hosting/CallMessages.h"
#include "interface/ExportGuard.h"
#include "interface/Multiplexer.h"
#include "interface/ValueVector.h"

#include <memory>
#include <vector>

using namespace mq;

namespace {

bool hasLength(QUELLAN2_VECTOR vector, uint32_t length) {
    return vector && fromHandle(vector)->length() == length;
}

// One child's part of a write: its values in vectors it made itself, lent to
// the call message for the span of the call.
struct GroupWrite {
    // Held for the call, so the child outlives it whatever else happens.
    std::shared_ptr<Quellan> child;
    const ChildGroup* group = nullptr;
    std::unique_ptr<ChildVectorSeries> values;
    std::shared_ptr<QuellanMessage> message;
};

// A child's failure is not the host's: every child is called, and the host
// hears OK. `makeMessage` makes a group's message from its filled values.
template <typename MakeMessage>
void writeToChildren(const Multiplexer& multiplexer, const ChildGroups& groups, uint32_t sampleCount,
                     const QUELLAN2_VECTOR* hostValues, MakeMessage makeMessage) {
    std::vector<GroupWrite> writes;
    writes.reserve(groups.size());
    for (const auto& [childIndex, group] : groups) writes.push_back({multiplexer.children()[childIndex], &group, {}, {}});
    callChildGroups(
        multiplexer.parallelCalls(), writes.size(),
        [&](std::size_t k) {
            GroupWrite& write = writes[k];
            const uint32_t groupSize = static_cast<uint32_t>(write.group->childTags.size());
            write.values = std::make_unique<ChildVectorSeries>(*write.child, sampleCount, groupSize);
            for (uint32_t sample = 0; sample < sampleCount; ++sample)
                fillChildVector(*write.child, write.values->at(sample), *fromHandle(hostValues[sample]),
                                write.group->positions);
            write.message = makeMessage(write.group->childTags, write.values->lend());
            write.child->proxy()->start(write.message);
        },
        [&](std::size_t k) {
            GroupWrite& write = writes[k];
            write.child->proxy()->finish(*write.message);
            write.values->takeBack(*write.message);
            write.values.reset();
        });
}

}  // namespace

extern "C" {

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionWriteHistoricalDataEx(QUELLAN2_CONNECTION connection,
                                                                       const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                                       int32_t startTime, int32_t interval,
                                                                       uint32_t sampleCount,
                                                                       const QUELLAN2_VECTOR* values) {
    if (!connection || !tags || !values || tagCount == 0 || startTime < 0 || interval < 0 || sampleCount == 0)
        return QUELLAN2_STATUS_INVALID_PARAMETER;
    // Every check that needs no tag table comes first: a refused call must not
    // create the Multiplexer, which reads the configuration once for good.
    for (uint32_t sample = 0; sample < sampleCount; ++sample)
        if (!hasLength(values[sample], tagCount)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        Multiplexer& multiplexer = Multiplexer::instance();
        if (!tagsAreKnown(multiplexer, tags, tagCount)) return QUELLAN2_STATUS_INVALID_PARAMETER;

        writeToChildren(multiplexer, groupByChild(multiplexer, tags, tagCount), sampleCount, values,
                        [&](const std::vector<QUELLAN2_TAG>& childTags, std::vector<QUELLAN2_VECTOR> lent) {
                            return std::make_shared<ConnectionWriteHistoricalDataMessage>(childTags, startTime,
                                                                                          interval, std::move(lent));
                        });
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionWriteHistoricalData(QUELLAN2_CONNECTION connection,
                                                                     const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                                     int32_t time, QUELLAN2_VECTOR values) {
    return quellan2_connectionWriteHistoricalDataEx(connection, tags, tagCount, time, 0, 1, &values);
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionWriteBatchDataEx(QUELLAN2_CONNECTION connection,
                                                                  const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                                  const char* batch, int32_t batchTime,
                                                                  QUELLAN2_VECTOR values) {
    if (!connection || !tags || !batch || !values || tagCount == 0 || batchTime < 0)
        return QUELLAN2_STATUS_INVALID_PARAMETER;
    if (!hasLength(values, tagCount)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        Multiplexer& multiplexer = Multiplexer::instance();
        if (!tagsAreKnown(multiplexer, tags, tagCount)) return QUELLAN2_STATUS_INVALID_PARAMETER;
        writeToChildren(multiplexer, groupByChild(multiplexer, tags, tagCount), 1, &values,
                        [&](const std::vector<QUELLAN2_TAG>& childTags, std::vector<QUELLAN2_VECTOR> lent) {
                            return std::make_shared<ConnectionWriteBatchDataMessage>(childTags, batch, batchTime,
                                                                                     lent.at(0));
                        });
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionWriteBatchData(QUELLAN2_CONNECTION connection,
                                                                const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                                const char* batch, QUELLAN2_VECTOR values) {
    return quellan2_connectionWriteBatchDataEx(connection, tags, tagCount, batch, currentTimeSeconds(), values);
}

}  // extern "C"
