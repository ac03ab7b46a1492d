// A helper program started by this library with a channel to it, which never outlives this process.
#pragma once

#include "platform/Channel.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace mq::platform {

// The host's side: start() runs a program of this library's own (named by its
// full path, never searched for) with one end of a new channel, and nothing
// else of this process: no other descriptor or handle, no standard input or
// output (the helper's standard error is this process's). The helper ends when
// this process ends, however that happens: POSIX systems send it SIGKILL when
// the thread that started it ends (so start it from a thread that lives as
// long as the helper is needed), Windows puts it into a job object of this
// process that kills every member when the process goes.
//
// A helper is reaped as soon as it ends, whether or not anyone waits for it
// (no zombie, no handle left open): a thread of this object's waits for that
// one process alone, so no signal handler of the host's is needed or touched.
//
// The helper's side: attachToHost() takes the channel from what start()
// handed over and ties the helper's life to the host's.
class HelperProcess {
public:
    HelperProcess() = default;
    // Kills a helper that still runs and waits until it is reaped.
    ~HelperProcess();
    HelperProcess(HelperProcess&& other) noexcept;
    HelperProcess& operator=(HelperProcess&& other) noexcept;
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // Starts `program`; `channel` receives this process's end of the channel.
    // `arguments` follow the words that attachToHost() reads, each one word
    // without blanks or quotes (no quoting is done on any platform). A helper
    // that is not running (isStarted() false) when the program cannot be
    // started or an argument is not such a word; `channel` then stays closed.
    static HelperProcess start(const std::string& program, Channel& channel,
                               const std::vector<std::string>& arguments = {});

    bool isStarted() const noexcept { return lifetime != nullptr; }
    // Ends the helper at once. Safe from any thread, also while another thread
    // waits in waitForExit() or uses the channel (whose reads and writes then
    // fail), and any number of times.
    void kill() noexcept;
    // Waits up to `timeout` for the helper to end and be reaped. True when it
    // has (or was never started).
    bool waitForExit(std::chrono::milliseconds timeout) noexcept;
    // How the helper ended, once it has been reaped: empty for an exit with
    // code 0; "aborted"; "exit code N"; POSIX: "signal SIGSEGV"; Windows:
    // "exception 0xC0000005" (abort() ends a process there with exit code 3,
    // which reads "aborted"). Empty while it runs or when never started.
    std::string ending() const;
    // The system's number for the process, for diagnostics and tests; 0 when none.
    std::int64_t id() const noexcept;

    // In the helper, once, first thing in main: its end of the channel, from
    // the command line start() gave it; a closed channel when the command line
    // names none. From here on the helper ends when the host does (POSIX: a
    // parent-death signal; a helper whose host or starting thread has already
    // ended by then ends itself at once. Windows: the job), and a crash ends it
    // quietly, without a dialog or debugger.
    static Channel attachToHost(int argc, char** argv);

private:
    static constexpr std::intptr_t NONE = -1;

    // What the waiter shares with this object. Once reaped, the process's
    // number or handle may name another process: kill() then leaves it be.
    struct Lifetime {
        std::intptr_t process = NONE;  // a process id or process handle
        std::mutex reaping;
        std::condition_variable ended;
        bool reaped = false;
        // The wait status (POSIX) or exit code (Windows), once reaped.
        int exitStatus = 0;
    };

    // A process just started, with its waiter. When no thread can be started
    // the process is ended and reaped here, and the result is not started.
    static HelperProcess watch(std::intptr_t process, std::int64_t id) noexcept;
    // Per platform: waits until the process ends, then, under `reaping`,
    // reaps it (POSIX) or closes its handle (Windows) and says so.
    static void reapWhenEnded(Lifetime& lifetime) noexcept;
    // Per platform: ends the process at once; only while it is not reaped.
    static void terminate(std::intptr_t process) noexcept;
    // Per platform: ending()'s words for a reaped helper's exit status.
    static std::string endingOf(int exitStatus);

    // A stable address for the waiter, which this object joins before it goes.
    std::unique_ptr<Lifetime> lifetime;
    std::thread waiter;
    std::int64_t processId = 0;
};

}  // namespace mq::platform
