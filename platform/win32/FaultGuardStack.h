// What the Windows fault guards of both bitnesses share: the stack made ready for an overflow, and the names of exception codes.
#pragma once

#include "platform/FaultGuard.h"

#include <malloc.h>
#include <windows.h>

namespace mq::platform {

// The stack that the system keeps free below an overflow, so that the
// exception can be dispatched to the guard's filter and the body's frames
// unwound. Without it there is room only for a page or two, which does not
// hold the dispatch and the unwind (under wine the thread then dies).
constexpr ULONG STACK_FOR_OVERFLOW_HANDLING = 64 * 1024;

// Once per thread, before its first guarded body: reserve room for handling
// an overflow, and put the guard page below the current frame, from where it
// moves down page by page as the stack grows. A guard page at the end of the
// stack, where wine places the first one, would leave no room to honour the
// reservation; on Windows, whose guard page already moves, Microsoft's
// run-time leaves a guard page that is in place as it is.
inline void prepareStack() noexcept {
    static thread_local bool stackPrepared = false;
    if (stackPrepared) return;
    stackPrepared = true;
    ULONG size = 0;  // asks for the current reservation
    if (SetThreadStackGuarantee(&size) && size < STACK_FOR_OVERFLOW_HANDLING) {
        size = STACK_FOR_OVERFLOW_HANDLING;
        SetThreadStackGuarantee(&size);
    }
    _resetstkoflw();
}

inline Fault faultOf(DWORD code) {
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

// What ended a body that did not return, from the exception's code. The
// overflow has used up the thread's stack guard page, and the stack below
// the body's frames stays committed without one: the next overflow on this
// thread would find no guard and end the process (under wine, the thread,
// and a caller waiting for it for ever). The run-time puts a guard page back
// below the current frame, now that the body's frames are gone.
inline Fault afterFault(DWORD code) noexcept {
    if (code == static_cast<DWORD>(EXCEPTION_STACK_OVERFLOW)) _resetstkoflw();
    return faultOf(code);
}

}  // namespace mq::platform
