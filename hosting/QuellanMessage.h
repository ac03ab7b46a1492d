// One call on a child, packed so that the child's worker thread can run it.
#pragma once

#include "platform/FaultGuard.h"
#include "quellan2.h"

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

namespace mq {

class QuellanProxy;

// Shared between the caller and the worker: a caller that gives a call up
// (its child's timeout has passed) lets go of the message and leaves, and the
// worker finishes with it whenever the child returns. So the message owns
// everything the child reads or writes during the call (tag lists, vectors,
// times); the caller copies the results out only when the call has ended
// while it still waited. The one exception is the batch text, borrowed from
// the caller as long as the caller is sure to wait (keepArguments()). The
// worker stamps it under the proxy's lock, runs it without the lock, and never
// touches it after setting endedAt unless the caller has given it up.
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

    // Before posting, for a call that may be given up: what the message
    // borrows from its caller it copies, so that it may outlive the caller.
    virtual void keepArguments() {}

    QUELLAN2_STATUS status = QUELLAN2_STATUS_ERROR;
    std::optional<Clock::time_point> postedAt;
    std::optional<Clock::time_point> startedAt;
    std::optional<Clock::time_point> endedAt;
    // The fault that ended the child's function, NONE when it returned;
    // written by the worker while the call runs.
    platform::Fault fault = platform::Fault::NONE;
    // How often the waiting caller woke at a deadline while the call ran.
    unsigned deadlineWakeUps = 0;
    // Set by a caller that stopped waiting before the call ended. The child's
    // vectors below are then the worker's to give back to the child.
    bool givenUp = false;
    // The child's vectors that the call fills or reads, owned by the message
    // while the call is under way: results the child delivers, or vectors the
    // caller lent for the call and takes back once it has ended.
    std::vector<QUELLAN2_VECTOR> vectors;

private:
    friend class QuellanProxy;
    // The queue's own share of the message while it is queued or running: the
    // queue itself carries only addresses.
    std::shared_ptr<QuellanMessage> inFlight;
};

}  // namespace mq
