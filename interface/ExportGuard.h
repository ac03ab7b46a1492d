// The frame around the body of every exported function.
#pragma once

#include "quellan2.h"

#include <type_traits>

namespace mq {

// One rule for every export: its argument checks, which only compare
// pointers and numbers, then `return guardExport(body)`; the four non-Ex
// forms return their Ex twin instead. Nothing may leave an exported function
// as an exception: whatever escapes the body (a standard exception, memory
// exhaustion, the library's own Exception) becomes QUELLAN2_STATUS_ERROR. No
// export is exempt for looking unable to throw today: a body that grows a
// string or a lock tomorrow is covered already, and the frame costs nothing
// until something is thrown.
template <typename Body>
QUELLAN2_STATUS guardExport(Body&& body) noexcept {
    static_assert(std::is_same_v<std::invoke_result_t<Body&>, QUELLAN2_STATUS>,
                  "an export's body answers with a status of the interface");
    try {
        return body();
    } catch (...) {
        return QUELLAN2_STATUS_ERROR;
    }
}

}  // namespace mq
