// The optional attributes that change how children are called (parallel calls, call deadlines, isolation, restarts) and the fault log.
#pragma once

#include "config/ConfigurationSettings.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace mq {

// <settings parallel="true">: every data operation calls its children at once.
constexpr const char* PARALLEL_ATTRIBUTE = "parallel";
// <settings status="true">: a node of the children's health follows theirs.
constexpr const char* STATUS_ATTRIBUTE = "status";
// <quellan timeout="SECONDS">: a call to that child is given up after SECONDS.
constexpr const char* TIMEOUT_ATTRIBUTE = "timeout";

// <quellan isolation="process">: the child runs in a surrogate process of its own.
constexpr const char* ISOLATION_ATTRIBUTE = "isolation";

// <settings log="system"> or <settings log="/absolute/path">: what befalls the children is logged.
constexpr const char* LOG_ATTRIBUTE = "log";
// The value of LOG_ATTRIBUTE that names the system's log.
constexpr const char* SYSTEM_LOG = "system";

// A call timeout; no value waits for ever.
using CallTimeout = std::optional<std::chrono::nanoseconds>;

// True only for parallel="true"; absent or "false" give false. Any other value
// is malformed: it is ignored (false), and `problem`, when given, says why.
bool parallelCalls(const ConfigurationSettings& settings, std::string* problem = nullptr);

// True only for status="true", as parallelCalls() reads parallel="true".
bool statusNode(const ConfigurationSettings& settings, std::string* problem = nullptr);

// The child's timeout="SECONDS": decimal seconds ("10", "0.2"), at most
// 999999999; absent or 0 wait for ever. A malformed value ("-1", "abc", "1e3")
// is ignored (for ever), and `problem`, when given, says why.
CallTimeout callTimeout(const ChildEntry& child, std::string* problem = nullptr);

// Where a child's code runs.
enum class Isolation {
    NONE,     // loaded into this process, as always
    PROCESS,  // in a surrogate process of its own
};

// The child's isolation="process"; absent or "none" give NONE. Any other value
// is malformed: it is ignored (NONE), and `problem`, when given, says why.
Isolation childIsolation(const ChildEntry& child, std::string* problem = nullptr);

// <quellan isolation="process" restart="true">: a surrogate that ends is
// started again after a backoff.
constexpr const char* RESTART_ATTRIBUTE = "restart";

// True only for restart="true" on an isolated child; absent or "false" give
// false. restart="true" on a child loaded into the host is ignored, and so is
// any other value; `problem`, when given, says why.
bool childRestarts(const ChildEntry& child, std::string* problem = nullptr);

// Where the fault log goes; absent, nothing is logged.
struct FaultLogTarget {
    bool enabled = false;
    // Only the system's log when empty; otherwise also this file (an absolute path).
    std::string file;
    bool operator==(const FaultLogTarget& other) const { return enabled == other.enabled && file == other.file; }
};

// The settings' log="system" or log="ABSOLUTE PATH"; absent gives no log. Any
// other value (a relative path, an empty text) is malformed: it is ignored (no
// log), and `problem`, when given, says why.
FaultLogTarget faultLogTarget(const ConfigurationSettings& settings, std::string* problem = nullptr);

// Every attribute the library reads, on the settings element and on a child
// element (PATH_ATTRIBUTE first), in the order a reader meets them here.
const std::vector<std::string>& settingsAttributeNames();
const std::vector<std::string>& childAttributeNames();

// What the functions above say about every malformed value, in their order:
// of the settings' attributes, and of one child's.
std::vector<std::string> settingsProblems(const ConfigurationSettings& settings);
std::vector<std::string> childProblems(const ChildEntry& child);

}  // namespace mq
