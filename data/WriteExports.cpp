// The exported writes: historical and batch values split over children.
#include "data/ChildGroups.h"
#include "data/ChildVector.h"
#include "data/SystemTime.h"
#include "interface/ExportGuard.h"
#include "interface/Multiplexer.h"
#include "interface/ValueVector.h"

#include <vector>

using namespace mq;

namespace {

bool hasLength(QUELLAN2_VECTOR vector, uint32_t length) {
    return vector && fromHandle(vector)->length() == length;
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

        // A child's failure is not the host's: every child is called, and the host hears OK.
        for (auto& [childIndex, group] : groupByChild(multiplexer, tags, tagCount)) {
            std::shared_ptr<Quellan> child = multiplexer.children()[childIndex];
            const uint32_t groupSize = static_cast<uint32_t>(group.childTags.size());
            ChildVectorSeries childValues(*child, sampleCount, groupSize);
            for (uint32_t sample = 0; sample < sampleCount; ++sample)
                fillChildVector(*child, childValues.at(sample), *fromHandle(values[sample]), group.positions);
            child->proxy()->connectionWriteHistoricalData(group.childTags.data(), groupSize, startTime, interval,
                                                          sampleCount, childValues.slots());
        }
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
        for (auto& [childIndex, group] : groupByChild(multiplexer, tags, tagCount)) {
            std::shared_ptr<Quellan> child = multiplexer.children()[childIndex];
            const uint32_t groupSize = static_cast<uint32_t>(group.childTags.size());
            ChildVectorSeries childValues(*child, 1, groupSize);
            fillChildVector(*child, childValues.at(0), *fromHandle(values), group.positions);
            child->proxy()->connectionWriteBatchData(group.childTags.data(), groupSize, batch, batchTime,
                                                     childValues.at(0));
        }
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionWriteBatchData(QUELLAN2_CONNECTION connection,
                                                                const QUELLAN2_TAG* tags, uint32_t tagCount,
                                                                const char* batch, QUELLAN2_VECTOR values) {
    return quellan2_connectionWriteBatchDataEx(connection, tags, tagCount, batch, currentTimeSeconds(), values);
}

}  // extern "C"
