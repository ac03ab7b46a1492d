// Running children and check, which take no plug-in session, from the command line.
#include "DiagnosticCommands.h"

#include "CheckCommand.h"
#include "ChildrenCommand.h"
#include "PluginLibrary.h"
#include "ToolError.h"
#include "hosting/isolation/IsolatedChild.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"

namespace quellan {

int inspectChildren(const CommandLine& line, std::ostream& out, std::ostream& err) {
    if (!line.plugin.empty()) throw usageError("children takes no --plugin: it reads MultiQuellan's configuration");
    // Isolated children run in the surrogate installed beside the library.
    mq::IsolatedChild::startSurrogatesFrom(mq::platform::parentFolder(defaultPluginPath()));
    return runChildren(ChildrenOptions{line.format}, out, err);
}

int inspectPlugin(const CommandLine& line, std::ostream& out, std::ostream& err) {
    // `check PATH` and `check --plugin PATH` are the same.
    if (!line.plugin.empty() && !line.operands.empty())
        throw usageError("give check the plug-in once: check PATH or check --plugin PATH");
    const std::string& plugin = line.operands.empty() ? line.plugin : line.operands.front();
    if (plugin.empty()) throw usageError("check needs the plug-in: check PATH");
    // As for every other command: a relative path is the file in the current folder.
    return runCheck(CheckOptions{mq::platform::absolutePath(plugin), line.format}, out, err);
}

}  // namespace quellan
