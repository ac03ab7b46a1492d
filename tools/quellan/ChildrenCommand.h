// quellan children: which configured children MultiQuellan's tree would hold, and why not the others.
#pragma once

#include "ProbeProcess.h"
#include "Table.h"

#include <ostream>
#include <string>

namespace quellan {

struct ChildrenOptions {
    OutputFormat format = OutputFormat::TABLE;
};

// Reads MultiQuellan's configuration file as the library does and takes every
// child through the library's open (ChildDiagnosis.h): one row per child.
// Says which file was read and in what state: on `out` before the table in
// the table format, on `err` with CSV and JSON, whose output is the rows alone.
// Returns 0 when the file was read, every child would be in the tree and the
// library reads every attribute and value, otherwise ExitCode::PLUGIN_FAILED.
// JSON keys are the column names in lower case with "_" for blanks.
int runChildren(const ChildrenOptions& options, std::ostream& out, std::ostream& err);

// One line for a failed quellan2_connectionOpen of `pluginPath`, pointing to
// `quellan children` and naming the first configured child that the library
// would refuse before starting it, when there is one. Empty when the plug-in
// is not MultiQuellan.
std::string openFailureHint(const std::string& pluginPath);

// The first word of the request that has a probe process diagnose one child.
inline constexpr const char* CHILD_PROBE = "child";
// In that process: diagnoses the child the request names and reports it.
void serveChildProbe(const ProbeMessage& request, ProbeReport& report);

}  // namespace quellan
