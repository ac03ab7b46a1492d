// Ctrl-C and requests to terminate, turned into a flag that a long-running loop checks and waits on.
#pragma once

#include <chrono>

namespace mq::platform {

// While an object lives, an interrupt (POSIX: SIGINT or SIGTERM; Windows:
// Ctrl-C, Ctrl-Break or the console closing) no longer ends the process but
// sets a flag, so that the loop can end and clean up on its own path. The
// destructor puts the previous handling back. One object at a time per process.
class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    bool interrupted() const;
    // Waits for the time given or until an interrupt, whichever comes first;
    // true when interrupted.
    bool waitFor(std::chrono::milliseconds time) const;
};

}  // namespace mq::platform
