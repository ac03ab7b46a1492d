// The frame around every exported function: controls, faults and the journal line.
#include "samples/simquellan/Call.h"

#include "samples/simquellan/SimQuellanControl.h"
#include "samples/simquellan/Simulator.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace simquellan {

namespace {

// The sanitizers would report these before the processor does; the point is
// a real fault that the host has to survive.
__attribute__((noinline, no_sanitize("address", "undefined"))) void accessViolation() {
    volatile int* volatile target = nullptr;
    *target = 1;
}

__attribute__((noinline, no_sanitize("undefined"))) void divideByZero() {
    volatile int numerator = 1;
    volatile int denominator = 0;
    // Stored to a volatile so that the optimiser cannot drop the division.
    volatile int quotient = numerator / denominator;
    (void)quotient;
}

// Bounds the recursion below; never reached, but the compiler cannot know
// that, so it can neither drop the recursion nor call it endless.
volatile unsigned recursionLimit = ~0u;

// Recurses until the stack is gone. Each frame holds a page of its own, so
// the guard page is reached in a few hundred calls, and uses the result of
// its call after it, so the call cannot become a jump. Not instrumented: the
// sanitizers would keep the frames elsewhere or report the overflow first.
__attribute__((noinline, no_sanitize("address", "undefined"))) unsigned overflowStack(unsigned depth) {
    volatile char frame[4096];
    frame[0] = static_cast<char>(depth);
    frame[sizeof frame - 1] = static_cast<char>(depth);
    if (depth == recursionLimit) return frame[0];
    return overflowStack(depth + 1) + static_cast<unsigned>(frame[sizeof frame - 1]);
}

// Frees one block twice, through a volatile pointer so that the compiler can
// neither drop the frees nor see the second one coming. The C library's heap
// checks end the process: glibc aborts, the Windows heap fails fast, and
// AddressSanitizer reports a double free. A heap that lets it pass (wine's
// refuses the second free and goes on) would leave the call to come back as
// if nothing had happened, so the process ends here as glibc would end it.
[[noreturn]] __attribute__((noinline)) void freeTwice() {
    void* volatile block = std::malloc(64);
    std::free(block);
    std::free(block);
    std::abort();
}

// Calls of the connection, node and tag functions under way in this module.
// The string and vector functions are left out: a host may call them from any
// thread at any time.
std::atomic<int> callsInside{0};

bool counted(const Call& call) {
    const std::string function = call.function;
    return function.rfind("string", 0) != 0 && function.rfind("vector", 0) != 0;
}

}  // namespace

void beginCall(Call& call) {
    Simulator& simulator = Simulator::instance();
    if (counted(call) && callsInside.fetch_add(1) > 0)
        simulator.journal().note(std::string("overlapping call: ") + call.function);
    call.intercept = simulator.intercept(call.function);
    if (call.intercept.sleepMilliseconds) {
        // The call's start, for tests that order it against calls elsewhere.
        simulator.journal().note("sleeping " + std::to_string(call.intercept.sleepMilliseconds) + " ms in " +
                                 call.function + " " + call.arguments());
        std::this_thread::sleep_for(std::chrono::milliseconds(call.intercept.sleepMilliseconds));
    }
    switch (call.intercept.fault) {
    case Fault::NONE: return;
    case Fault::CAUGHT:
        // The child's own handler must see this one, not the host's guard.
        try {
            throw std::runtime_error("SimQuellan handles this exception itself");
        } catch (const std::runtime_error&) {
        }
        return;
    default: break;
    }
    // The journal line comes first: the call does not come back to write it.
    if (counted(call)) callsInside.fetch_sub(1);
    simulator.journal().write(call.function, [&] { return call.arguments(); },
                              std::string("fault ") + faultWord(call.intercept.fault));
    if (call.intercept.fault == Fault::ACCESS_VIOLATION) accessViolation();
    if (call.intercept.fault == Fault::DIVIDE_BY_ZERO) divideByZero();
    if (call.intercept.fault == Fault::STACK_OVERFLOW) overflowStack(0);
    if (call.intercept.fault == Fault::ABORT) std::abort();
    if (call.intercept.fault == Fault::EXIT) std::exit(SIMQUELLAN_EXIT_CODE);
    if (call.intercept.fault == Fault::HEAP) freeTwice();
    throw std::runtime_error("SimQuellan lets this exception leave the interface");
}

QUELLAN2_STATUS endCall(const Call& call, QUELLAN2_STATUS status) {
    if (counted(call)) callsInside.fetch_sub(1);
    Simulator::instance().journal().write(call.function, [&] { return call.arguments(); }, std::to_string(status));
    return status;
}

Arguments& Arguments::add(const char* name, const std::string& value) {
    if (!result.empty()) result += ' ';
    result += name;
    result += '=';
    result += value;
    return *this;
}

Arguments& Arguments::number(const char* name, std::int64_t value) {
    return add(name, std::to_string(value));
}

Arguments& Arguments::handle(const char* name, const void* value) {
    return add(name, std::to_string(reinterpret_cast<std::uintptr_t>(value)));
}

Arguments& Arguments::text(const char* name, const char* value) {
    return add(name, value ? quoted(value) : "null");
}

Arguments& Arguments::tags(const QUELLAN2_TAG* tags, std::uint32_t count) {
    std::string list;
    if (!tags) list = "null";
    for (std::uint32_t i = 0; tags && i < count; ++i)
        list += (i ? "," : "") + std::to_string(reinterpret_cast<std::uintptr_t>(tags[i]));
    add("tags", list);
    return number("count", count);
}

Arguments& Arguments::batch(const char* value) {
    if (!value) return add("batch", "null");
    char address[32];
    std::snprintf(address, sizeof address, "@0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(value)));
    return add("batch", quoted(value) + address);
}

Arguments& Arguments::vector(const char* name, QUELLAN2_VECTOR value) {
    return add(name, describe(objectOf(value)));
}

Arguments& Arguments::vectors(const char* name, const QUELLAN2_VECTOR* values, std::uint32_t count) {
    if (!values) return add(name, "null");
    std::string list = "[";
    for (std::uint32_t i = 0; i < count; ++i) list += (i ? "," : "") + describe(objectOf(values[i]));
    return add(name, list + "]");
}

Arguments& Arguments::floating(const char* name, float value) {
    return add(name, describe(Value(value)));
}

}  // namespace simquellan
