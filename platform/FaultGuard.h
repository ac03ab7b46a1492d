// Running foreign code so that its faults cannot end the process.
#pragma once

namespace mq::platform {

// What ended a guarded body that did not return. On POSIX systems a stack
// overflow arrives as the access violation it is to the processor.
enum class Fault {
    NONE,
    ACCESS_VIOLATION,
    ARITHMETIC,  // an integer division by zero, or another arithmetic trap
    ILLEGAL_INSTRUCTION,
    STACK_OVERFLOW,
    EXCEPTION,  // a C++ exception that left the body
    OTHER,      // a structured exception of another code (Windows)
};

// "access violation", "arithmetic fault", ...; "none" for NONE.
const char* describe(Fault fault) noexcept;

// Runs body(context). A processor fault raised by the body's own instructions
// (access violation, division by zero, illegal instruction, stack overflow,
// ...) or an exception that leaves it ends the body and makes the call return
// false; otherwise it returns true. After a stack overflow the thread's stack
// is made ready to catch the next one.
//
// A fault ends the body where it happened: the frames between the fault and
// the guard are abandoned, and the destructors of what they own do not run.
// So a guarded body must own nothing (no strings, containers, locks or smart
// pointers of its own): everything it touches belongs to the caller, which
// outlives the call and cleans up after it either way. Only an exception
// unwinds the body in the ordinary way.
//
// What is not a fault of the body is left as it would be without the guard:
// a fault outside every guarded body goes to whoever handled it before;
// abort() and the C library's fail-fast on a corrupt heap end the process;
// on POSIX systems a fault signal sent with kill() is not taken for a fault.
// Guarded bodies may run on any number of threads at once, and may nest.
// When `fault` is given, it is set to what ended the body, NONE when it returned.
bool runGuarded(void (*body)(void*), void* context, Fault* fault = nullptr) noexcept;

}  // namespace mq::platform
