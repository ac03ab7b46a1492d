// One call on a child, packed so that the child's worker thread can run it.
#pragma once

#include "quellan2.h"

#include <chrono>
#include <optional>

namespace mq {

class QuellanProxy;

// Lives on the caller's stack for the duration of QuellanProxy::call. The
// worker stamps it under the proxy's lock, runs it without the lock, and
// never touches it after setting endedAt.
class QuellanMessage {
public:
    // Deadlines follow a monotonic clock, so a change of the wall clock
    // neither hastens nor delays a waiting caller's wake-ups.
    using Clock = std::chrono::steady_clock;

    QuellanMessage() = default;
    QuellanMessage(const QuellanMessage&) = delete;
    QuellanMessage& operator=(const QuellanMessage&) = delete;
    virtual ~QuellanMessage() = default;

    // The interface function the message stands for.
    virtual const char* callName() const = 0;

    // Runs the call on the child, on the worker thread, and returns its status.
    virtual QUELLAN2_STATUS execute(QuellanProxy& proxy) = 0;

    QUELLAN2_STATUS status = QUELLAN2_STATUS_ERROR;
    std::optional<Clock::time_point> startedAt;
    std::optional<Clock::time_point> endedAt;
    // How often the waiting caller woke at a deadline while the call ran.
    unsigned deadlineWakeUps = 0;
};

}  // namespace mq
