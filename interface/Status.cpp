// The names of the interface's status codes, for messages and tools.
#include "interface/Status.h"

namespace mq {

const char* statusName(QUELLAN2_STATUS status) {
    switch (status) {
    case QUELLAN2_STATUS_OK: return "QUELLAN2_STATUS_OK";
    case QUELLAN2_STATUS_ERROR: return "QUELLAN2_STATUS_ERROR";
    case QUELLAN2_STATUS_INVALID_PARAMETER: return "QUELLAN2_STATUS_INVALID_PARAMETER";
    case QUELLAN2_STATUS_NOT_SUPPORTED: return "QUELLAN2_STATUS_NOT_SUPPORTED";
    case QUELLAN2_STATUS_INSUFFICIENT_BUFFER: return "QUELLAN2_STATUS_INSUFFICIENT_BUFFER";
    default: return "<unknown quellan status code>";
    }
}

}  // namespace mq
