// Current, historical and batch reads and writes.
#include "quellan2.h"
#include "samples/simquellan/Call.h"
#include "samples/simquellan/Simulator.h"
#include "samples/simquellan/VectorResults.h"

using namespace simquellan;

namespace {

bool isOpen(const State& state, QUELLAN2_CONNECTION connection) {
    return state.connections.count(reinterpret_cast<std::uintptr_t>(connection)) != 0;
}

bool resolveTags(const State& state, const QUELLAN2_TAG* tags, uint32_t count, std::vector<const Tag*>& found) {
    for (uint32_t i = 0; i < count; ++i) {
        const Tag* tag = state.plant.tag(reinterpret_cast<std::uintptr_t>(tags[i]));
        if (!tag) return false;
        found.push_back(tag);
    }
    return true;
}

// Time point s of a series, with the 32-bit wrap-around a host would use.
int32_t timePoint(int32_t start, int32_t interval, uint32_t s) {
    return static_cast<int32_t>(static_cast<uint32_t>(start) + s * static_cast<uint32_t>(interval));
}

// A vector already in the slot is filled in place: a host that made it
// beforehand then frees exactly what it made.
void storeSample(const Call& call, QUELLAN2_VECTOR* slot, const std::vector<Value>& values) {
    if (call.intercept.unwritten) return;
    const VectorQuirk& quirk = call.intercept.vector;
    if (*slot && quirk.none) {
        adopt(*slot);
        *slot = nullptr;
    } else if (*slot) {
        fillResult(*objectOf(*slot), values, quirk);
    } else {
        *slot = handleOf(makeResult(values, quirk));
    }
}

QUELLAN2_STATUS readHistorical(const Call& call, QUELLAN2_CONNECTION connection, const QUELLAN2_TAG* tags,
                               uint32_t count, int32_t start, int32_t interval, uint32_t samples,
                               QUELLAN2_VECTOR* results) {
    if (!connection || !tags || !count || !samples || !results) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return Simulator::instance().withState([&](State& state) {
        std::vector<const Tag*> found;
        if (!isOpen(state, connection) || !resolveTags(state, tags, count, found))
            return QUELLAN2_STATUS_INVALID_PARAMETER;
        for (uint32_t s = 0; s < samples; ++s) {
            std::vector<Value> values;
            for (const Tag* tag : found) values.push_back(state.valueAt(*tag, timePoint(start, interval, s)));
            storeSample(call, &results[s], values);
        }
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS readBatch(const Call& call, QUELLAN2_CONNECTION connection, const QUELLAN2_TAG* tags,
                          uint32_t count, const char* batch, QUELLAN2_VECTOR* result) {
    if (!connection || !tags || !count || !batch || !result) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return Simulator::instance().withState([&](State& state) {
        std::vector<const Tag*> found;
        if (!isOpen(state, connection) || !resolveTags(state, tags, count, found))
            return QUELLAN2_STATUS_INVALID_PARAMETER;
        std::vector<Value> values;
        for (const Tag* tag : found) values.push_back(state.batchValue(*tag, batch));
        call.store(result, makeResult(values, call.intercept.vector));
        return QUELLAN2_STATUS_OK;
    });
}

bool isValueVector(QUELLAN2_VECTOR vector, uint32_t count) {
    return vector && objectOf(vector)->elements.size() == count;
}

QUELLAN2_STATUS writeHistorical(QUELLAN2_CONNECTION connection, const QUELLAN2_TAG* tags, uint32_t count,
                                int32_t start, int32_t interval, uint32_t samples, const QUELLAN2_VECTOR* values) {
    if (!connection || !tags || !count || !samples || !values) return QUELLAN2_STATUS_INVALID_PARAMETER;
    for (uint32_t s = 0; s < samples; ++s)
        if (!isValueVector(values[s], count)) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return Simulator::instance().withState([&](State& state) {
        std::vector<const Tag*> found;
        if (!isOpen(state, connection) || !resolveTags(state, tags, count, found))
            return QUELLAN2_STATUS_INVALID_PARAMETER;
        for (uint32_t s = 0; s < samples; ++s)
            for (uint32_t i = 0; i < count; ++i)
                state.history[{state.plant.tagKey(*found[i]), timePoint(start, interval, s)}] =
                    objectOf(values[s])->elements[i].value;
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS writeBatch(QUELLAN2_CONNECTION connection, const QUELLAN2_TAG* tags, uint32_t count,
                           const char* batch, QUELLAN2_VECTOR values) {
    if (!connection || !tags || !count || !batch || !isValueVector(values, count))
        return QUELLAN2_STATUS_INVALID_PARAMETER;
    return Simulator::instance().withState([&](State& state) {
        std::vector<const Tag*> found;
        if (!isOpen(state, connection) || !resolveTags(state, tags, count, found))
            return QUELLAN2_STATUS_INVALID_PARAMETER;
        for (uint32_t i = 0; i < count; ++i)
            state.batchValues[{state.plant.tagKey(*found[i]), batch}] = objectOf(values)->elements[i].value;
        return QUELLAN2_STATUS_OK;
    });
}

Arguments tagArguments(QUELLAN2_CONNECTION connection, const QUELLAN2_TAG* tags, uint32_t count) {
    Arguments arguments;
    arguments.handle("connection", connection).tags(tags, count);
    return arguments;
}

}  // namespace

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionReadCurrentData(QUELLAN2_CONNECTION connection,
                                                                 const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                                 QUELLAN2_VECTOR* result) {
    const auto arguments = [=] { return tagArguments(connection, tags, tagCount); };
    return serve("connectionReadCurrentData", arguments, [&](Call& call) {
        if (!connection || !tags || !tagCount || !result) return QUELLAN2_STATUS_INVALID_PARAMETER;
        return Simulator::instance().withState([&](State& state) {
            std::vector<const Tag*> found;
            if (!isOpen(state, connection) || !resolveTags(state, tags, tagCount, found))
                return QUELLAN2_STATUS_INVALID_PARAMETER;
            std::vector<Value> values;
            for (const Tag* tag : found) values.push_back(state.valueAt(*tag, state.plant.now()));
            call.store(result, makeResult(values, call.intercept.vector));
            return QUELLAN2_STATUS_OK;
        });
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionReadHistoricalData(QUELLAN2_CONNECTION connection,
                                                                    const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                                    int32_t time, QUELLAN2_VECTOR* result) {
    Arguments arguments = tagArguments(connection, tags, tagCount);
    arguments.number("time", time);
    return serve("connectionReadHistoricalData", arguments, [&](Call& call) {
        return readHistorical(call, connection, tags, tagCount, time, 0, 1, result);
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionReadBatchData(QUELLAN2_CONNECTION connection,
                                                               const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                               const char* batch, QUELLAN2_VECTOR* result) {
    Arguments arguments = tagArguments(connection, tags, tagCount);
    arguments.batch(batch);
    return serve("connectionReadBatchData", arguments,
                 [&](Call& call) { return readBatch(call, connection, tags, tagCount, batch, result); });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionWriteHistoricalData(QUELLAN2_CONNECTION connection,
                                                                     const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                                     int32_t time, QUELLAN2_VECTOR values) {
    Arguments arguments = tagArguments(connection, tags, tagCount);
    arguments.number("time", time).vector("values", values);
    return serve("connectionWriteHistoricalData", arguments, [&](Call&) {
        return writeHistorical(connection, tags, tagCount, time, 0, 1, &values);
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionWriteBatchData(QUELLAN2_CONNECTION connection,
                                                                const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                                const char* batch, QUELLAN2_VECTOR values) {
    Arguments arguments = tagArguments(connection, tags, tagCount);
    arguments.batch(batch).vector("values", values);
    return serve("connectionWriteBatchData", arguments,
                 [&](Call&) { return writeBatch(connection, tags, tagCount, batch, values); });
}

#ifndef SIMQUELLAN_OMIT_OPTIONAL
QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionReadHistoricalDataEx(QUELLAN2_CONNECTION connection,
                                                                      const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                                      int32_t startTime, int32_t interval,
                                                                      uint32_t sampleCount, QUELLAN2_VECTOR* results) {
    Arguments arguments = tagArguments(connection, tags, tagCount);
    arguments.number("start", startTime).number("interval", interval).number("samples", sampleCount);
    return serve("connectionReadHistoricalDataEx", arguments, [&](Call& call) {
        return readHistorical(call, connection, tags, tagCount, startTime, interval, sampleCount, results);
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionReadBatchDataEx(QUELLAN2_CONNECTION connection,
                                                                 const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                                 const char* batch, int32_t batchTime,
                                                                 QUELLAN2_VECTOR* result) {
    Arguments arguments = tagArguments(connection, tags, tagCount);
    arguments.batch(batch).number("time", batchTime);
    return serve("connectionReadBatchDataEx", arguments,
                 [&](Call& call) { return readBatch(call, connection, tags, tagCount, batch, result); });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionWriteHistoricalDataEx(QUELLAN2_CONNECTION connection,
                                                                       const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                                       int32_t startTime, int32_t interval,
                                                                       uint32_t sampleCount,
                                                                       const QUELLAN2_VECTOR* values) {
    Arguments arguments = tagArguments(connection, tags, tagCount);
    arguments.number("start", startTime).number("interval", interval).number("samples", sampleCount);
    arguments.vectors("values", values, sampleCount);
    return serve("connectionWriteHistoricalDataEx", arguments, [&](Call&) {
        return writeHistorical(connection, tags, tagCount, startTime, interval, sampleCount, values);
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionWriteBatchDataEx(QUELLAN2_CONNECTION connection,
                                                                  const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                                  const char* batch, int32_t batchTime,
                                                                  QUELLAN2_VECTOR values) {
    Arguments arguments = tagArguments(connection, tags, tagCount);
    arguments.batch(batch).number("time", batchTime).vector("values", values);
    return serve("connectionWriteBatchDataEx", arguments,
                 [&](Call&) { return writeBatch(connection, tags, tagCount, batch, values); });
}
#endif
