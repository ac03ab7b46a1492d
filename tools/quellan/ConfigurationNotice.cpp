// Reading MultiQuellan's configuration file as the library does, to say when it gives the library no child.
#include "ConfigurationNotice.h"

#include "ConfigurationCheck.h"
#include "PluginObjects.h"
#include "ToolError.h"
#include "Tree.h"
#include "config/ConfigurationRecord.h"
#include "config/TrustedConfiguration.h"
#include "hosting/ChildHealth.h"
#include "interface/StatusModule.h"

#include <optional>
#include <string>
#include <vector>

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

// How many children the status node (status="true") says are running: its
// tags come in groups of StatusField::COUNT, one group per child in file
// order. Nothing when the last top-level node is not that node.
std::optional<std::size_t> runningChildren(const PluginFunctions& plugin, QUELLAN2_CONNECTION connection,
                                           std::size_t children) {
    try {
        const QUELLAN2_NODE node = statusNode(plugin, connection);
        if (!node) return std::nullopt;
        const auto fields = static_cast<std::uint32_t>(mq::StatusField::COUNT);
        std::uint32_t tagCount = 0;
        plugin.nodeGetNumTags.check(node, &tagCount);
        if (tagCount != children * fields) return std::nullopt;
        std::vector<QUELLAN2_TAG> states(children);
        for (std::uint32_t k = 0; k < children; ++k)
            plugin.nodeGetTag.check(node, k * fields + static_cast<std::uint32_t>(mq::StatusField::STATE), &states[k]);
        PluginVectors values(plugin, 1);
        const auto stateCount = static_cast<std::uint32_t>(children);
        plugin.connectionReadCurrentData.check(connection, states.data(), stateCount, values.data());
        std::size_t running = 0;
        for (const Element& state : values.elements(0, stateCount, plugin.connectionReadCurrentData.name())) {
            const std::string* text = std::get_if<std::string>(&state.value);
            running += text && *text == mq::stateName(mq::ChildState::RUNNING);
        }
        return running;
    } catch (const ToolError&) {
        return std::nullopt;
    }
}

// The first child whose file the library's open leaves out, read without
// loading it, and why; how many such children there are.
struct LeftOut {
    std::size_t count = 0;
    std::string first;
};

LeftOut leftOutByTheirFiles(const mq::ConfigurationSettings& settings) {
    LeftOut leftOut;
    for (const mq::ChildEntry& child : settings.children)
        for (const Finding& finding : childFileFindings(child.path))
            if (finding.severity == Severity::PROBLEM) {
                if (leftOut.count++ == 0) leftOut.first = finding.text;
                break;
            }
    return leftOut;
}

}  // namespace

void watchConfiguration(PluginSession& session, bool strict, std::ostream& err) {
    mq::ConfigurationRecord record;
    mq::loadConfiguration(record);
    const std::string problem = configurationProblem(record);
    if (!problem.empty()) return say(problem, strict, err);
    // With the status node, the library tells which children run; without it
    // the tool knows only those whose files it leaves out, and an empty tree.
    const std::size_t children = record.settings.children.size();
    const LeftOut leftOut = leftOutByTheirFiles(record.settings);
    session.afterOpen([children, leftOut, strict, &err](const PluginFunctions& plugin, QUELLAN2_CONNECTION connection) {
        const std::string of = " of " + std::to_string(children) + (children == 1 ? " child" : " children");
        if (const std::optional<std::size_t> running = runningChildren(plugin, connection, children)) {
            if (*running < children)
                say(std::to_string(*running) + of + (*running == 1 ? " is" : " are") +
                        " in the tree; run quellan children",
                    strict, err);
            return;
        }
        std::uint32_t nodes = 0;
        if (plugin.connectionGetNumNodes(connection, &nodes) == QUELLAN2_STATUS_OK && nodes == 0)
            return say("MultiQuellan's tree is empty although its configuration file names " +
                           std::to_string(children) + (children == 1 ? " child" : " children") +
                           ": run quellan children to see what becomes of " + (children == 1 ? "it" : "each"),
                       strict, err);
        if (leftOut.count > 0)
            say("at most " + std::to_string(children - leftOut.count) + of +
                    (children - leftOut.count == 1 ? " is" : " are") + " in the tree (" + leftOut.first +
                    "); run quellan children",
                strict, err);
    });
}

}  // namespace quellan
