// The nine call messages: each runs one child function on the worker thread.
#include "hosting/CallMessages.h"

#include "hosting/GuardedCall.h"
#include "hosting/QuellanProxy.h"

namespace mq {

namespace {

// Time point s of a series, with the 32-bit wrap-around the children expect.
int32_t timePoint(int32_t startTime, int32_t interval, uint32_t sample) {
    return static_cast<int32_t>(static_cast<uint32_t>(startTime) +
                                sample * static_cast<uint32_t>(interval));
}

uint32_t tagCount(const std::vector<QUELLAN2_TAG>& tags) {
    return static_cast<uint32_t>(tags.size());
}

}  // namespace

QUELLAN2_STATUS ConnectionGetCurrentTimeMessage::execute(QuellanProxy& proxy) {
    return guardedCall(proxy.functions().connectionGetCurrentTime, proxy.childConnection(), &time);
}

QUELLAN2_STATUS ConnectionReadCurrentDataMessage::execute(QuellanProxy& proxy) {
    return guardedCall(proxy.functions().connectionReadCurrentData, proxy.childConnection(), tags.data(),
                       tagCount(tags), &vectors[0]);
}

QUELLAN2_STATUS ConnectionReadHistoricalDataMessage::execute(QuellanProxy& proxy) {
    const ChildFunctionTable& child = proxy.functions();
    const uint32_t sampleCount = static_cast<uint32_t>(vectors.size());
    QUELLAN2_VECTOR* results = vectors.data();
    if (child.connectionReadHistoricalDataEx)
        return guardedCall(child.connectionReadHistoricalDataEx, proxy.childConnection(), tags.data(),
                           tagCount(tags), startTime, interval, sampleCount, results);

    if (interval < 0 || sampleCount == 0 || !results) return QUELLAN2_STATUS_INVALID_PARAMETER;
    for (uint32_t sample = 0; sample < sampleCount; ++sample) {
        // The short function stores a vector of its own in the slot, so the
        // one made for the slot beforehand is given back first.
        if (results[sample]) {
            guardedCall(child.vectorFree, results[sample]);
            results[sample] = nullptr;
        }
        QUELLAN2_STATUS status = guardedCall(child.connectionReadHistoricalData, proxy.childConnection(),
                                             tags.data(), tagCount(tags), timePoint(startTime, interval, sample),
                                             &results[sample]);
        if (status != QUELLAN2_STATUS_OK) {
            // The series failed as a whole: the samples read so far are given
            // back, last first, and their slots cleared so nobody reads or
            // frees them again.
            for (uint32_t earlier = sample; earlier-- > 0;) {
                guardedCall(child.vectorFree, results[earlier]);
                results[earlier] = nullptr;
            }
            return status;
        }
    }
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS ConnectionReadBatchDataMessage::execute(QuellanProxy& proxy) {
    const ChildFunctionTable& child = proxy.functions();
    if (child.connectionReadBatchDataEx)
        return guardedCall(child.connectionReadBatchDataEx, proxy.childConnection(), tags.data(), tagCount(tags),
                           batch.c_str(), batchTime, &vectors[0]);
    if (batchTime < 0) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardedCall(child.connectionReadBatchData, proxy.childConnection(), tags.data(), tagCount(tags),
                       batch.c_str(), &vectors[0]);
}

QUELLAN2_STATUS ConnectionWriteHistoricalDataMessage::execute(QuellanProxy& proxy) {
    const ChildFunctionTable& child = proxy.functions();
    const uint32_t sampleCount = static_cast<uint32_t>(vectors.size());
    const QUELLAN2_VECTOR* values = vectors.data();
    if (child.connectionWriteHistoricalDataEx)
        return guardedCall(child.connectionWriteHistoricalDataEx, proxy.childConnection(), tags.data(),
                           tagCount(tags), startTime, interval, sampleCount, values);

    if (interval < 0 || sampleCount == 0 || !values) return QUELLAN2_STATUS_INVALID_PARAMETER;
    for (uint32_t sample = 0; sample < sampleCount; ++sample) {
        // Time points already written stay written when a later one fails.
        QUELLAN2_STATUS status = guardedCall(child.connectionWriteHistoricalData, proxy.childConnection(),
                                             tags.data(), tagCount(tags), timePoint(startTime, interval, sample),
                                             values[sample]);
        if (status != QUELLAN2_STATUS_OK) return status;
    }
    return QUELLAN2_STATUS_OK;
}

QUELLAN2_STATUS ConnectionWriteBatchDataMessage::execute(QuellanProxy& proxy) {
    const ChildFunctionTable& child = proxy.functions();
    if (child.connectionWriteBatchDataEx)
        return guardedCall(child.connectionWriteBatchDataEx, proxy.childConnection(), tags.data(), tagCount(tags),
                           batch.c_str(), batchTime, vectors[0]);
    if (batchTime < 0) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardedCall(child.connectionWriteBatchData, proxy.childConnection(), tags.data(), tagCount(tags),
                       batch.c_str(), vectors[0]);
}

QUELLAN2_STATUS NodeGetActiveBatchesMessage::execute(QuellanProxy& proxy) {
    return guardedCall(proxy.functions().nodeGetActiveBatches, node, fromTime, toTime, &vectors[0]);
}

QUELLAN2_STATUS NodeGetBatchTimesMessage::execute(QuellanProxy& proxy) {
    return guardedCall(proxy.functions().nodeGetBatchTimes, node, batch.c_str(), batchTime, &startTime,
                       &endTime);
}

QUELLAN2_STATUS TagGetUpdateTimeMessage::execute(QuellanProxy& proxy) {
    return guardedCall(proxy.functions().tagGetUpdateTime, tag, &time);
}

}  // namespace mq
