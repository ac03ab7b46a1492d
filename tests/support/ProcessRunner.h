// Running a program as a child process of the test and collecting what it wrote.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace mq::test {

struct ProcessResult {
    // The exit code; for a process ended by a signal, 128 plus the signal number.
    int exitCode = -1;
    // Ended by a fault that nothing handled (a signal, or an exception status
    // on Windows) rather than by returning or exiting.
    bool crashed = false;
    std::string out;
    std::string err;
};

// Starts `program` with `arguments` (passed as they are, without a shell),
// the test's environment and its working folder, waits for it to end and
// returns its exit code, standard output and standard error. Raises
// std::runtime_error when the program cannot be started.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments);

// What runProcessUntilLines does once the lines have come.
enum class AfterLines {
    CLOSE_OUTPUT,  // closes the reading end of the program's standard output, as `| head` does
    INTERRUPT,     // interrupts it as Ctrl-C does (SIGINT), then reads the rest of its output
};

// Starts `program` with its standard output on a pipe, reads it until
// `lines` line ends have come (so they came while it still ran), then does
// `after` and waits for the program to end. `out` holds what was read.
// INTERRUPT is POSIX only: elsewhere it raises std::logic_error.
ProcessResult runProcessUntilLines(const std::string& program, const std::vector<std::string>& arguments,
                                   std::size_t lines, AfterLines after);

// True where runProcessUntilLines can interrupt a program.
bool canInterruptProcesses();

// The test program itself, run again as a process of its own, for behaviour
// that must not happen inside the process that checks it.
ProcessResult runThisProgram(const std::vector<std::string>& arguments);

}  // namespace mq::test
