// The fault log's queue, its writer thread, the limit of lines per minute and the two outputs.
#include "hosting/FaultLog.h"

#include "platform/LogFile.h"

#include <algorithm>
#include <cstdio>

namespace mq {

namespace {

using platform::LogSeverity;
using SteadyTime = std::chrono::steady_clock::time_point;

constexpr std::chrono::minutes RATE_WINDOW{1};

LogSeverity severityOf(ChildEventKind kind) {
    switch (kind) {
    case ChildEventKind::FAULT:
    case ChildEventKind::HUNG:
    case ChildEventKind::SURROGATE_ENDED:
    case ChildEventKind::RESTART_GIVEN_UP:
    case ChildEventKind::CONFIGURATION_REFUSED: return LogSeverity::FAILURE;
    default: return LogSeverity::WARNING;
    }
}

// A field's text with every control character as \xNN: a child's words never
// split a line or a field.
void appendField(std::string& line, const std::string& field) {
    for (char c : field) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            line += escaped;
        } else {
            line += c;
        }
    }
}

// The date of a count of days since 1970-01-01, in the proleptic Gregorian
// calendar (H. Hinnant's civil calendar algorithm, in 400-year eras), so
// that no C library's time zone or locale comes into it.
void civilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2);
}

std::string utcTime(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const std::int64_t milliseconds = duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
    constexpr std::int64_t PER_DAY = 86400000;
    const std::int64_t days = (milliseconds >= 0 ? milliseconds : milliseconds - PER_DAY + 1) / PER_DAY;
    const std::int64_t ofDay = milliseconds - days * PER_DAY;
    std::int64_t year = 0;
    unsigned month = 0, day = 0;
    civilFromDays(days, year, month, day);
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lld.%03lldZ", static_cast<long long>(year),
                  month, day, static_cast<long long>(ofDay / 3600000), static_cast<long long>(ofDay / 60000 % 60),
                  static_cast<long long>(ofDay / 1000 % 60), static_cast<long long>(ofDay % 1000));
    return text;
}

class SystemLogOutput final : public FaultLog::Output {
public:
    void write(const FaultLogLine& line) noexcept override {
        try {
            log.write(line.severity, faultLogSystemLine(line));
        } catch (...) {
            // Out of memory: the line is lost.
        }
    }

private:
    platform::SystemLog log;
};

class FileOutput final : public FaultLog::Output {
public:
    FileOutput(const std::string& path, std::uint64_t sizeLimit) : file(path, sizeLimit) {}
    bool open() noexcept { return file.open(); }
    void write(const FaultLogLine& line) noexcept override {
        try {
            // A failed write (a full disk) loses the line; the next may land.
            file.append(faultLogFileLine(line));
        } catch (...) {
        }
    }

private:
    platform::LogFile file;
};

FaultLogLine lineOf(LogSeverity severity, std::string child, std::string event, std::string detail) {
    return FaultLogLine{std::chrono::system_clock::now(), severity, std::move(child), std::move(event), {},
                        std::move(detail)};
}

}  // namespace

std::string faultLogFileLine(const FaultLogLine& line) {
    std::string text = utcTime(line.when);
    for (const std::string* field : {&line.child, &line.event, &line.function, &line.detail}) {
        text += '\t';
        appendField(text, *field);
    }
    text += '\n';
    return text;
}

std::string faultLogSystemLine(const FaultLogLine& line) {
    std::string text;
    appendField(text, line.event);
    if (!line.child.empty()) {
        text += ": ";
        appendField(text, line.child);
    }
    if (!line.function.empty()) {
        text += ", in ";
        appendField(text, line.function);
    }
    if (!line.detail.empty()) {
        text += ": ";
        appendField(text, line.detail);
    }
    return text;
}

std::unique_ptr<FaultLog> FaultLog::open(const FaultLogTarget& target, bool privilegedHost, const Limits& limits) {
    if (!target.enabled) return nullptr;
    std::string fileRefused;
    if (!target.file.empty() && !privilegedHost) {
        auto file = std::make_unique<FileOutput>(target.file, limits.fileSize);
        if (file->open()) return std::make_unique<FaultLog>(std::move(file), limits);
        fileRefused = "could not open " + target.file +
                      " as a plain file to append to (missing folder, no rights, or a link or other entry in its "
                      "place); this log takes its lines instead";
    }
    auto system = std::make_unique<SystemLogOutput>();
    // Before the writer starts, which then has the output to itself.
    if (!fileRefused.empty()) system->write(lineOf(LogSeverity::WARNING, {}, "log file refused", fileRefused));
    return std::make_unique<FaultLog>(std::move(system), limits);
}

