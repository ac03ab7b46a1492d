// Calling a child's function through the fault guard.
#pragma once

#include "platform/FaultGuard.h"
#include "quellan2.h"

#include <tuple>

namespace mq {

// Calls a child's entry point so that a fault inside the child ends the call
// instead of the process. The status is preset to QUELLAN2_STATUS_ERROR and
// keeps that value unless the function returns normally.
template <typename Function, typename... Arguments>
QUELLAN2_STATUS guardedCall(Function function, Arguments... arguments) noexcept {
    struct Call {
        Function function;
        std::tuple<Arguments...> arguments;
        QUELLAN2_STATUS status;
    } call{function, std::tuple<Arguments...>(arguments...), QUELLAN2_STATUS_ERROR};
    platform::runGuarded(
        [](void* context) {
            Call& pending = *static_cast<Call*>(context);
            pending.status = std::apply(pending.function, pending.arguments);
        },
        &call);
    return call.status;
}

}  // namespace mq
