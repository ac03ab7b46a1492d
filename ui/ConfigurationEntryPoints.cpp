// The two configuration entry points of the interface.
#include "interface/ExportGuard.h"
#include "interface/StringObject.h"

using namespace mq;

extern "C" {

// The configuration process and its dialog are not built yet: the host gets
// the empty new-configuration text it always gets, and nothing is started.
QUELLAN2_STATUS QUELLAN2_CALL quellan2_updateConfiguration(const char* configuration,
                                                           QUELLAN2_STRING* newConfiguration) {
    if (!configuration || !newConfiguration) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        *newConfiguration = newStringHandle(std::string());
        return QUELLAN2_STATUS_OK;
    });
}

void QUELLAN2_CALL UpdateConfiguration(void*, void*, char*, int) {}

}  // extern "C"
