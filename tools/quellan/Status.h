// Status codes of the interface, by name.
#pragma once

#include "quellan2.h"

#include <string>

namespace quellan {

// "QUELLAN2_STATUS_INVALID_PARAMETER", or "<unknown quellan status code>" for a code outside the set.
const char* statusName(QUELLAN2_STATUS status);

// "quellan2_read returned QUELLAN2_STATUS_ERROR (1)"
std::string failedCallText(QUELLAN2_STATUS status, const std::string& function);

// Raises ToolError (PLUGIN_FAILED) naming the function and the status, unless
// the status is QUELLAN2_STATUS_OK.
void checkStatus(QUELLAN2_STATUS status, const std::string& function);

}  // namespace quellan
