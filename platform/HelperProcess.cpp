// The helper process's life on every platform: its waiter, which reaps it as soon as it ends, and kill and wait.
#include "platform/HelperProcess.h"

#include <utility>

namespace mq::platform {

HelperProcess::~HelperProcess() {
    if (!lifetime) return;
    kill();
    waiter.join();
}

HelperProcess::HelperProcess(HelperProcess&& other) noexcept
    : lifetime(std::move(other.lifetime)),
      waiter(std::move(other.waiter)),
      processId(std::exchange(other.processId, 0)) {}

HelperProcess& HelperProcess::operator=(HelperProcess&& other) noexcept {
    if (this != &other) {
        // The helper this object held ends when `ended` goes out of scope.
        HelperProcess ended(std::move(*this));
        lifetime = std::move(other.lifetime);
        waiter = std::move(other.waiter);
        processId = std::exchange(other.processId, 0);
    }
    return *this;
}

HelperProcess HelperProcess::watch(std::intptr_t process, std::int64_t id) noexcept {
    HelperProcess helper;
    try {
        helper.lifetime = std::make_unique<Lifetime>();
        helper.lifetime->process = process;
        Lifetime* watched = helper.lifetime.get();
        helper.waiter = std::thread([watched] { reapWhenEnded(*watched); });
    } catch (...) {
        // A helper nobody would reap does not run.
        helper.lifetime.reset();
        Lifetime alone;
        alone.process = process;
        terminate(process);
        reapWhenEnded(alone);
        return helper;
    }
    helper.processId = id;
    return helper;
}

void HelperProcess::kill() noexcept {
    if (!lifetime) return;
    std::lock_guard<std::mutex> lock(lifetime->reaping);
    if (!lifetime->reaped) terminate(lifetime->process);
}

bool HelperProcess::waitForExit(std::chrono::milliseconds timeout) noexcept {
    if (!lifetime) return true;
    std::unique_lock<std::mutex> lock(lifetime->reaping);
    // Asked only whether it has ended: a timed wait of no time still sleeps
    // until its timer fires (Linux lets a timer run 50 us late), and the
    // worker asks after every call of an isolated child.
    if (timeout <= std::chrono::milliseconds(0)) return lifetime->reaped;
    return lifetime->ended.wait_for(lock, timeout, [this] { return lifetime->reaped; });
}

std::string HelperProcess::ending() const {
    if (!lifetime) return {};
    int status = 0;
    {
        std::lock_guard<std::mutex> lock(lifetime->reaping);
        if (!lifetime->reaped) return {};
        status = lifetime->exitStatus;
    }
    return endingOf(status);
}

std::int64_t HelperProcess::id() const noexcept {
    return processId;
}

}  // namespace mq::platform
