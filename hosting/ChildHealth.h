// The health of each configured child: counters, state and last problem, and the one listener told of every event.
#pragma once

#include "hosting/ChildEvent.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace mq {

// Where a child stands. RESTARTING and GIVEN_UP are those of an isolated
// child with restart="true" while it is started again, and after a try that
// failed (the next follows its backoff).
enum class ChildState : std::uint8_t { RUNNING, LEFT_OUT, HUNG, ENDED, RESTARTING, GIVEN_UP };

// "running", "left out", "hung", "ended", "restarting", "given up".
const char* stateName(ChildState state);

// One child's figures as they stand, copied out for a reader.
struct ChildHealthFigures {
    ChildState state = ChildState::RUNNING;
    std::uint64_t calls = 0;
    std::uint64_t faults = 0;
    std::uint64_t timeouts = 0;
    std::uint64_t restarts = 0;
    // "2026-12-08T09:00:00Z connectionReadCurrentData: fault, access violation"; empty when none.
    std::string lastProblem;
    double lastCallMs = 0.0;
};

// The children of one connection, counted since it opened. Kept whether or
// not the status node shows them. A call costs two relaxed atomic updates and
// no lock; an event (rare) takes this object's lock to keep its text, and is
// passed on to the listener after that lock is let go.
class ChildHealth {
public:
    using Listener = std::function<void(const ChildEvent&)>;

    // One record per configured child, by child index; `childPaths` name them in events.
    explicit ChildHealth(std::vector<std::string> childPaths);
    ChildHealth(const ChildHealth&) = delete;
    ChildHealth& operator=(const ChildHealth&) = delete;

    // The one subscriber (the fault log), set at open before any child
    // starts. It is called on whatever thread learnt of the event (a worker,
    // the host's thread), with no lock of this object held, so it may read
    // the figures; it must return soon, since that thread waits for it.
    void setListener(Listener listener);

    std::size_t childCount() const { return paths.size(); }
    const std::string& childPath(std::size_t child) const { return paths[child]; }

    // The call path: a call reached the child, and how long it took.
    void callMade(std::size_t child) noexcept;
    void callEnded(std::size_t child, std::chrono::nanoseconds took) noexcept;

    // Counts the event, sets the state it implies, keeps it as the last
    // problem and passes it on. `function` is without "quellan2_".
    void record(std::size_t child, ChildEventKind kind, std::string function, std::string detail);

    ChildHealthFigures figures(std::size_t child) const;

private:
    struct Record {
        std::atomic<std::uint64_t> calls{0};
        std::atomic<std::uint64_t> faults{0};
        std::atomic<std::uint64_t> timeouts{0};
        std::atomic<std::uint64_t> restarts{0};
        std::atomic<std::int64_t> lastCallNanoseconds{0};
        std::atomic<ChildState> state{ChildState::RUNNING};
        // Guarded by ChildHealth::mutex.
        std::string lastProblem;
    };

    std::vector<std::string> paths;
    std::unique_ptr<Record[]> records;
    mutable std::mutex mutex;
    // Guarded by mutex; copied out before it is called.
    std::shared_ptr<const Listener> listener;
};

// What a proxy reports its child's health through: the connection's record
// and the child's place in it. Empty (no record) reports nothing: a child
// that only the configuration process loads, or the status node itself.
struct HealthReport {
    std::shared_ptr<ChildHealth> health;
    std::size_t child = 0;

    explicit operator bool() const { return health != nullptr; }
    void callMade() const noexcept {
        if (health) health->callMade(child);
    }
    void callEnded(std::chrono::nanoseconds took) const noexcept {
        if (health) health->callEnded(child, took);
    }
    void record(ChildEventKind kind, std::string function, std::string detail) const {
        if (health) health->record(child, kind, std::move(function), std::move(detail));
    }
};

// An interface function's name without its "quellan2_" prefix, as events carry it.
std::string eventFunction(const char* interfaceName);

}  // namespace mq
