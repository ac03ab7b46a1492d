// Following one configured child through MultiQuellan's open.
#include "ChildDiagnosis.h"

#include "StartUpProbe.h"
#include "config/CallOptions.h"
#include "config/TrustedConfiguration.h"
#include "hosting/ChildFunctionTable.h"
#include "hosting/ChildMachine.h"
#include "hosting/isolation/IsolatedChild.h"
#include "hosting/LibraryHandle.h"
#include "hosting/ProxyTree.h"
#include "hosting/Quellan.h"
#include "interface/Exception.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"

#include <chrono>
#include <cmath>
#include <stdexcept>

namespace quellan {

namespace {

// Tags of a node's sub-nodes, at any depth, as far as the library read them.
std::uint64_t tagsBelow(const mq::QuellanProxy::Node& node) {
    std::uint64_t count = 0;
    for (const auto& subNode : node.subNodes) count += subNode->nodeTags.size() + tagsBelow(*subNode);
    return count;
}

// Why the library could not start a child whose file loads and has every
// required function: the step that stopped it, or nothing found this time.
std::string startFailure(const std::string& path) {
    mq::LibraryHandle library;
    std::string reason;
    if (!library.tryLoad(path, reason)) return "could not be loaded on the second try (" + reason + ")";
    mq::ChildExports functions;
    functions.lookUp(library);
    const std::vector<StartUpStep> steps = probeStartUp(functions);
    if (const StartUpStep* stopped = stoppingStep(steps)) return "start-up failed: " + stopped->describe();
    return "start-up failed once and succeeded when tried again";
}

// Why the library would refuse the file before starting it, in its order:
// missing, unreadable, not loadable (with the platform's reason), lacking
// required functions (in the library's own words); empty when none holds.
std::string fileProblem(const std::string& path) {
    if (!mq::platform::entryExists(path)) return "the file does not exist";
    if (!mq::platform::isReadableFile(path)) return "the file cannot be read";
    return {};
}

std::string loadProblem(const std::string& path) {
    if (std::string problem = fileProblem(path); !problem.empty()) return problem;
    mq::LibraryHandle library;
    mq::ChildExports table;
    return mq::loadChild(library, table, path);
}

// The same for an isolated child, whose library is loaded only by a surrogate
// (where a crash of it ends the surrogate, not this tool); the surrogate's
// loader says why in the same words. Empty also when no surrogate could be
// asked: the start below then says so.
std::string isolatedLoadProblem(const std::string& path, const std::string& surrogateProgram) {
    if (std::string problem = fileProblem(path); !problem.empty()) return problem;
    mq::IsolatedChild surrogate(path, mq::surrogate::Limits{}, surrogateProgram);
    std::string reason;
    surrogate.load(reason);
    return reason;
}

}  // namespace

ChildDiagnosis diagnoseChild(const mq::ChildEntry& configured) {
    ChildDiagnosis result;
    std::string problem;
    const mq::CallTimeout timeout = mq::callTimeout(configured, &problem);
    if (!problem.empty()) result.notes.push_back(problem);
    problem.clear();
    const mq::Isolation isolation = mq::childIsolation(configured, &problem);
    if (!problem.empty()) result.notes.push_back(problem);
    bool isolated = isolation == mq::Isolation::PROCESS;
    if (isolated) result.notes.push_back("runs in a surrogate process of its own");
    problem.clear();
    if (mq::childRestarts(configured, &problem)) result.notes.push_back("is started again when its surrogate ends");
    if (!problem.empty()) result.notes.push_back(problem);

    // The checks of the library's open, in its order and on the same path.
    // An isolated child is not loaded into this process: a crash of it would
    // end the tool; its surrogate loads it.
    result.path = mq::platform::absolutePath(configured.path);
    if (result.problem = mq::childPathRefusal(configured.path); !result.problem.empty()) return result;
    const mq::ChildMachine machine = mq::childMachine(result.path);
    if (result.problem = machine.refusal; !result.problem.empty()) return result;
    if (machine.alwaysIsolated) {
        isolated = true;
        result.notes.push_back(machine.note);
    }
    result.problem = isolated ? isolatedLoadProblem(result.path, machine.surrogateProgram) : loadProblem(result.path);
    if (!result.problem.empty()) return result;

    // With the child's own timeout and isolation, as the library starts it.
    mq::Quellan child(result.path, timeout, isolation);
    const auto started = std::chrono::steady_clock::now();
    const bool running = child.open();
    const auto took = std::chrono::steady_clock::now() - started;
    result.startSeconds = std::chrono::duration<double>(took).count();
    if (!running) {
        result.problem = timeout && took >= *timeout
                             ? "start-up did not end within the child's timeout of " +
                                   *mq::findAttribute(configured.attributes, mq::TIMEOUT_ATTRIBUTE) + " s"
                         : isolated ? "could not be loaded or started in its surrogate process (" +
                                          machine.surrogateProgram + " beside the library), or ended it"
                                    : startFailure(result.path);
        return result;
    }
    result.inTree = true;
    for (const auto& node : child.proxy()->connectionTree().topNodes) {
        ++result.nodes;
        result.tags += node->nodeTags.size();
        result.hiddenTags += tagsBelow(*node);
        result.topLevelNames.push_back(child.nameOf(*node));
    }
    return result;
}

std::vector<std::string> diagnosisMessage(const ChildDiagnosis& diagnosis) {
    // Whole microseconds: a decimal point would depend on the locale.
    std::vector<std::string> message{diagnosis.path,
                                     diagnosis.inTree ? "1" : "0",
                                     diagnosis.problem,
                                     std::to_string(diagnosis.nodes),
                                     std::to_string(diagnosis.tags),
                                     std::to_string(diagnosis.hiddenTags),
                                     std::to_string(std::llround(diagnosis.startSeconds * 1e6)),
                                     std::to_string(diagnosis.topLevelNames.size())};
    message.insert(message.end(), diagnosis.topLevelNames.begin(), diagnosis.topLevelNames.end());
    message.insert(message.end(), diagnosis.notes.begin(), diagnosis.notes.end());
    return message;
}

ChildDiagnosis diagnosisFrom(const std::vector<std::string>& message) {
    ChildDiagnosis diagnosis;
    diagnosis.path = message.at(0);
    diagnosis.inTree = message.at(1) == "1";
    diagnosis.problem = message.at(2);
    diagnosis.nodes = std::stoull(message.at(3));
    diagnosis.tags = std::stoull(message.at(4));
    diagnosis.hiddenTags = std::stoull(message.at(5));
    diagnosis.startSeconds = static_cast<double>(std::stoll(message.at(6))) / 1e6;
    const std::size_t names = std::stoull(message.at(7));
    if (names > message.size() - 8) throw std::out_of_range("too few names");
    diagnosis.topLevelNames.assign(message.begin() + 8, message.begin() + 8 + static_cast<std::ptrdiff_t>(names));
    diagnosis.notes.assign(message.begin() + 8 + static_cast<std::ptrdiff_t>(names), message.end());
    return diagnosis;
}

}  // namespace quellan
