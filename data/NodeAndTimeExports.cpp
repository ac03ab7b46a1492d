// The exported single-child operations: a node's batches and batch times, a
// tag's update time, the connection's current time.
#include "data/ChildVector.h"
#include "hosting/GuardedCall.h"
#include "interface/ExportGuard.h"
#include "interface/Multiplexer.h"
#include "interface/OutValues.h"
#include "interface/ValueVector.h"

#include <memory>

using namespace mq;

extern "C" {

QUELLAN2_STATUS QUELLAN2_CALL quellan2_nodeGetActiveBatches(QUELLAN2_NODE node, int32_t fromTime, int32_t toTime,
                                                            QUELLAN2_VECTOR* result) {
    if (!node || fromTime < 0 || toTime < 0 || toTime < fromTime || !result)
        return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        Multiplexer& multiplexer = Multiplexer::instance();
        const NodeEntry* entry = multiplexer.nodeEntry(node);
        if (!entry) return QUELLAN2_STATUS_INVALID_PARAMETER;
        std::shared_ptr<Quellan> child = multiplexer.children()[entry->childIndex];
        ChildVector batches(*child);
        child->proxy()->nodeGetActiveBatches(*entry->childNode, fromTime, toTime, batches.address());

        // A list the child did not deliver, or whose length it will not
        // tell, is an empty list.
        uint32_t length = 0;
        if (guardedCall(child->proxy()->functions().vectorGetLength, batches.get(), &length) != QUELLAN2_STATUS_OK)
            length = 0;
        auto list = std::make_unique<ValueVector>(length);
        std::vector<uint32_t> positions(length);
        for (uint32_t i = 0; i < length; ++i) positions[i] = i;
        mergeChildVector(*child, batches.get(), positions, *list);
        *result = toHandle(list.release());
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_nodeGetBatchTimes(QUELLAN2_NODE node, const char* batch, int32_t batchTime,
                                                         uint32_t* startTime, uint32_t* endTime) {
    if (!node || !batch || !startTime || !endTime || batchTime < 0) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        Multiplexer& multiplexer = Multiplexer::instance();
        const NodeEntry* entry = multiplexer.nodeEntry(node);
        if (!entry) return QUELLAN2_STATUS_INVALID_PARAMETER;
        std::shared_ptr<Quellan> child = multiplexer.children()[entry->childIndex];
        uint32_t start = UNWRITTEN_TIME;
        uint32_t end = UNWRITTEN_TIME;
        child->proxy()->nodeGetBatchTimes(*entry->childNode, batch, batchTime, &start, &end);
        *startTime = start;
        *endTime = end;
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_tagGetUpdateTime(QUELLAN2_TAG tag, uint32_t* time) {
    if (!tag || !time) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        Multiplexer& multiplexer = Multiplexer::instance();
        const TagEntry* entry = multiplexer.tagEntry(tag);
        if (!entry) return QUELLAN2_STATUS_INVALID_PARAMETER;
        const NodeEntry& node = multiplexer.nodeTable()[entry->nodeIndex];
        uint32_t updated = UNWRITTEN_TIME;
        multiplexer.children()[node.childIndex]->proxy()->tagGetUpdateTime(*entry->childTag, &updated);
        *time = updated;
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionGetCurrentTime(QUELLAN2_CONNECTION connection, uint32_t* time) {
    if (!connection || !time) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        // The first child that runs keeps the clock; the others are not asked.
        for (const std::shared_ptr<Quellan>& child : Multiplexer::instance().children()) {
            if (!child->proxy()) continue;
            uint32_t now = UNWRITTEN_TIME;
            child->proxy()->connectionGetCurrentTime(&now);
            *time = now;
            return QUELLAN2_STATUS_OK;
        }
        return QUELLAN2_STATUS_ERROR;
    });
}

}  // extern "C"
