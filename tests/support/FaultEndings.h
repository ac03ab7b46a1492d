// How a process that a fault ended looks from outside, for death tests and child processes.
#pragma once

#include "support/ProcessRunner.h"

namespace mq::test {

// The faults that tests let end a process.
enum class FaultEnding { ACCESS_VIOLATION, DIVISION_BY_ZERO, DOUBLE_FREE };

// An exit predicate for EXPECT_EXIT: true when the process ended by `fault`
// as this build reports it (the signal on POSIX, the exception status on
// Windows, AddressSanitizer's exit where it takes the fault).
struct EndedBy {
    FaultEnding fault;
    bool operator()(int status) const;
};

// A pattern for the standard error of a process that `fault` ended: what
// AddressSanitizer or the C library writes, or "" where nothing is written
// and the exit predicate alone tells the fault.
const char* faultReport(FaultEnding fault);

// True when `result` is a process that `fault` ended, its standard error included.
bool endedBy(FaultEnding fault, const ProcessResult& result);

}  // namespace mq::test
