// When an isolated child whose surrogate ended is started again: a delay that doubles with every end.
#pragma once

#include <chrono>
#include <functional>
#include <optional>

namespace mq {

// A child that ends again and again is not started again at once each time,
// so that one failing at start-up costs the host little: the first start
// after an end waits FIRST_DELAY, each end after that twice the last delay,
// up to MAX_DELAY; once QUIET_SPELL has passed since the last end, the next
// end counts as a first one again. A start that fails is an end.
class RestartBackoff {
public:
    using Clock = std::chrono::steady_clock;
    // The clock is given so that tests need not wait.
    using Now = std::function<Clock::time_point()>;

    static constexpr std::chrono::seconds FIRST_DELAY{1};
    static constexpr std::chrono::seconds MAX_DELAY{60};
    static constexpr std::chrono::minutes QUIET_SPELL{10};

    explicit RestartBackoff(Now now = &Clock::now);

    // The child ended now: when its next start is due.
    Clock::time_point ended();
    // The delay that the last ended() gave.
    std::chrono::seconds lastDelay() const { return delay; }
    Clock::time_point now() const { return clock(); }

private:
    Now clock;
    std::optional<Clock::time_point> lastEnd;
    std::chrono::seconds delay{0};
};

}  // namespace mq
