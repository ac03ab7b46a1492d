// The exported life-cycle and identity functions.
#include "interface/ExportGuard.h"
#include "interface/Identity.h"
#include "interface/StringObject.h"

using namespace mq;

extern "C" {

// Neither touches any state: uninitialising does not close an open connection.
QUELLAN2_STATUS QUELLAN2_CALL quellan2_initialize(void) {
    return guardExport([] { return QUELLAN2_STATUS_OK; });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_uninitialize(void) {
    return guardExport([] { return QUELLAN2_STATUS_OK; });
}

QUELLAN2_STATUS QUELLAN2_CALL quellan2_getIdentity(QUELLAN2_STRING* identity) {
    if (!identity) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        *identity = newStringHandle(identityText());
        return QUELLAN2_STATUS_OK;
    });
}

}  // extern "C"
