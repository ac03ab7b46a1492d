// One configured child: its start-up, identity, configuration and name reading.
#include "hosting/Quellan.h"

#include "config/TrustedConfiguration.h"
#include "hosting/ChildText.h"
#include "hosting/GuardedCall.h"
#include "hosting/LibraryHandle.h"
#include "hosting/ProxyTree.h"
#include "interface/Exception.h"

#include <cstring>
#include <utility>

namespace mq {

namespace {

const char* const COULD_NOT_BE_LOADED = "The specified Quellan could not be loaded.";
const char* const NOT_FULLY_IMPLEMENTED = "The specified Quellan does not fully implement Quellan version 2.";

// The bytes up to the first zero: a child need not terminate its text, and
// may terminate it early.
std::string textBeforeZero(const std::string& buffer) {
    return buffer.substr(0, std::strlen(buffer.c_str()));
}

// Every entry the library has, none refused: identity and configuration need
// only a few of them, and check those themselves.
ChildFunctionTable entriesOf(const LibraryHandle& library) {
    ChildFunctionTable child;
    child.lookUp(library);
    return child;
}

}  // namespace

Quellan::Quellan(std::string path, UserPrompts& prompts) : libraryPath(std::move(path)), prompts(prompts) {}

Quellan::Quellan(std::string path, CallTimeout timeout, Isolation isolation, bool restarts)
    : libraryPath(std::move(path)), timeout(timeout), isolation(isolation), restarts(restarts),
      prompts(silentPrompts()) {}

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
        if (std::string refusal = childPathRefusal(libraryPath); !refusal.empty()) throw Exception(refusal);
        startingProxy =
            std::make_shared<QuellanProxy>(libraryPath, std::string(), timeout, isolation, restarts, eventHook);
    } catch (const Exception&) {
        startFailed = true;
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

bool Quellan::readIdentity() {
    LibraryHandle library;
    // Loading this very library as a child would only run its own code again.
    if (!library.reload(libraryPath) || library.isThisLibrary()) {
        prompts.showMessage(COULD_NOT_BE_LOADED, "");
        return false;
    }
    const ChildFunctionTable child = entriesOf(library);
    if (!child.initialize || !child.uninitialize || !child.stringFree || !child.getIdentity || !child.stringCopy) {
        prompts.showMessage(NOT_FULLY_IMPLEMENTED, "");
        return false;
    }
    // The calls go through the fault guard even here, in the configuration
    // process: a faulting child must not take the user's unsaved edits down with it.
    // A refused step returns without uninitialise on purpose, here and in configure():
    // children have always been driven so, and the unload right after ends them anyway.
    if (guardedCall(child.initialize) != QUELLAN2_STATUS_OK) return false;
    QUELLAN2_STRING identity = nullptr;
    if (guardedCall(child.getIdentity, &identity) != QUELLAN2_STATUS_OK) return false;
    uint32_t length = 0;
    if (guardedCall(child.stringCopy, identity, static_cast<char*>(nullptr), &length) !=
        QUELLAN2_STATUS_INSUFFICIENT_BUFFER)
        return false;
    std::string buffer(length, '\0');
    if (guardedCall(child.stringCopy, identity, buffer.data(), &length) != QUELLAN2_STATUS_OK) return false;
    if (guardedCall(child.stringFree, identity) != QUELLAN2_STATUS_OK) return false;
    identityText = textBeforeZero(buffer);
    return guardedCall(child.uninitialize) == QUELLAN2_STATUS_OK;
}

bool Quellan::configure() {
    if (!readIdentity()) return false;
    LibraryHandle library;
    if (!library.reload(libraryPath)) {
        prompts.showMessage(COULD_NOT_BE_LOADED, "");
        return false;
    }
    const ChildFunctionTable child = entriesOf(library);
    if (!child.initialize || !child.updateConfiguration || !child.uninitialize || !child.stringFree) {
        prompts.showMessage(NOT_FULLY_IMPLEMENTED, "");
        return false;
    }
    // As in readIdentity(), a refused step skips uninitialise on purpose.
    if (guardedCall(child.initialize) != QUELLAN2_STATUS_OK) return false;
    QUELLAN2_STRING newConfiguration = nullptr;
    if (guardedCall(child.updateConfiguration, "", &newConfiguration) != QUELLAN2_STATUS_OK) return false;
    // The child keeps its configuration itself; the text it hands back is not ours to keep.
    if (guardedCall(child.stringFree, newConfiguration) != QUELLAN2_STATUS_OK) return false;
    return guardedCall(child.uninitialize) == QUELLAN2_STATUS_OK;
}

}  // namespace mq
