// Counting each child's calls and events, and passing the events on.
#include "hosting/ChildHealth.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace mq {

namespace {

// Year, month and day of a count of days since 1970-01-01 (the proleptic
// Gregorian calendar, counted in 400-year eras), without the C library's
// gmtime, which is not safe to call from several threads.
void civilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
}

std::string isoTime(std::chrono::system_clock::time_point when) {
    constexpr std::int64_t SECONDS_PER_DAY = 86400;
    const std::int64_t seconds =
        std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
    std::int64_t days = seconds / SECONDS_PER_DAY;
    std::int64_t inDay = seconds % SECONDS_PER_DAY;
    if (inDay < 0) {
        inDay += SECONDS_PER_DAY;
        --days;
    }
    std::int64_t year = 0;
    unsigned month = 0, day = 0;
    civilFromDays(days, year, month, day);
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02d:%02d:%02dZ", static_cast<long long>(year), month, day,
                  static_cast<int>(inDay / 3600), static_cast<int>(inDay / 60 % 60), static_cast<int>(inDay % 60));
    return text;
}

std::string problemText(const ChildEvent& event) {
    std::string text = isoTime(event.when) + ' ';
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
