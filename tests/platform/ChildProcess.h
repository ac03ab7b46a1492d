// Running this test program again as a process of its own, for behaviour that
// must not happen inside the process that checks it.
#pragma once

#include <string>
#include <vector>

namespace mq::test {

struct ChildOutcome {
    bool started = false;
    // Ended by a fault that nothing handled (a signal, or an exception
    // status on Windows) rather than by returning or exiting.
    bool crashed = false;
    // The exit status when it ended normally; the signal number or the
    // exception code when it crashed.
    unsigned long code = 0;
};

// Runs the test program with the given command-line arguments and waits for
// it to end.
ChildOutcome runThisProgram(const std::vector<std::string>& arguments);

}  // namespace mq::test
