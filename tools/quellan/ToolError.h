// Failures that end the tool, each with the exit code that reports it.
#pragma once

#include <stdexcept>
#include <string>

namespace quellan {

// The tool's exit codes; `quellan --help` documents them.
enum class ExitCode : int {
    SUCCESS = 0,
    PLUGIN_FAILED = 1,    // the plug-in returned a failing status or a malformed answer
    USAGE = 2,            // bad command line: command, option, number, time or value
    UNKNOWN_NAME = 3,     // a node or tag name that matches nothing, or more than one
    PLUGIN_UNUSABLE = 4,  // the plug-in cannot be loaded or lacks a function the command needs
    INTERNAL = 5,         // anything else, such as memory exhaustion; with --strict, a configuration giving no child
};

class ToolError : public std::runtime_error {
public:
    ToolError(ExitCode code, const std::string& message) : std::runtime_error(message), exitCode(code) {}
    ExitCode code() const { return exitCode; }

private:
    ExitCode exitCode;
};

inline ToolError usageError(const std::string& message) {
    return ToolError(ExitCode::USAGE, message);
}

}  // namespace quellan
