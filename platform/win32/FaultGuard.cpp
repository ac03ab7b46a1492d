// Windows implementation of the fault guard: a frame-based structured
// exception handler around the body (GuardedCall.S), plus catch (...) for
// C++ exceptions.
#include "platform/FaultGuard.h"

#include <windows.h>

extern "C" {

// GuardedCall.S: 1 when body(context) ran to its end, 0 when an exception
// that mqGuardFilter accepted ended it.
int mqGuardedCall(void (*body)(void*), void* context);

// The exception code with which GCC's run-time raises a C++ exception.
constexpr DWORD GCC_CXX_EXCEPTION = 0x20474343;

// The scope filter of mqGuardedCall, called by __C_specific_handler. C++
// exceptions are left to go on to the catch around the call; any other
// exception, processor fault or raised, is taken. A handler that the body set
// up itself has already seen the exception, since its frame lies nearer.
LONG mqGuardFilter(EXCEPTION_POINTERS* pointers, void* establisherFrame) {
    if (pointers->ExceptionRecord->ExceptionCode == GCC_CXX_EXCEPTION) return EXCEPTION_CONTINUE_SEARCH;
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // extern "C"

namespace mq::platform {

bool runGuarded(void (*body)(void*), void* context) noexcept {
    try {
        return mqGuardedCall(body, context) != 0;
    } catch (...) {
        return false;
    }
}

}  // namespace mq::platform
