// Windows implementation of the fault guard: a frame-based structured
// exception handler around the body (GuardedCall.S), plus catch (...) for
// C++ exceptions, and a new stack guard page after a stack overflow.
#include "platform/FaultGuard.h"

#include <malloc.h>
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

namespace {

// The stack that the system keeps free below an overflow, so that the
// exception can be dispatched to the guard's filter and the body's frames
// unwound. Without it there is room only for a page or two, which does not
// hold the dispatch and the unwind (under wine the thread then dies).
constexpr ULONG STACK_FOR_OVERFLOW_HANDLING = 64 * 1024;

thread_local bool stackPrepared = false;

// Once per thread, before its first guarded body: reserve room for handling
// an overflow, and put the guard page below the current frame, from where it
// moves down page by page as the stack grows. A guard page at the end of the
// stack, where wine places the first one, would leave no room to honour the
// reservation; on Windows, whose guard page already moves, Microsoft's
// run-time leaves a guard page that is in place as it is.
void prepareStack() noexcept {
    if (stackPrepared) return;
    stackPrepared = true;
    ULONG size = 0;  // asks for the current reservation
    if (SetThreadStackGuarantee(&size) && size < STACK_FOR_OVERFLOW_HANDLING) {
        size = STACK_FOR_OVERFLOW_HANDLING;
        SetThreadStackGuarantee(&size);
    }
    _resetstkoflw();
}

Fault faultOf(DWORD code) {
    switch (code) {
        case EXCEPTION_ACCESS_VIOLATION:
        case EXCEPTION_IN_PAGE_ERROR:
        case EXCEPTION_DATATYPE_MISALIGNMENT:
        case EXCEPTION_ARRAY_BOUNDS_EXCEEDED: return Fault::ACCESS_VIOLATION;
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
        case EXCEPTION_INT_OVERFLOW:
        case EXCEPTION_FLT_DIVIDE_BY_ZERO:
        case EXCEPTION_FLT_INVALID_OPERATION:
        case EXCEPTION_FLT_OVERFLOW:
        case EXCEPTION_FLT_UNDERFLOW:
        case EXCEPTION_FLT_INEXACT_RESULT:
        case EXCEPTION_FLT_DENORMAL_OPERAND:
        case EXCEPTION_FLT_STACK_CHECK: return Fault::ARITHMETIC;
        case EXCEPTION_ILLEGAL_INSTRUCTION:
        case EXCEPTION_PRIV_INSTRUCTION: return Fault::ILLEGAL_INSTRUCTION;
        case EXCEPTION_STACK_OVERFLOW: return Fault::STACK_OVERFLOW;
        default: return Fault::OTHER;
    }
}

}  // namespace

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
    if (fault) *fault = faultOf(code);
    // The overflow has used up the thread's stack guard page, and the stack
    // below the body's frames stays committed without one: the next overflow
    // on this thread would find no guard and end the process (under wine,
    // the thread, and a caller waiting for it for ever). The run-time puts a
    // guard page back below the current frame, now that the body's frames are
    // gone.
    if (code == static_cast<DWORD>(EXCEPTION_STACK_OVERFLOW)) _resetstkoflw();
    return false;
}

}  // namespace mq::platform
