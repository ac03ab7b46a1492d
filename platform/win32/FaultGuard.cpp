// Windows x64 implementation of the fault guard: a frame-based structured
// exception handler around the body (GuardedCall.S), plus catch (...) for
// C++ exceptions, and a new stack guard page after a stack overflow.
#include "platform/FaultGuard.h"

#include "platform/win32/FaultGuardStack.h"

#include <windows.h>

extern "C" {

// GuardedCall.S: 1 when body(context) ran to its end, 0 with the exception's
// code in *code when an exception that mqGuardFilter accepted ended it.
int mqGuardedCall(void (*body)(void*), void* context, DWORD* code);

// The exception code with which GCC's run-time raises a C++ exception.
constexpr DWORD GCC_CXX_EXCEPTION = 0x20474343;

// The scope filter of mqGuardedCall, called by __C_specific_handler. C++
// exceptions are left to go on to the catch around the call; any other
// exception, processor fault or raised, is taken. A handler that the body set
// up itself has already seen the exception, since its frame lies nearer.
// abort() and the run-time's fail-fast on a corrupt heap raise no exception
// that reaches a filter: they end the process, guard or not. The code of a
// taken exception goes to mqGuardedCall's `code`, whose address its frame
// keeps 32 bytes above the establisher frame (GuardedCall.S).
LONG mqGuardFilter(EXCEPTION_POINTERS* pointers, void* establisherFrame) {
    const DWORD code = pointers->ExceptionRecord->ExceptionCode;
    if (code == GCC_CXX_EXCEPTION) return EXCEPTION_CONTINUE_SEARCH;
    **reinterpret_cast<DWORD**>(static_cast<char*>(establisherFrame) + 32) = code;
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // extern "C"

namespace mq::platform {

bool runGuarded(void (*body)(void*), void* context, Fault* fault) noexcept {
    prepareStack();
    DWORD code = 0;
    try {
        if (mqGuardedCall(body, context, &code) != 0) {
            if (fault) *fault = Fault::NONE;
            return true;
        }
    } catch (...) {
        if (fault) *fault = Fault::EXCEPTION;
        return false;
    }
    const Fault ending = afterFault(code);
    if (fault) *fault = ending;
    return false;
}

}  // namespace mq::platform
