// POSIX interrupts: a sigaction handler sets a flag and writes to a pipe that the wait polls.
#include "platform/Interrupt.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <stdexcept>

namespace mq::platform {

namespace {

// Only async-signal-safe things happen in the handler: a store to the flag
// and a write to the pipe. A condition variable cannot be notified from a
// signal handler; the pipe is the handler's way to wake a waiting poll.
volatile sig_atomic_t interruptSeen = 0;
int wakeUp[2] = {-1, -1};
struct sigaction previousInterrupt, previousTerminate;

extern "C" void onInterrupt(int) {
    const int savedErrno = errno;
    interruptSeen = 1;
    const char byte = 1;
    // A full pipe already holds a wake-up; the result is of no use here.
    [[maybe_unused]] ssize_t written = write(wakeUp[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

InterruptWatch::InterruptWatch() {
    if (pipe2(wakeUp, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("cannot create the interrupt pipe");
    interruptSeen = 0;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousInterrupt);
    sigaction(SIGTERM, &action, &previousTerminate);
}

InterruptWatch::~InterruptWatch() {
    sigaction(SIGINT, &previousInterrupt, nullptr);
    sigaction(SIGTERM, &previousTerminate, nullptr);
    close(wakeUp[0]);
    close(wakeUp[1]);
    wakeUp[0] = wakeUp[1] = -1;
}

bool InterruptWatch::interrupted() const {
    return interruptSeen != 0;
}

bool InterruptWatch::waitFor(std::chrono::milliseconds time) const {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + time;
    while (!interrupted()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0) return false;
        struct pollfd wait {wakeUp[0], POLLIN, 0};
        // Interrupted by the signal itself (EINTR) or woken by the pipe: the
        // flag decides either way.
        poll(&wait, 1, static_cast<int>(left > 60000 ? 60000 : left));
    }
    return true;
}

}  // namespace mq::platform
