// The system's log on POSIX: syslog with the identity "MultiQuellan".
#include "platform/SystemLog.h"

#include <syslog.h>

#include <mutex>

namespace mq::platform {

namespace {

// openlog keeps the identity's address, so it must outlive every line: a literal.
const char* const IDENTITY = "MultiQuellan";

// openlog and closelog are the process's: the first SystemLog opens, the last closes.
std::mutex openLock;
unsigned openCount = 0;

}  // namespace

SystemLog::SystemLog() noexcept {
    std::lock_guard<std::mutex> lock(openLock);
    if (openCount++ == 0) ::openlog(IDENTITY, LOG_PID, LOG_USER);
    // Any non-null value: syslog needs no handle of ours.
    source = &openCount;
}

SystemLog::~SystemLog() {
    std::lock_guard<std::mutex> lock(openLock);
    if (--openCount == 0) ::closelog();
}

bool SystemLog::isOpen() const noexcept {
    return source != nullptr;
}

void SystemLog::write(LogSeverity severity, const std::string& line) noexcept {
    // "%s": the line holds a child's words, never a format.
    ::syslog(LOG_USER | (severity == LogSeverity::FAILURE ? LOG_ERR : LOG_WARNING), "%s", line.c_str());
}

bool installLogSource(const std::string&, std::string&) noexcept {
    return true;
}

bool removeLogSource(std::string&) noexcept {
    return true;
}

}  // namespace mq::platform
