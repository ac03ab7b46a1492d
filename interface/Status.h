// Names of the interface's status codes.
#pragma once

#include "quellan2.h"

namespace mq {

// The code's name as the interface header spells it, or
// "<unknown quellan status code>" for any other value.
const char* statusName(QUELLAN2_STATUS status);

}  // namespace mq
