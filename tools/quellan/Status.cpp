// Naming the interface's status codes, and turning a failed call into the tool's error.
#include "Status.h"

#include "ToolError.h"
#include "interface/Status.h"

namespace quellan {

const char* statusName(QUELLAN2_STATUS status) {
    return mq::statusName(status);
}

std::string failedCallText(QUELLAN2_STATUS status, const std::string& function) {
    return function + " returned " + statusName(status) + " (" + std::to_string(status) + ")";
}

void checkStatus(QUELLAN2_STATUS status, const std::string& function) {
    if (status == QUELLAN2_STATUS_OK) return;
    throw ToolError(ExitCode::PLUGIN_FAILED, failedCallText(status, function));
}

}  // namespace quellan
