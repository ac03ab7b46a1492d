// POSIX implementation of the fault guard: signal handlers that jump back into
// the guard from a processor fault raised inside a guarded body, and give
// every other signal to whoever handled it before.
#include "platform/FaultGuard.h"

#include <pthread.h>
#include <setjmp.h>
#include <signal.h>
#include <string.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <memory>

namespace mq::platform {

namespace {

// The signals with which the processor reports a faulting instruction. SIGABRT
// and SIGTRAP are not among them: a body that calls abort() (or whose heap the
// C library has found corrupt) has given up, and the process must end as it
// would without the guard, as abort() and heap fail-fast do on Windows.
constexpr int GUARDED_SIGNALS[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
constexpr std::size_t GUARDED_SIGNAL_COUNT = sizeof(GUARDED_SIGNALS) / sizeof(GUARDED_SIGNALS[0]);

// A signal that kill(), raise(), sigqueue() or tgkill() sent carries a code of
// at most 0 (SI_USER, SI_QUEUE, SI_TKILL, ...); the kernel gives a fault of
// the thread's own instruction a positive one (SEGV_MAPERR, FPE_INTDIV,
// SI_KERNEL, ...). Only the latter is the body's fault.
static_assert(SI_USER <= 0 && SI_QUEUE < 0 && SI_TKILL < 0, "codes of sent signals are not positive");

bool raisedByTheProcessor(const siginfo_t* info) {
    return info && info->si_code > 0;
}

// What each signal did before the guard took it over, to pass on the signals
// that are not the guard's, and to put back when the library is unloaded.
struct sigaction previousActions[GUARDED_SIGNAL_COUNT];

// The same signals as a set, filled in with the handlers.
sigset_t guardedSignalSet;

struct GuardFrame {
    sigjmp_buf jump;
    GuardFrame* outer;
    // Set by the handler just before it jumps back.
    volatile sig_atomic_t signalNumber;
};

// The innermost guarded body running on this thread, or null. Read by the
// signal handler, so it must never need an allocation on first access: the
// initial-exec model places it in the static TLS block, also in a library
// that is loaded at run time.
__attribute__((tls_model("initial-exec"))) thread_local GuardFrame* activeFrame = nullptr;

void passOn(int signalNumber, siginfo_t* info, void* machineContext) {
    std::size_t index = 0;
    while (index < GUARDED_SIGNAL_COUNT && GUARDED_SIGNALS[index] != signalNumber) ++index;
    if (index == GUARDED_SIGNAL_COUNT) return;
    const struct sigaction& previous = previousActions[index];
    if (previous.sa_flags & SA_SIGINFO) {
        if (previous.sa_sigaction) {
            previous.sa_sigaction(signalNumber, info, machineContext);
            return;
        }
    } else if (previous.sa_handler == SIG_IGN) {
        // A signal that someone sent may be ignored as before; a fault would
        // only come back at once when its instruction runs again.
        if (!raisedByTheProcessor(info)) return;
    } else if (previous.sa_handler != SIG_DFL) {
        previous.sa_handler(signalNumber);
        return;
    }
    // The default action ends the process, as it would have without the
    // guard. Raised again with the handler gone, the signal takes effect as
    // soon as it is unblocked.
    struct sigaction standard;
    memset(&standard, 0, sizeof standard);
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(signalNumber, &standard, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signalNumber);
    raise(signalNumber);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
}

void onSignal(int signalNumber, siginfo_t* info, void* machineContext) {
    GuardFrame* frame = activeFrame;
    if (frame && raisedByTheProcessor(info)) {
        frame->signalNumber = signalNumber;
        siglongjmp(frame->jump, 1);
    }
    passOn(signalNumber, info, machineContext);
}

// The guard's handlers, installed the first time a body is guarded and for as
// long as the library stays loaded. The handlers live in this library's code:
// once it is unloaded, a signal that still reached them would jump into
// unmapped memory. So the destructor, which runs when the library is unloaded
// (or the process exits), puts back what it found.
//
// What cannot be made safe: a handler that someone installed after the guard
// may keep the guard's address to chain to it, and call it after the unload.
// Such a handler is left in place (taking it away would break its owner), and
// whoever installed it over ours must not unload this library while it is in
// place. An unload while a thread that ran a guarded body still lives does
// not happen: glibc keeps a library loaded while a thread holds one of its
// thread_local objects with a destructor (the alternate stack below).
class InstalledHandlers {
public:
    InstalledHandlers() {
        struct sigaction action;
        memset(&action, 0, sizeof action);
        action.sa_sigaction = &onSignal;
        sigemptyset(&action.sa_mask);
        // SA_ONSTACK: a body that overflows its stack still leaves a stack to
        // run the handler on. SA_NODEFER: the signal stays deliverable while
        // the handler runs, so a fault of a previous handler or the default
        // action that it is passed on to takes effect at once.
        action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
        sigemptyset(&guardedSignalSet);
        for (std::size_t index = 0; index < GUARDED_SIGNAL_COUNT; ++index) {
            sigaddset(&guardedSignalSet, GUARDED_SIGNALS[index]);
            sigaction(GUARDED_SIGNALS[index], &action, &previousActions[index]);
        }
    }

    ~InstalledHandlers() {
        for (std::size_t index = 0; index < GUARDED_SIGNAL_COUNT; ++index) {
            struct sigaction current;
            if (sigaction(GUARDED_SIGNALS[index], nullptr, &current) != 0) continue;
            const bool ours = (current.sa_flags & SA_SIGINFO) && current.sa_sigaction == &onSignal;
            if (ours) sigaction(GUARDED_SIGNALS[index], &previousActions[index], nullptr);
        }
    }

    InstalledHandlers(const InstalledHandlers&) = delete;
    InstalledHandlers& operator=(const InstalledHandlers&) = delete;
};

// The alternate signal stack of one thread, set up the first time the thread
// runs a guarded body and taken down when the thread ends. A stack that the
// thread had already been given by someone else is left as it is.
class AlternateStack {
public:
    void ensure() {
        if (installed) return;
        stack_t current;
        if (sigaltstack(nullptr, &current) != 0) return;
        if (!(current.ss_flags & SS_DISABLE)) {
            installed = true;
            return;
        }
        std::size_t size = std::max<std::size_t>(SIGSTKSZ, 64 * 1024);
        std::unique_ptr<char[]> created(new (std::nothrow) char[size]);
        if (!created) return;
        stack_t wanted;
        memset(&wanted, 0, sizeof wanted);
        wanted.ss_sp = created.get();
        wanted.ss_size = size;
        if (sigaltstack(&wanted, nullptr) != 0) return;
        memory = std::move(created);
        installed = true;
    }

    ~AlternateStack() {
        if (!memory) return;
        stack_t current;
        if (sigaltstack(nullptr, &current) == 0 && current.ss_sp == memory.get()) {
            stack_t disabled;
            memset(&disabled, 0, sizeof disabled);
            disabled.ss_flags = SS_DISABLE;
            if (sigaltstack(&disabled, nullptr) != 0) {
                // Still in use: keeping the memory is better than a dangling stack.
                memory.release();
            }
        }
    }

private:
    std::unique_ptr<char[]> memory;
    bool installed = false;
};

// Looked at on every guarded call; in the static TLS block that costs no call
// into the dynamic loader.
__attribute__((tls_model("initial-exec"))) thread_local AlternateStack alternateStack;

Fault faultOf(int signalNumber) {
    switch (signalNumber) {
        case SIGFPE: return Fault::ARITHMETIC;
        case SIGILL: return Fault::ILLEGAL_INSTRUCTION;
        default: return Fault::ACCESS_VIOLATION;
    }
}

bool runCatching(void (*body)(void*), void* context) noexcept {
    try {
        body(context);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

bool runGuarded(void (*body)(void*), void* context, Fault* fault) noexcept {
    static const InstalledHandlers handlers;
    alternateStack.ensure();

    GuardFrame frame;
    frame.outer = activeFrame;
    frame.signalNumber = 0;
    // The signal mask is not saved: that is a system call on every guarded
    // call, which dominated reading large vectors and trees. The handler runs
    // with SA_NODEFER and an empty mask, so a jump out of it leaves the mask
    // as the body had it; only the guarded signals are unblocked again, in
    // case the body had blocked them.
    if (sigsetjmp(frame.jump, 0) != 0) {
        activeFrame = frame.outer;
        pthread_sigmask(SIG_UNBLOCK, &guardedSignalSet, nullptr);
        if (fault) *fault = faultOf(frame.signalNumber);
        return false;
    }
    activeFrame = &frame;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    bool finished = runCatching(body, context);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    activeFrame = frame.outer;
    if (fault) *fault = finished ? Fault::NONE : Fault::EXCEPTION;
    return finished;
}

}  // namespace mq::platform
