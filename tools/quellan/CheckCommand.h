// quellan check: holding a Quellan 2 plug-in to the interface's rules, for its author.
#pragma once

#include "ProbeProcess.h"
#include "Table.h"

#include <ostream>
#include <string>

namespace quellan {

struct CheckOptions {
    std::string plugin;
    OutputFormat format = OutputFormat::TABLE;
};

// Drives the plug-in as MultiQuellan does (ConformanceRules.h) and writes one
// row per rule: PASS, FAIL or WARN with what was expected and what came back,
// or SKIP when an earlier failure left nothing to check it on; a rule that
// could not make its calls is SKIP or WARN with the reason, never PASS.
// Returns 0 when no rule failed and some data rule could make its calls
// (otherwise, saying so on `err`, ExitCode::PLUGIN_FAILED); raises ToolError
// (PLUGIN_UNUSABLE) when the library cannot be loaded at all.
// The plug-in is driven in a probe process: one that ends that process (an
// abort, an exit, a crash the fault guard cannot catch) fails the rule whose
// calls were under way and no-faults, and leaves the rules not yet done SKIP.
int runCheck(const CheckOptions& options, std::ostream& out, std::ostream& err);

// The first word of the request that has a probe process drive a plug-in.
inline constexpr const char* CHECK_PROBE = "check";
// In that process: drives the plug-in the request names and reports each finding as it is made.
void serveCheckProbe(const ProbeMessage& request, ProbeReport& report);

}  // namespace quellan
