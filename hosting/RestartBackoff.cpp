// The delays before an isolated child is started again.
#include "hosting/RestartBackoff.h"

#include <algorithm>
#include <utility>

namespace mq {

RestartBackoff::RestartBackoff(Now now) : clock(std::move(now)) {}

RestartBackoff::Clock::time_point RestartBackoff::ended() {
    const Clock::time_point at = clock();
    if (!lastEnd || at - *lastEnd >= QUIET_SPELL)
        delay = FIRST_DELAY;
    else
        delay = std::min<std::chrono::seconds>(delay * 2, MAX_DELAY);
    lastEnd = at;
    return at + delay;
}

}  // namespace mq
