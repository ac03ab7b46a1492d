// The frame around the body of every exported function.
#pragma once

#include "quellan2.h"

namespace mq {

// Nothing may leave an exported function as an exception: whatever escapes
// the body (a standard exception, memory exhaustion, the library's own
// Exception) becomes QUELLAN2_STATUS_ERROR. The body has made its argument
// checks first, so a failed check never gets here as an exception.
template <typename Body>
QUELLAN2_STATUS guardExport(Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return QUELLAN2_STATUS_ERROR;
    }
}

}  // namespace mq
