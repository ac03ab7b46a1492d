// The fault log: what befalls the children, written by a thread of its own to the system's log or a file.
#pragma once

#include "config/CallOptions.h"
#include "hosting/ChildEvent.h"
#include "platform/SystemLog.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace mq {

// One line of the log, before an output lays it out.
struct FaultLogLine {
    std::chrono::system_clock::time_point when;
    platform::LogSeverity severity = platform::LogSeverity::WARNING;
    // Empty for a line of the log itself or of the configuration.
    std::string child;
    std::string event;
    std::string function;
    std::string detail;
};

// A line of the log file: the UTC time (ISO 8601, milliseconds), the child's
// path, the event, the function and the detail, separated by tabs and ended by
// "\n". Tabs, line ends and every other control character inside a field are
// written as \xNN, so a tab always separates fields and a line end ends the
// line, whatever a child's path or words hold.
std::string faultLogFileLine(const FaultLogLine& line);

// The same fields as one sentence for the system's log, which stamps its own time.
std::string faultLogSystemLine(const FaultLogLine& line);

struct FaultLogLimits {
    // Events waiting for the writer; more are dropped and counted.
    std::size_t queueCapacity = 1024;
    // Lines per child and kind of event in a minute; the rest are counted.
    unsigned linesPerMinute = 10;
    // The log file is moved to PATH.1 before it would reach this size.
    std::uint64_t fileSize = 10 * 1024 * 1024;
};

class FaultLog {
public:
    // Where the lines go. Called on the log's own thread only.
    class Output {
    public:
        virtual ~Output() = default;
        virtual void write(const FaultLogLine& line) noexcept = 0;
    };

    // Decides when a child's minute of lines is over; steady_clock::now unless a test's own.
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    using Limits = FaultLogLimits;

    // The log the settings ask for, or null when they ask for none. A
    // privileged host writes to the system's log only, even when a file is
    // named (the file's folder may be anyone's); so does any host whose file
    // cannot be opened safely, and it says so in the first line.
    static std::unique_ptr<FaultLog> open(const FaultLogTarget& target, bool privilegedHost,
                                          const Limits& limits = Limits{});

    // Starts the writer thread. Throws std::system_error when it cannot be started.
    FaultLog(std::unique_ptr<Output> output, const Limits& limits = Limits{},
             Clock clock = std::chrono::steady_clock::now);
    // Writes what is queued, and the counts of what was held back, then joins the writer.
    ~FaultLog();
    FaultLog(const FaultLog&) = delete;
    FaultLog& operator=(const FaultLog&) = delete;

    // Queues the event for the writer and returns at once: never waits for a
    // write. With the queue full (or memory short) the event is dropped and
    // counted; the count is logged once there is room.
    void post(const ChildEvent& event) noexcept;

private:
    struct Queued {
        ChildEvent event;
        // When it was posted, by the clock: the minute it counts in.
        std::chrono::steady_clock::time_point posted;
    };
    // A child's and kind's minute: opened by its first line.
    struct Window {
        std::chrono::steady_clock::time_point end;
        unsigned written = 0;
        std::uint64_t suppressed = 0;
    };
    using WindowKey = std::pair<std::string, ChildEventKind>;

    void work() noexcept;
    void writeEvent(const Queued& queued);
    // Closes the minutes that are over by `now`, writing the count of each one's suppressed lines.
    void closeWindows(std::chrono::steady_clock::time_point now);
    void writeDropped(std::uint64_t count);

    const std::unique_ptr<Output> output;
    const Limits limits;
    const Clock clock;

    std::mutex queueMutex;
    std::condition_variable wake;
    std::deque<Queued> queue;
    std::uint64_t dropped = 0;
    bool stopping = false;

    // The writer thread's own.
    std::map<WindowKey, Window> windows;

    std::thread writer;
};

}  // namespace mq
