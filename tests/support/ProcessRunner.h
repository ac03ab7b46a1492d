// Running a program as a child process of the test and collecting what it wrote.
#pragma once

#include <string>
#include <vector>

namespace mq::test {

struct ProcessResult {
    // The exit code; for a process ended by a signal, 128 plus the signal number.
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Starts `program` with `arguments` (passed as they are, without a shell),
// the test's environment and its working folder, waits for it to end and
// returns its exit code, standard output and standard error. Raises
// std::runtime_error when the program cannot be started.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace mq::test
