// The commands that take no plug-in session: children, validate, check and eventlog.
#pragma once

#include "CommandLine.h"

#include <ostream>

namespace quellan {

// quellan children: MultiQuellan's configured children, and why any is left out.
int inspectChildren(const CommandLine& line, std::ostream& out, std::ostream& err);

// quellan check PATH (or --plugin PATH): the plug-in held to the interface's rules.
int inspectPlugin(const CommandLine& line, std::ostream& out, std::ostream& err);

// quellan validate [FILE]: a configuration file checked without loading any child.
int inspectConfiguration(const CommandLine& line, std::ostream& out, std::ostream& err);

// quellan eventlog install|remove: makes the system's log know MultiQuellan's fault log source, or forget it.
int manageEventLog(const CommandLine& line, std::ostream& out, std::ostream& err);

}  // namespace quellan
