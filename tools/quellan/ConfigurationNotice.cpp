// Reading MultiQuellan's configuration file as the library does, to say when it gives the library no child.
#include "ConfigurationNotice.h"

#include "ToolError.h"
#include "config/ConfigurationRecord.h"
#include "config/TrustedConfiguration.h"

#include <string>

namespace quellan {

namespace {

// Why the file gives MultiQuellan no child; empty when it names children.
std::string configurationProblem(const mq::ConfigurationRecord& record) {
    if (record.configurationPath.empty())
        return "MultiQuellan has no data folder for its configuration file, so it has no children";
    // What follows from every problem: the library opens with no child and an empty tree.
    const std::string outcome = ", so MultiQuellan has no children and its tree is empty";
    if (!mq::isTrustedConfiguration(record)) return record.refusal + outcome;
    const std::string file = "MultiQuellan's configuration file " + record.configurationPath;
    switch (record.fileState) {
    case mq::ConfigurationFileState::MISSING: return file + " does not exist" + outcome;
    case mq::ConfigurationFileState::UNREADABLE: return file + " cannot be read" + outcome;
    case mq::ConfigurationFileState::EMPTY: return file + " is empty" + outcome;
    case mq::ConfigurationFileState::MALFORMED:
        return file + " is not well-formed XML (" + record.fileProblem + ")" + outcome;
    case mq::ConfigurationFileState::NO_SETTINGS: return file + " has no settings element" + outcome;
    case mq::ConfigurationFileState::READ: break;
    }
    if (record.settings.children.empty()) return file + " names no child" + outcome;
    return {};
}

void say(const std::string& line, bool strict, std::ostream& err) {
    if (strict) throw ToolError(ExitCode::INTERNAL, line + " (--strict)");
    err << "quellan: " << line << '\n';
}

}  // namespace

void watchConfiguration(PluginSession& session, bool strict, std::ostream& err) {
    mq::ConfigurationRecord record;
    mq::loadConfiguration(record);
    const std::string problem = configurationProblem(record);
    if (!problem.empty()) return say(problem, strict, err);
    // Children left out of the tree are told apart only by starting them
    // again (quellan children); a tree with no node at all shows it at once.
    const std::size_t children = record.settings.children.size();
    session.afterOpen([children, strict, &err](const PluginFunctions& plugin, QUELLAN2_CONNECTION connection) {
        std::uint32_t nodes = 0;
        if (plugin.connectionGetNumNodes(connection, &nodes) != QUELLAN2_STATUS_OK || nodes != 0) return;
        say("MultiQuellan's tree is empty although its configuration file names " + std::to_string(children) +
                (children == 1 ? " child" : " children") + ": run quellan children to see what becomes of " +
                (children == 1 ? "it" : "each"),
            strict, err);
    });
}

}  // namespace quellan
