// One configured child: its start-up, identity, configuration and name reading.
#include "hosting/Quellan.h"

#include "config/TrustedConfiguration.h"
#include "hosting/ChildMachine.h"
#include "hosting/ChildText.h"
#include "hosting/GuardedCall.h"
#include "hosting/LibraryHandle.h"
#include "hosting/ProxyTree.h"
#include "hosting/isolation/IsolatedChild.h"
#include "hosting/isolation/MirrorValues.h"
#include "interface/Exception.h"

#include <cstring>
#include <utility>

namespace mq {

namespace {

const char* const COULD_NOT_BE_LOADED = "The specified Quellan could not be loaded.";
const char* const NOT_FULLY_IMPLEMENTED = "The specified Quellan does not fully implement Quellan version 2.";
const char* const CONFIGURATION_NOT_RUN =
    "The specified Quellan is 32-bit: its own configuration cannot run in this 64-bit process and was not run. "
    "It is added with its identity and runs in ";

// The bytes up to the first zero: a child need not terminate its text, and
// may terminate it early.
std::string textBeforeZero(const std::string& buffer) {
    return buffer.substr(0, std::strlen(buffer.c_str()));
}

// Every entry the library has, none refused: identity and configuration need
// only a few of them, and check those themselves.
ChildExports entriesOf(const LibraryHandle& library) {
    ChildExports functions;
    functions.lookUp(library);
    return functions;
}

}  // namespace

Quellan::Quellan(std::string path, UserPrompts& prompts) : libraryPath(std::move(path)), prompts(prompts) {}

Quellan::Quellan(std::string path, CallTimeout timeout, Isolation isolation, HealthReport health, bool restarts)
    : libraryPath(std::move(path)), timeout(timeout), isolation(isolation), health(std::move(health)),
      restarts(restarts), prompts(silentPrompts()) {}

Quellan::Quellan(std::string name, std::unique_ptr<ChildModule> module)
    : libraryPath(std::move(name)), ownModule(std::move(module)), prompts(silentPrompts()) {}

Quellan::~Quellan() {
    QuellanProxy::retire(std::move(startingProxy));
    QuellanProxy::retire(std::move(runningProxy));
}

bool Quellan::open() {
    if (!runningProxy && !(startingProxy || start())) return false;
    if (!awaitStart()) return false;
    if (adopted) return true;
    adopted = true;
    // Read on the calling thread once every child has started, so that it
    // meets no worker of the same module inside its start-up.
    const int64_t nodes = static_cast<int64_t>(runningProxy->connectionTree().topNodes.size());
    // A child with a timeout is not asked on this thread, where nothing would
    // bound the call: its worker kept the text from the start-up.
    QUELLAN2_STRING identity = nullptr;
    if (timeout)
        identityText = runningProxy->startUpIdentity();
    else if (runningProxy->childModule().getIdentity(&identity) == QUELLAN2_STATUS_OK)
        identityText = stringFromChild(identity);
    else
        identityText.clear();
    topNodeCount = nodes;
    return true;
}

bool Quellan::start() {
    if (runningProxy || startingProxy) return true;
    if (startFailed) return false;
    try {
        if (ownModule) {
            startingProxy = std::make_shared<QuellanProxy>(std::move(ownModule), libraryPath);
            return true;
        }
        if (std::string refusal = childPathRefusal(libraryPath); !refusal.empty()) throw Exception(refusal);
        startingProxy =
            std::make_shared<QuellanProxy>(libraryPath, std::string(), timeout, isolation, health, restarts);
    } catch (const Exception& refused) {
        startFailed = true;
        health.record(ChildEventKind::LEFT_OUT, "", refused.message());
        return false;
    }
    return true;
}

void Quellan::stop() {
    if (runningProxy) runningProxy->call(nullptr);
}

bool Quellan::awaitStart() {
    if (runningProxy) return true;
    if (!startingProxy) return false;
    if (!startingProxy->awaitStart()) {
        startFailed = true;
        health.record(ChildEventKind::LEFT_OUT, "",
                      startingProxy->timeoutsRunOut() > 0 ? "no answer within its timeout at start-up"
                      : startingProxy->startUpProblem().empty()
                          ? "its start-up failed"
                          : startingProxy->startUpProblem());
        QuellanProxy::retire(std::move(startingProxy));
        return false;
    }
    runningProxy = std::move(startingProxy);
    return true;
}

std::string Quellan::stringFromChild(QUELLAN2_STRING string) const {
    if (!runningProxy) return {};
    return childText(runningProxy->functions(), string);
}

std::string Quellan::nameOf(QuellanProxy::Node& node) const {
    // The child's string is gone after this; the field must not hand it out again.
    return stringFromChild(std::exchange(node.name, nullptr));
}

std::string Quellan::nameOf(QuellanProxy::Tag& tag) const {
    return stringFromChild(std::exchange(tag.name, nullptr));
}

std::optional<std::string> Quellan::vectorText(QUELLAN2_VECTOR vector, uint32_t index) const {
    if (!runningProxy) return std::nullopt;
    QUELLAN2_STRING string = nullptr;
    if (guardedCall(runningProxy->functions().vectorGetString, vector, index, &string) != QUELLAN2_STATUS_OK)
        return std::nullopt;
    return stringFromChild(string);
}

std::string Quellan::identity() {
    if (identityText.empty()) readIdentity();
    return identityText;
}

void Quellan::couldNotBeLoaded(const std::string& why) {
    const std::string fixed = COULD_NOT_BE_LOADED;
    prompts.showMessage(why.empty() ? fixed : fixed + "\n\n" + why, "");
}

bool Quellan::readIdentity() {
    if (const ChildMachine machine = childMachine(libraryPath); machine.alwaysIsolated)
        return readServedIdentity(machine.surrogateProgram);
    LibraryHandle library;
    std::string why;
    // Loading this very library as a child would only run its own code again.
    if (!library.reload(libraryPath, &why) || library.isThisLibrary()) {
        couldNotBeLoaded(why.empty() ? "It is MultiQuellan itself." : why);
        return false;
    }
    const ChildExports functions = entriesOf(library);
    if (!functions.initialize || !functions.uninitialize || !functions.stringFree || !functions.getIdentity ||
        !functions.stringCopy) {
        prompts.showMessage(NOT_FULLY_IMPLEMENTED, "");
        return false;
    }
    // The calls go through the fault guard even here, in the configuration
    // process: a faulting child must not take the user's unsaved edits down with it.
    // A refused step returns without uninitialise on purpose, here and in configure():
    // children have always been driven so, and the unload right after ends them anyway.
    if (guardedCall(functions.initialize) != QUELLAN2_STATUS_OK) return false;
    QUELLAN2_STRING identity = nullptr;
    if (guardedCall(functions.getIdentity, &identity) != QUELLAN2_STATUS_OK) return false;
    uint32_t length = 0;
    if (guardedCall(functions.stringCopy, identity, static_cast<char*>(nullptr), &length) !=
        QUELLAN2_STATUS_INSUFFICIENT_BUFFER)
        return false;
    std::string buffer(length, '\0');
    if (guardedCall(functions.stringCopy, identity, buffer.data(), &length) != QUELLAN2_STATUS_OK) return false;
    if (guardedCall(functions.stringFree, identity) != QUELLAN2_STATUS_OK) return false;
    identityText = textBeforeZero(buffer);
    return guardedCall(functions.uninitialize) == QUELLAN2_STATUS_OK;
}

bool Quellan::readServedIdentity(const std::string& surrogateProgram) {
    // The surrogate runs the child's calls under its own fault guard.
    IsolatedChild served(libraryPath, surrogate::Limits{}, surrogateProgram);
    if (served.initialize() != QUELLAN2_STATUS_OK) {
        // A second surrogate only to learn why: its loader's words, when it got that far.
        IsolatedChild asked(libraryPath, surrogate::Limits{}, surrogateProgram);
        std::string why;
        asked.load(why);
        couldNotBeLoaded(why.empty() ? "It could not be loaded or started in " + surrogateProgram + "." : why);
        return false;
    }
    QUELLAN2_STRING identity = nullptr;
    if (served.getIdentity(&identity) != QUELLAN2_STATUS_OK || !identity) return false;
    identityText = textBeforeZero(takeBack(identity)->text);
    return served.uninitialize() == QUELLAN2_STATUS_OK;
}

bool Quellan::configure() {
    if (!readIdentity()) return false;
    // The surrogate's protocol carries no configuration call: such a child is
    // kept with its identity, and the user told that its own step was skipped.
    if (const ChildMachine machine = childMachine(libraryPath); machine.alwaysIsolated) {
        prompts.showMessage(CONFIGURATION_NOT_RUN + machine.surrogateProgram + ".", "");
        return true;
    }
    LibraryHandle library;
    std::string why;
    if (!library.reload(libraryPath, &why)) {
        couldNotBeLoaded(why);
        return false;
    }
    const ChildExports functions = entriesOf(library);
    if (!functions.initialize || !functions.updateConfiguration || !functions.uninitialize || !functions.stringFree) {
        prompts.showMessage(NOT_FULLY_IMPLEMENTED, "");
        return false;
    }
    // As in readIdentity(), a refused step skips uninitialise on purpose.
    if (guardedCall(functions.initialize) != QUELLAN2_STATUS_OK) return false;
    QUELLAN2_STRING newConfiguration = nullptr;
    if (guardedCall(functions.updateConfiguration, "", &newConfiguration) != QUELLAN2_STATUS_OK) return false;
    // The child keeps its configuration itself; the text it hands back is not ours to keep.
    if (guardedCall(functions.stringFree, newConfiguration) != QUELLAN2_STATUS_OK) return false;
    return guardedCall(functions.uninitialize) == QUELLAN2_STATUS_OK;
}

}  // namespace mq
