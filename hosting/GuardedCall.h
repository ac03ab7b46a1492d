// Calling a child's function through the fault guard.
#pragma once

#include "platform/FaultGuard.h"
#include "quellan2.h"

#include <cstdint>
#include <tuple>
#include <type_traits>

namespace mq {

// How a guarded call ended: the status it returned, or the fault that ended
// it, which leaves the status at QUELLAN2_STATUS_ERROR.
struct GuardedOutcome {
    QUELLAN2_STATUS status;
    platform::Fault fault;

    bool faulted() const { return fault != platform::Fault::NONE; }
};

// Calls a child's entry point so that a fault inside the child ends the call
// instead of the process, and says how it ended: for a host that tells a
// refusal from a crash.
//
// A fault skips the destructors of the guarded body (platform/FaultGuard.h),
// so the body owns nothing: it only calls the entry point with arguments that
// are plain values (handles, numbers, pointers to the caller's memory), held
// here, outside the body.
template <typename Function, typename... Arguments>
GuardedOutcome guardedCallOutcome(Function function, Arguments... arguments) noexcept {
    static_assert(std::is_pointer_v<Function> && std::is_function_v<std::remove_pointer_t<Function>>,
                  "a guarded call calls a child's entry point");
    static_assert((std::is_trivially_copyable_v<Arguments> && ...),
                  "the arguments of a guarded call own nothing: a fault would skip their destructors");
    struct Call {
        Function function;
        std::tuple<Arguments...> arguments;
        QUELLAN2_STATUS status;
    } call{function, std::tuple<Arguments...>(arguments...), QUELLAN2_STATUS_ERROR};
    platform::Fault fault = platform::Fault::NONE;
    platform::runGuarded(
        [](void* context) {
            Call& pending = *static_cast<Call*>(context);
            pending.status = std::apply(pending.function, pending.arguments);
        },
        &call, &fault);
    return {call.status, fault};
}

// As guardedCallOutcome, for the callers that need only the status: it is
// preset to QUELLAN2_STATUS_ERROR and keeps that value unless the function
// returns normally.
template <typename Function, typename... Arguments>
QUELLAN2_STATUS guardedCall(Function function, Arguments... arguments) noexcept {
    return guardedCallOutcome(function, arguments...).status;
}

// Runs `step(k)` for k from `first` up to `end` under one entry of the fault
// guard, and returns where the run stopped: at `end`, at the k whose step
// returned false, or at the k whose step faulted (`fault` then says how).
// Entering the guard costs about as much as a child's cheapest call, so a
// loop of many such calls enters it once, and begins again after the step
// that stopped it. As with guardedCall, a step owns nothing.
template <typename Step>
uint32_t guardedSteps(uint32_t first, uint32_t end, Step& step, platform::Fault& fault) noexcept {
    struct Run {
        Step* step;
        // Stored before each step, so that a fault leaves the step it ended.
        volatile uint32_t next;
        uint32_t end;
    } run{&step, first, end};
    fault = platform::Fault::NONE;
    platform::runGuarded(
        [](void* context) {
            Run& pending = *static_cast<Run*>(context);
            for (uint32_t k = pending.next; k < pending.end; pending.next = ++k)
                if (!(*pending.step)(k)) return;
        },
        &run, &fault);
    return run.next;
}

// Runs `step(k)` for every k below `end` in as few runs of guardedSteps as it
// can: a step that faults fails alone, and the next run begins after it; for
// a step that returns false, `outside(k)` runs outside the guard (where it
// may own things: allocate, say), and the next run begins after it. So the
// steps and what runs outside them keep the order of a loop over k.
template <typename Step, typename Outside>
void guardedEach(uint32_t end, Step& step, Outside outside) {
    for (uint32_t k = 0; k < end; ++k) {
        platform::Fault fault = platform::Fault::NONE;
        k = guardedSteps(k, end, step, fault);
        if (k == end) return;
        if (fault == platform::Fault::NONE) outside(k);
    }
}

}  // namespace mq
