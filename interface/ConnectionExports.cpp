// The exported connection functions.
#include "interface/ExportGuard.h"
#include "interface/Multiplexer.h"

using namespace mq;

extern "C" {

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionOpen(const char* connectionText, QUELLAN2_CONNECTION* connection) {
    if (!connectionText || !connection) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        Multiplexer& multiplexer = Multiplexer::instance();
        multiplexer.open();
        *connection = multiplexer.connectionHandle();
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionClose(QUELLAN2_CONNECTION) {
    // Whatever the handle, the one Multiplexer goes; with none, there is nothing to stop.
    return guardExport([] {
        Multiplexer::destroy();
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionGetNumNodes(QUELLAN2_CONNECTION connection, uint32_t* count) {
    if (!connection || !count) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        *count = static_cast<uint32_t>(Multiplexer::instance().nodeTable().size());
        return QUELLAN2_STATUS_OK;
    });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionGetNode(QUELLAN2_CONNECTION connection, uint32_t index,
                                                         QUELLAN2_NODE* node) {
    if (!connection || !node) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        if (index >= Multiplexer::instance().nodeTable().size()) return QUELLAN2_STATUS_INVALID_PARAMETER;
        *node = Multiplexer::nodeHandle(index);
        return QUELLAN2_STATUS_OK;
    });
}

}  // extern "C"
