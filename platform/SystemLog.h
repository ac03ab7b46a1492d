// The system's own log (syslog on POSIX, the Application event log on Windows), under the source "MultiQuellan".
#pragma once

#include <string>

namespace mq::platform {

// WARNING: LOG_WARNING, a warning event; FAILURE: LOG_ERR, an error event (ERROR is a macro of windows.h).
enum class LogSeverity { WARNING, FAILURE };

// One source of lines in the system's log; closed by its destructor.
//
// POSIX: openlog("MultiQuellan", LOG_PID, LOG_USER), so that `journalctl -t
// MultiQuellan` shows the lines. The identity is the process's own, so while a
// SystemLog is open a host's own syslog lines carry it too; the last SystemLog
// to close gives the process's default back (closelog).
//
// Windows: RegisterEventSourceW into the Application log, source
// "MultiQuellan". Every line is event 1 with the whole line as its one
// insertion string; the library's message table makes event 1 "%1", so the
// event viewer shows the line as it is once installLogSource has named the
// library (before, it shows it after its note that the description is missing).
class SystemLog {
public:
    SystemLog() noexcept;
    ~SystemLog();
    SystemLog(const SystemLog&) = delete;
    SystemLog& operator=(const SystemLog&) = delete;

    // False when the system refused the source; write() then does nothing.
    bool isOpen() const noexcept;
    // One line, in the system's 8-bit text, without a line end.
    void write(LogSeverity severity, const std::string& line) noexcept;

private:
    void* source = nullptr;
};

// Tells the system's log where the source's message table is: `messageFile`,
// the library, by its full path. Windows: the source's key under the
// Application log in the machine's registry, which administrators only may
// write; removeLogSource deletes it. POSIX: syslog needs nothing, and both
// do nothing. False, with the system's reason in `problem`, when refused.
bool installLogSource(const std::string& messageFile, std::string& problem) noexcept;
bool removeLogSource(std::string& problem) noexcept;

}  // namespace mq::platform
