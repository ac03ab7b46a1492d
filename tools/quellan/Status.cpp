#include "Status.h"

#include "ToolError.h"

namespace quellan {

const char* statusName(QUELLAN2_STATUS status) {
    switch (status) {
    case QUELLAN2_STATUS_OK: return "QUELLAN2_STATUS_OK";
    case QUELLAN2_STATUS_ERROR: return "QUELLAN2_STATUS_ERROR";
    case QUELLAN2_STATUS_INVALID_PARAMETER: return "QUELLAN2_STATUS_INVALID_PARAMETER";
    case QUELLAN2_STATUS_NOT_SUPPORTED: return "QUELLAN2_STATUS_NOT_SUPPORTED";
    case QUELLAN2_STATUS_INSUFFICIENT_BUFFER: return "QUELLAN2_STATUS_INSUFFICIENT_BUFFER";
    }
    return "unknown status";
}

void checkStatus(QUELLAN2_STATUS status, const std::string& function) {
    if (status == QUELLAN2_STATUS_OK) return;
    throw ToolError(ExitCode::PLUGIN_FAILED,
                    function + " returned " + statusName(status) + " (" + std::to_string(status) + ")");
}

}  // namespace quellan
