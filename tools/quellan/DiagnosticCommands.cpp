// Running children and check, which take no plug-in session, from the command line.
#include "DiagnosticCommands.h"

#include "CheckCommand.h"
#include "ChildrenCommand.h"
#include "ToolError.h"

namespace quellan {

int inspectChildren(const CommandLine& line, std::ostream& out, std::ostream& err) {
    if (!line.plugin.empty()) throw usageError("children takes no --plugin: it reads MultiQuellan's configuration");
    return runChildren(ChildrenOptions{line.format}, out, err);
}

int inspectPlugin(const CommandLine& line, std::ostream& out, std::ostream& err) {
    if (line.plugin.empty()) throw usageError("check needs --plugin PATH");
    return runCheck(CheckOptions{line.plugin, line.format}, out, err);
}

}  // namespace quellan