FaultLog::FaultLog(std::unique_ptr<Output> output, const Limits& limits, Clock clock)
    : output(std::move(output)), limits(limits), clock(std::move(clock)) {
    writer = std::thread([this] { work(); });
}

FaultLog::~FaultLog() {
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        stopping = true;
    }
    wake.notify_one();
    writer.join();
}

void FaultLog::post(const ChildEvent& event) noexcept {
    try {
        std::lock_guard<std::mutex> lock(queueMutex);
        if (queue.size() >= limits.queueCapacity) {
            ++dropped;
            return;
        }
        try {
            // Stamped under the lock, so that the writer, reading the clock
            // under it too, has every event of an earlier minute in hand.
            queue.push_back(Queued{event, clock()});
        } catch (...) {
            ++dropped;
            return;
        }
    } catch (...) {
        // The lock itself failed: nothing to count with.
        return;
    }
    wake.notify_one();
}

void FaultLog::work() noexcept {
    std::unique_lock<std::mutex> lock(queueMutex);
    for (;;) {
        try {
            if (!queue.empty() || dropped > 0) {
                std::deque<Queued> batch;
                batch.swap(queue);
                const std::uint64_t lost = std::exchange(dropped, 0);
                // Written without the lock: post() never waits for a line.
                lock.unlock();
                for (const Queued& queued : batch) writeEvent(queued);
                writeDropped(lost);
                lock.lock();
                continue;
            }
            if (stopping) {
                lock.unlock();
                // The minutes not over yet still owe their counts.
                closeWindows(SteadyTime::max());
                return;
            }
            // Read with the queue empty and under the lock: every event
            // posted before `now` has been written, so a minute over by now
            // has all its counts.
            const SteadyTime now = clock();
            SteadyTime nextEnd = SteadyTime::max();
            for (const auto& entry : windows) nextEnd = std::min(nextEnd, entry.second.end);
            if (nextEnd <= now) {
                lock.unlock();
                closeWindows(now);
                lock.lock();
            } else if (windows.empty()) {
                wake.wait(lock);
            } else {
                // A clock of a test's may not follow the real one: look again at least every minute.
                wake.wait_for(lock, std::min<std::chrono::steady_clock::duration>(nextEnd - now, RATE_WINDOW));
            }
        } catch (...) {
            // Out of memory for a line or a window: those lines are lost, the log goes on.
            if (!lock.owns_lock()) lock.lock();
        }
    }
}

void FaultLog::writeEvent(const Queued& queued) {
    const ChildEvent& event = queued.event;
    closeWindows(queued.posted);
    Window& window = windows[WindowKey(event.child, event.kind)];
    if (window.written == 0 && window.suppressed == 0) window.end = queued.posted + RATE_WINDOW;
    if (window.written >= limits.linesPerMinute) {
        ++window.suppressed;
        return;
    }
    ++window.written;
    output->write(FaultLogLine{event.when, severityOf(event.kind), event.child, eventName(event.kind), event.function,
                               event.detail});
}

void FaultLog::closeWindows(SteadyTime now) {
    for (auto entry = windows.begin(); entry != windows.end();) {
        if (entry->second.end > now) {
            ++entry;
            continue;
        }
        if (const std::uint64_t suppressed = entry->second.suppressed; suppressed > 0) {
            output->write(lineOf(severityOf(entry->first.second), entry->first.first, eventName(entry->first.second),
                                 std::to_string(suppressed) + " more suppressed within a minute"));
        }
        entry = windows.erase(entry);
    }
}

void FaultLog::writeDropped(std::uint64_t count) {
    if (count == 0) return;
    output->write(lineOf(LogSeverity::WARNING, {}, "events dropped",
                         std::to_string(count) + " events dropped: the log's queue was full"));
}

}  // namespace mq
