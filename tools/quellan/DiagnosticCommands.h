// The commands that look at plug-ins rather than use one: children and check.
#pragma once

#include "CommandLine.h"

#include <optional>
#include <ostream>

namespace quellan {

// Runs `children` or `check` when the line names one and returns its exit
// code; nothing for any other command. Raises a usage error for arguments
// the command does not take.
std::optional<int> runDiagnosticCommand(const CommandLine& line, std::ostream& out, std::ostream& err);

}  // namespace quellan
