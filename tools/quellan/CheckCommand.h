// quellan check: holding a Quellan 2 plug-in to the interface's rules, for its author.
#pragma once

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
// or SKIP when an earlier failure left nothing to check it on. Returns 0 when
// no rule failed, otherwise ExitCode::PLUGIN_FAILED.
int runCheck(const CheckOptions& options, std::ostream& out, std::ostream& err);

}  // namespace quellan
