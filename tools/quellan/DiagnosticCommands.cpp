// Running children, validate, check and eventlog, which take no plug-in session, from the command line.
#include "DiagnosticCommands.h"

#include "CheckCommand.h"
#include "ChildrenCommand.h"
#include "PluginLibrary.h"
#include "ToolError.h"
#include "ValidateCommand.h"
#include "hosting/isolation/IsolatedChild.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"
#include "platform/SystemLog.h"

namespace quellan {

int inspectChildren(const CommandLine& line, std::ostream& out, std::ostream& err) {
    if (!line.plugin.empty()) throw usageError("children takes no --plugin: it reads MultiQuellan's configuration");
    // Isolated children run in the surrogate installed beside the library.
    mq::IsolatedChild::startSurrogatesFrom(mq::platform::parentFolder(defaultPluginPath()));
    return runChildren(ChildrenOptions{line.format}, out, err);
}

int inspectConfiguration(const CommandLine& line, std::ostream& out, std::ostream&) {
    if (!line.plugin.empty()) throw usageError("validate takes no --plugin: it reads a configuration file");
    return runValidate({line.operands.empty() ? std::string() : line.operands.front(), line.format, line.strict}, out);
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

int manageEventLog(const CommandLine& line, std::ostream& out, std::ostream& err) {
    const std::string& action = line.operands.front();
    if (action != "install" && action != "remove") throw usageError("eventlog takes install or remove, not \"" + action + "\"");
    // The message table is MultiQuellan's own: the library beside this program, or --plugin's.
    const std::string library = line.plugin.empty() ? defaultPluginPath() : mq::platform::absolutePath(line.plugin);
    std::string problem;
    const bool done = action == "install" ? mq::platform::installLogSource(library, problem)
                                          : mq::platform::removeLogSource(problem);
    if (!done) {
        err << "quellan: " << problem << '\n';
        return 1;
    }
    out << (action == "install" ? "The system's log knows the source MultiQuellan, with its messages in " + library
                                : std::string("The system's log no longer knows the source MultiQuellan"))
        << '\n';
    return 0;
}

}  // namespace quellan
