// Counting each child's calls and events, and passing the events on.
#include "hosting/ChildHealth.h"

#include "hosting/UtcTime.h"

#include <cstring>
#include <utility>

namespace mq {

namespace {

std::string problemText(const ChildEvent& event) {
    std::string text = utcText(event.when) + ' ';
    if (!event.function.empty()) text += event.function + ": ";
    text += eventName(event.kind);
    if (!event.detail.empty()) text += (event.function.empty() ? ": " : ", ") + event.detail;
    return text;
}

}  // namespace

const char* stateName(ChildState state) {
    switch (state) {
    case ChildState::RUNNING: return "running";
    case ChildState::LEFT_OUT: return "left out";
    case ChildState::HUNG: return "hung";
    case ChildState::ENDED: return "ended";
    case ChildState::RESTARTING: return "restarting";
    case ChildState::GIVEN_UP: return "given up";
    }
    return "running";
}

std::string eventFunction(const char* interfaceName) {
    constexpr const char PREFIX[] = "quellan2_";
    constexpr std::size_t PREFIX_LENGTH = sizeof PREFIX - 1;
    if (std::strncmp(interfaceName, PREFIX, PREFIX_LENGTH) == 0) return interfaceName + PREFIX_LENGTH;
    return interfaceName;
}

ChildHealth::ChildHealth(std::vector<std::string> childPaths)
    : paths(std::move(childPaths)), records(std::make_unique<Record[]>(paths.size())) {}

void ChildHealth::setListener(Listener newListener) {
    auto shared = newListener ? std::make_shared<const Listener>(std::move(newListener)) : nullptr;
    std::lock_guard<std::mutex> lock(mutex);
    listener = std::move(shared);
}

void ChildHealth::callMade(std::size_t child) noexcept {
    records[child].calls.fetch_add(1, std::memory_order_relaxed);
}

void ChildHealth::callEnded(std::size_t child, std::chrono::nanoseconds took) noexcept {
    records[child].lastCallNanoseconds.store(took.count(), std::memory_order_relaxed);
}

void ChildHealth::record(std::size_t child, ChildEventKind kind, std::string function, std::string detail) {
    Record& entry = records[child];
    const ChildEvent event{std::chrono::system_clock::now(), kind, paths[child], std::move(function),
                           std::move(detail)};
    switch (kind) {
    case ChildEventKind::LEFT_OUT: entry.state = ChildState::LEFT_OUT; break;
    case ChildEventKind::FAULT: entry.faults.fetch_add(1, std::memory_order_relaxed); break;
    case ChildEventKind::TIMEOUT: entry.timeouts.fetch_add(1, std::memory_order_relaxed); break;
    case ChildEventKind::HUNG: entry.state = ChildState::HUNG; break;
    case ChildEventKind::SURROGATE_ENDED: entry.state = ChildState::ENDED; break;
    case ChildEventKind::RESTART_TRIED: entry.state = ChildState::RESTARTING; break;
    case ChildEventKind::RESTART_DONE:
        entry.restarts.fetch_add(1, std::memory_order_relaxed);
        entry.state = ChildState::RUNNING;
        break;
    case ChildEventKind::RESTART_GIVEN_UP: entry.state = ChildState::GIVEN_UP; break;
    case ChildEventKind::CONFIGURATION_REFUSED: break;
    }
    std::shared_ptr<const Listener> told;
    {
        std::string problem = problemText(event);
        std::lock_guard<std::mutex> lock(mutex);
        entry.lastProblem = std::move(problem);
        told = listener;
    }
    if (told) (*told)(event);
}

ChildHealthFigures ChildHealth::figures(std::size_t child) const {
    const Record& entry = records[child];
    ChildHealthFigures figures;
    figures.state = entry.state.load();
    figures.calls = entry.calls.load(std::memory_order_relaxed);
    figures.faults = entry.faults.load(std::memory_order_relaxed);
    figures.timeouts = entry.timeouts.load(std::memory_order_relaxed);
    figures.restarts = entry.restarts.load(std::memory_order_relaxed);
    figures.lastCallMs = static_cast<double>(entry.lastCallNanoseconds.load(std::memory_order_relaxed)) / 1e6;
    std::lock_guard<std::mutex> lock(mutex);
    figures.lastProblem = records[child].lastProblem;
    return figures;
}

}  // namespace mq
