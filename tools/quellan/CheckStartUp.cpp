// Rule groups of quellan check: the exports, the start-up and the shut-down.
#include "Checker.h"

#include "StartUpProbe.h"
#include "interface/Exception.h"

#include <cstring>

namespace quellan::check {

bool Checker::checkExports() {
    mq::LibraryHandle& library = this->library.emplace();
    std::string reason;
    if (!library.tryLoad(path, reason)) {
        if (report) report({UNLOADABLE, reason});
        fail(Rule::EXPORTS, "not a loadable library (" + reason + ")");
        return false;
    }
    try {
        exports.resolve(library, path);
    } catch (const mq::Exception& missing) {
        fail(Rule::EXPORTS, missing.message());
        return false;
    }
    for (const mq::ChildFunction& function : mq::CHILD_FUNCTIONS)
        if (!function.required && !library.resolve(function.name))
            warn(Rule::EXPORTS, std::string(function.name) + " is not exported; MultiQuellan does without it");
    return true;
}

bool Checker::checkStartUp() {
    mq::LibraryHandle library;
    std::string reason;
    library.tryLoad(path, reason);
    mq::ChildExports functions;
    functions.lookUp(library);
    // Once step by step on a thread of its own, to see every status (the
    // library does not examine initialize's); then as the library starts it.
    for (const StartUpStep& step : probeStartUp(functions)) {
        const bool shutDown = std::strcmp(step.function, MQ_CHILD_FUNCTION_NAME(connectionClose)) == 0 ||
                              std::strcmp(step.function, MQ_CHILD_FUNCTION_NAME(uninitialize)) == 0;
        judge(shutDown ? Rule::SHUT_DOWN : Rule::START_UP, step.function, step.outcome, {});
        if (!step.succeeded() && !step.outcome.faulted())
            fail(shutDown ? Rule::SHUT_DOWN : Rule::START_UP, step.describe());
    }
    if (!findings[index(Rule::START_UP)].empty()) return false;
    try {
        proxy = std::make_unique<mq::QuellanProxy>(path, std::string());
    } catch (const mq::Exception& failure) {
        fail(Rule::START_UP, "started once, but not the second time: " + failure.message());
        return false;
    }
    QUELLAN2_STRING identity = nullptr;
    if (onWorker(Rule::START_UP, CHILD(getIdentity), &identity) == QUELLAN2_STATUS_OK) {
        if (!identity) fail(Rule::OUT_VALUES, "quellan2_getIdentity answered OK without a string");
        else readString(Rule::START_UP, identity, "the identity");
    }
    return true;
}

bool Checker::shutDown() {
    // Stops the worker: it closes the connection and uninitialises the child.
    proxy.reset();
    return true;
}

}  // namespace quellan::check
