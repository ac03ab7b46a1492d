// The exported node and tag browsing functions: table reads, no child is called.
#include "interface/ExportGuard.h"
#include "interface/Multiplexer.h"
#include "interface/StringObject.h"

using namespace mq;

extern "C" {

QUELLAN2_STATUS QUELLAN2_CALL quellan2_nodeGetName(QUELLAN2_NODE node, QUELLAN2_STRING* name) {
    if (!node || !name) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        const NodeEntry* entry = Multiplexer::instance().nodeEntry(node);
        if (!entry) return QUELLAN2_STATUS_INVALID_PARAMETER;
        *name = newStringHandle(entry->name);
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_nodeGetNumTags(QUELLAN2_NODE node, uint32_t* count) {
    if (!node || !count) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        const NodeEntry* entry = Multiplexer::instance().nodeEntry(node);
        if (!entry) return QUELLAN2_STATUS_INVALID_PARAMETER;
        *count = static_cast<uint32_t>(entry->tagCount);
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_nodeGetTag(QUELLAN2_NODE node, uint32_t index, QUELLAN2_TAG* tag) {
    if (!node || !tag) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        const NodeEntry* entry = Multiplexer::instance().nodeEntry(node);
        if (!entry || index >= entry->tagCount) return QUELLAN2_STATUS_INVALID_PARAMETER;
        // The node's tags are one contiguous run of the tag table.
        *tag = Multiplexer::tagHandle(entry->firstTag + index);
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_tagGetName(QUELLAN2_TAG tag, QUELLAN2_STRING* name) {
    if (!tag || !name) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        const TagEntry* entry = Multiplexer::instance().tagEntry(tag);
        if (!entry) return QUELLAN2_STATUS_INVALID_PARAMETER;
        *name = newStringHandle(entry->name);
        return QUELLAN2_STATUS_OK;
    });
}

}  // extern "C"
