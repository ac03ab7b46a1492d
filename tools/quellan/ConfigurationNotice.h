// What a command that opens MultiQuellan's connection says about MultiQuellan's configuration file.
#pragma once

#include "PluginSession.h"

#include <ostream>

namespace quellan {

// For the default plug-in, MultiQuellan, which opens silently with fewer
// children or none: reads its configuration file with the library's own
// reader, from the place the library computes, and writes one line on `err`
// when the file gives it no child (missing, unreadable, empty, not
// well-formed with the parser's line and column, without a settings element,
// naming no child, or refused), or, once the connection has opened, when
// children are left out: "2 of 3 children are in the tree" from the status
// node when the file shows one; without it, when the tree is empty although
// the file names children, or when the library leaves children out by their
// files alone (ConfigurationCheck.h). With `strict` it raises ToolError
// (exit code 5) with that line instead.
void watchConfiguration(PluginSession& session, bool strict, std::ostream& err);

}  // namespace quellan
