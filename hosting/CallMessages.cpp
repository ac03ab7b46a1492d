// The nine calls of the call messages, and the short-form fallbacks.
#include "hosting/CallMessages.h"

#include "hosting/GuardedCall.h"
#include "hosting/QuellanProxy.h"

namespace mq {

namespace {

// Time point s of a series, with the 32-bit wrap-around the children expect.
int32_t timePoint(int32_t startTime, int32_t interval, uint32_t sample) {
    return static_cast<int32_t>(static_cast<uint32_t>(startTime) + sample * static_cast<uint32_t>(interval));
}

uint32_t tagCount(const std::vector<QUELLAN2_TAG>& tags) {
    return static_cast<uint32_t>(tags.size());
}

uint32_t sampleCount(const std::vector<QUELLAN2_VECTOR>& vectors) {
    return static_cast<uint32_t>(vectors.size());
}

// Gives a slot's vector back to the child and clears the slot, so that
// nobody reads or frees it again.
void giveBack(QuellanProxy& proxy, QUELLAN2_VECTOR& slot) {
    guardedCall(proxy.functions().vectorFree, slot);
    slot = nullptr;
}

// A guarded call of the child's function on behalf of `message`, which keeps
// the fault that ended it, if one did, for the child's health.
template <typename Function, typename... Arguments>
QUELLAN2_STATUS guarded(QuellanMessage& message, Function function, Arguments... arguments) {
    const GuardedOutcome outcome = guardedCallOutcome(function, arguments...);
    if (outcome.faulted()) message.fault = outcome.fault;
    return outcome.status;
}

}  // namespace

template <class Call>
QUELLAN2_STATUS ShortSeriesCalls::execute(Call& call, QuellanProxy& proxy) {
    std::vector<QUELLAN2_VECTOR>& vectors = call.vectors;
    const uint32_t samples = sampleCount(vectors);
    if (call.interval < 0 || samples == 0) return QUELLAN2_STATUS_INVALID_PARAMETER;
    for (uint32_t sample = 0; sample < samples; ++sample) {
        // The short read stores a vector of its own in the slot, so the one
        // made for the slot beforehand is given back first.
        if constexpr (Call::READS_SLOTS) {
            if (vectors[sample]) giveBack(proxy, vectors[sample]);
        }
        QUELLAN2_STATUS status = call.callShort(proxy, sample);
        if (status != QUELLAN2_STATUS_OK) {
            // A read series fails as a whole: the samples read so far are
            // given back, last first. Time points already written stay
            // written.
            if constexpr (Call::READS_SLOTS) {
                for (uint32_t earlier = sample; earlier-- > 0;) giveBack(proxy, vectors[earlier]);
            }
            return status;
        }
    }
    return QUELLAN2_STATUS_OK;
}

template QUELLAN2_STATUS ShortSeriesCalls::execute(calls::ConnectionReadHistoricalData&, QuellanProxy&);
template QUELLAN2_STATUS ShortSeriesCalls::execute(calls::ConnectionWriteHistoricalData&, QuellanProxy&);

namespace calls {

QUELLAN2_STATUS ConnectionGetCurrentTime::callChild(QuellanProxy& proxy) {
    return guarded(*this, proxy.functions().connectionGetCurrentTime, proxy.childConnection(), &time);
}

QUELLAN2_STATUS ConnectionReadCurrentData::callChild(QuellanProxy& proxy) {
    return guarded(*this, proxy.functions().connectionReadCurrentData, proxy.childConnection(), tags.data(),
                   tagCount(tags), &vectors[0]);
}

bool ConnectionReadHistoricalData::hasExtended(QuellanProxy& proxy) {
    return proxy.functions().connectionReadHistoricalDataEx != nullptr;
}

QUELLAN2_STATUS ConnectionReadHistoricalData::callChild(QuellanProxy& proxy) {
    return guarded(*this, proxy.functions().connectionReadHistoricalDataEx, proxy.childConnection(), tags.data(),
                   tagCount(tags), startTime, interval, sampleCount(vectors), vectors.data());
}

QUELLAN2_STATUS ConnectionReadHistoricalData::callShort(QuellanProxy& proxy, uint32_t sample) {
    return guarded(*this, proxy.functions().connectionReadHistoricalData, proxy.childConnection(), tags.data(),
                   tagCount(tags), timePoint(startTime, interval, sample), &vectors[sample]);
}

bool ConnectionReadBatchData::hasExtended(QuellanProxy& proxy) {
    return proxy.functions().connectionReadBatchDataEx != nullptr;
}

QUELLAN2_STATUS ConnectionReadBatchData::callChild(QuellanProxy& proxy) {
    return guarded(*this, proxy.functions().connectionReadBatchDataEx, proxy.childConnection(), tags.data(),
                   tagCount(tags), batch.c_str(), batchTime, &vectors[0]);
}

QUELLAN2_STATUS ConnectionReadBatchData::callShort(QuellanProxy& proxy) {
    return guarded(*this, proxy.functions().connectionReadBatchData, proxy.childConnection(), tags.data(),
                   tagCount(tags), batch.c_str(), &vectors[0]);
}

bool ConnectionWriteHistoricalData::hasExtended(QuellanProxy& proxy) {
    return proxy.functions().connectionWriteHistoricalDataEx != nullptr;
}

QUELLAN2_STATUS ConnectionWriteHistoricalData::callChild(QuellanProxy& proxy) {
    const QUELLAN2_VECTOR* values = vectors.data();
    return guarded(*this, proxy.functions().connectionWriteHistoricalDataEx, proxy.childConnection(), tags.data(),
                   tagCount(tags), startTime, interval, sampleCount(vectors), values);
}

QUELLAN2_STATUS ConnectionWriteHistoricalData::callShort(QuellanProxy& proxy, uint32_t sample) {
    return guarded(*this, proxy.functions().connectionWriteHistoricalData, proxy.childConnection(), tags.data(),
                   tagCount(tags), timePoint(startTime, interval, sample), vectors[sample]);
}

bool ConnectionWriteBatchData::hasExtended(QuellanProxy& proxy) {
    return proxy.functions().connectionWriteBatchDataEx != nullptr;
}

QUELLAN2_STATUS ConnectionWriteBatchData::callChild(QuellanProxy& proxy) {
    return guarded(*this, proxy.functions().connectionWriteBatchDataEx, proxy.childConnection(), tags.data(),
                   tagCount(tags), batch.c_str(), batchTime, vectors[0]);
}

QUELLAN2_STATUS ConnectionWriteBatchData::callShort(QuellanProxy& proxy) {
    return guarded(*this, proxy.functions().connectionWriteBatchData, proxy.childConnection(), tags.data(),
                   tagCount(tags), batch.c_str(), vectors[0]);
}

QUELLAN2_STATUS NodeGetActiveBatches::callChild(QuellanProxy& proxy) {
    return guarded(*this, proxy.functions().nodeGetActiveBatches, node, fromTime, toTime, &vectors[0]);
}

QUELLAN2_STATUS NodeGetBatchTimes::callChild(QuellanProxy& proxy) {
    return guarded(*this, proxy.functions().nodeGetBatchTimes, node, batch.c_str(), batchTime, &startTime, &endTime);
}

QUELLAN2_STATUS TagGetUpdateTime::callChild(QuellanProxy& proxy) {
    return guarded(*this, proxy.functions().tagGetUpdateTime, tag, &time);
}

}  // namespace calls

}  // namespace mq
