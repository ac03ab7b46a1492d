// Windows x86 (32-bit) implementation of the fault guard: a registration record on the exception handler chain around
// the body (GuardedCall.S) with a handler that unwinds to it and resumes there, catch (...) inside the guard for C++
// exceptions, and a new stack guard page after a stack overflow.
#include "platform/FaultGuard.h"

#include "platform/win32/FaultGuardStack.h"

#include <windows.h>

namespace {

// The record that GuardedCall.S puts on the chain.
struct GuardRecord {
    GuardRecord* next;
    void* handler;
    DWORD* code;
    DWORD controlWord;
};

// The body with what the catch around it found.
struct CatchingBody {
    void (*body)(void*);
    void* context;
    bool threw;
};

// A C++ exception is caught here, inside the guard: the compiler's unwinder
// (DWARF tables) cannot step through the hand-written frame of
// mqGuardedCall, and a record left on the chain by an unwinding that passed
// it would outlive its frame. An exception thrown by another module's code,
// which has its own unwinder that knows none of these frames, ends the
// process in that module (std::terminate) before anything here sees it.
void runCatching(void* argument) {
    auto* catching = static_cast<CatchingBody*>(argument);
    try {
        catching->body(catching->context);
    } catch (...) {
        catching->threw = true;
    }
}

}  // namespace

extern "C" {

// GuardedCall.S: 1 when body(context) ran to its end, 0 with the exception's
// code in *code when mqGuardHandler took an exception raised in it.
int mqGuardedCall(void (*body)(void*), void* context, DWORD* code);
[[noreturn]] void mqGuardResume(GuardRecord* record);

// The handler of mqGuardedCall's record, called by the system for every
// exception raised while the body runs that no record nearer to it handled.
// It takes them all, processor faults and raised exceptions: the system's
// unwind (RtlUnwind) runs the unwind handlers of the records that the body
// put above this one and takes them off the chain, and the frame resumes
// where the body was called. An unwind passing through is let pass.
// abort() and the run-time's fail-fast on a corrupt heap raise no exception
// that reaches a handler: they end the process, guard or not.
EXCEPTION_DISPOSITION __cdecl mqGuardHandler(EXCEPTION_RECORD* exception, void* establisher, CONTEXT*, void*) {
    if (exception->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
    auto* record = static_cast<GuardRecord*>(establisher);
    *record->code = exception->ExceptionCode;
    RtlUnwind(record, nullptr, exception, nullptr);
    mqGuardResume(record);
}

}  // extern "C"

namespace mq::platform {

bool runGuarded(void (*body)(void*), void* context, Fault* fault) noexcept {
    prepareStack();
    DWORD code = 0;
    CatchingBody catching{body, context, false};
    if (mqGuardedCall(&runCatching, &catching, &code) != 0) {
        if (fault) *fault = catching.threw ? Fault::EXCEPTION : Fault::NONE;
        return !catching.threw;
    }
    const Fault ending = afterFault(code);
    if (fault) *fault = ending;
    return false;
}

}  // namespace mq::platform
