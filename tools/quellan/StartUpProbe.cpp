// Taking a child's start-up step by step on a worker thread of its own.
#include "StartUpProbe.h"

#include "Status.h"

#include <cstring>
#include <thread>

namespace quellan {

std::string StartUpStep::describe() const {
    if (outcome.faulted()) return std::string(function) + " faulted: " + mq::platform::describe(outcome.fault);
    return std::string(function) + " returned " + statusName(outcome.status) + " (" +
           std::to_string(outcome.status) + ")";
}

std::vector<StartUpStep> probeStartUp(const mq::ChildExports& functions) {
    std::vector<StartUpStep> steps;
    steps.reserve(5);
    // Its own thread, as the library gives every child one: a child that
    // keeps state per thread sees the same as under MultiQuellan.
    std::thread worker([&functions, &steps] {
        using mq::guardedCallOutcome;
        steps.push_back({MQ_CHILD_FUNCTION_NAME(initialize), guardedCallOutcome(functions.initialize)});
        QUELLAN2_STRING identity = nullptr;
        steps.push_back({MQ_CHILD_FUNCTION_NAME(getIdentity), guardedCallOutcome(functions.getIdentity, &identity)});
        if (steps.back().succeeded()) {
            mq::guardedCall(functions.stringFree, identity);
            QUELLAN2_CONNECTION connection = nullptr;
            steps.push_back({MQ_CHILD_FUNCTION_NAME(connectionOpen),
                             guardedCallOutcome(functions.connectionOpen, "", &connection)});
            if (steps.back().succeeded())
                steps.push_back({MQ_CHILD_FUNCTION_NAME(connectionClose),
                                 guardedCallOutcome(functions.connectionClose, connection)});
        }
        steps.push_back({MQ_CHILD_FUNCTION_NAME(uninitialize), guardedCallOutcome(functions.uninitialize)});
    });
    worker.join();
    return steps;
}

const StartUpStep* stoppingStep(const std::vector<StartUpStep>& steps) {
    for (const StartUpStep& step : steps) {
        const bool stops = std::strcmp(step.function, MQ_CHILD_FUNCTION_NAME(getIdentity)) == 0 ||
                           std::strcmp(step.function, MQ_CHILD_FUNCTION_NAME(connectionOpen)) == 0;
        if (stops && !step.succeeded()) return &step;
    }
    return nullptr;
}

}  // namespace quellan
