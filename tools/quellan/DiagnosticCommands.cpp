// Dispatching children and check, which run without a plug-in session.
#include "DiagnosticCommands.h"

#include "CheckCommand.h"
#include "ChildrenCommand.h"
#include "ToolError.h"

namespace quellan {

std::optional<int> runDiagnosticCommand(const CommandLine& line, std::ostream& out, std::ostream& err) {
    if (line.command != "children" && line.command != "check") return std::nullopt;
    if (!line.operands.empty() || !line.commandOptions().empty())
        throw usageError("wrong arguments; usage: quellan " + line.command +
                         (line.command == "check" ? " --plugin PATH" : ""));
    if (line.command == "children") {
        if (!line.plugin.empty()) throw usageError("children takes no --plugin: it reads MultiQuellan's configuration");
        return runChildren(ChildrenOptions{line.format}, out, err);
    }
    if (line.plugin.empty()) throw usageError("check needs --plugin PATH");
    return runCheck(CheckOptions{line.plugin, line.format}, out, err);
}

}  // namespace quellan
