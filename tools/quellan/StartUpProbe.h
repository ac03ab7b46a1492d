// A child's start-up taken step by step: which call that starts it fails, and how.
#pragma once

#include "hosting/ChildFunctionTable.h"
#include "hosting/GuardedCall.h"

#include <string>
#include <vector>

namespace quellan {

// One call of the start-up and how it ended.
struct StartUpStep {
    const char* function;
    mq::GuardedOutcome outcome;

    bool succeeded() const { return !outcome.faulted() && outcome.status == QUELLAN2_STATUS_OK; }
    // "quellan2_connectionOpen returned QUELLAN2_STATUS_ERROR (1)", or
    // "quellan2_getIdentity faulted: access violation".
    std::string describe() const;
};

// Starts the child as MultiQuellan's worker does, on a thread of its own and
// through the fault guard: quellan2_initialize, quellan2_getIdentity (its
// string given back), quellan2_connectionOpen with an empty connection text;
// then closes and uninitialises what was started. Returns the steps made, in
// order: the start-up stops after the first failing getIdentity or open, as
// the library's does, while a failing initialize does not stop it.
// The child's functions must have been looked up; a child that hangs hangs this.
std::vector<StartUpStep> probeStartUp(const mq::ChildExports& functions);

// The first step that keeps the child from starting, or null when it starts.
const StartUpStep* stoppingStep(const std::vector<StartUpStep>& steps);

}  // namespace quellan
