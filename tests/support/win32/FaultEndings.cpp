// Windows: a fault ends a process with its exception status as the exit code.
#include "support/FaultEndings.h"

#include <cstdint>
#include <cstdlib>

namespace mq::test {
namespace {

constexpr std::uint32_t ACCESS_VIOLATION_STATUS = 0xC0000005u;
constexpr std::uint32_t INTEGER_DIVIDE_BY_ZERO_STATUS = 0xC0000094u;
constexpr std::uint32_t HEAP_CORRUPTION_STATUS = 0xC0000374u;
constexpr std::uint32_t FAIL_FAST_STATUS = 0xC0000409u;
// What abort() leaves as the exit code.
constexpr std::uint32_t ABORT_EXIT_CODE = 3;

bool ended(FaultEnding fault, std::uint32_t code) {
    switch (fault) {
    case FaultEnding::ACCESS_VIOLATION: return code == ACCESS_VIOLATION_STATUS;
    case FaultEnding::DIVISION_BY_ZERO: return code == INTEGER_DIVIDE_BY_ZERO_STATUS;
    case FaultEnding::DOUBLE_FREE: break;
    }
    // The heap fails fast; a heap that refuses the second free and goes on
    // (wine's) leaves SimQuellan to abort, as glibc would.
    return code == HEAP_CORRUPTION_STATUS || code == FAIL_FAST_STATUS || code == ABORT_EXIT_CODE;
}

}  // namespace

bool EndedBy::operator()(int status) const {
    return ended(fault, static_cast<std::uint32_t>(status));
}

// The exit status tells each fault; the system writes nothing about it.
const char* faultReport(FaultEnding) {
    return "";
}

bool endedBy(FaultEnding fault, const ProcessResult& result) {
    return ended(fault, static_cast<std::uint32_t>(result.exitCode));
}

}  // namespace mq::test
