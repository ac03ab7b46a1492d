// POSIX: a fault ends a process by its signal, or by AddressSanitizer's report and exit code 1.
#include "support/FaultEndings.h"

#include <csignal>
#include <cstdlib>
#include <regex>
#include <string>
#include <sys/wait.h>

namespace mq::test {
namespace {

// AddressSanitizer exits with 1 after its report.
constexpr int SANITIZER_EXIT_CODE = 1;

int signalOf(FaultEnding fault) {
    switch (fault) {
    case FaultEnding::ACCESS_VIOLATION: return SIGSEGV;
    case FaultEnding::DIVISION_BY_ZERO: return SIGFPE;
    case FaultEnding::DOUBLE_FREE: break;
    }
    return SIGABRT;
}

// Whether AddressSanitizer reports the fault instead of the signal ending the
// process: a double free always, a signal unless ASAN_OPTIONS leaves it alone.
bool sanitizerTakes(FaultEnding fault) {
#ifdef MQ_TEST_ADDRESS_SANITIZER
    const char* set = std::getenv("ASAN_OPTIONS");
    const std::string options = set ? set : "";
    if (fault == FaultEnding::ACCESS_VIOLATION) return options.find("handle_segv=0") == std::string::npos;
    if (fault == FaultEnding::DIVISION_BY_ZERO) return options.find("handle_sigfpe=0") == std::string::npos;
    return true;
#else
    (void)fault;
    return false;
#endif
}

bool ended(FaultEnding fault, bool signalled, int code) {
    if (sanitizerTakes(fault)) return !signalled && code == SANITIZER_EXIT_CODE;
    return signalled && code == signalOf(fault);
}

}  // namespace

bool EndedBy::operator()(int status) const {
    return ended(fault, WIFSIGNALED(status), WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status));
}

const char* faultReport(FaultEnding fault) {
    if (sanitizerTakes(fault)) {
        switch (fault) {
        case FaultEnding::ACCESS_VIOLATION: return "AddressSanitizer: SEGV";
        case FaultEnding::DIVISION_BY_ZERO: return "AddressSanitizer: FPE";
        case FaultEnding::DOUBLE_FREE: return "AddressSanitizer: attempting double-free";
        }
    }
    // glibc names a double free before it aborts; a signal is not written about.
    return fault == FaultEnding::DOUBLE_FREE ? "double free detected" : "";
}

bool endedBy(FaultEnding fault, const ProcessResult& result) {
    const int code = result.crashed ? result.exitCode - 128 : result.exitCode;
    return ended(fault, result.crashed, code) && std::regex_search(result.err, std::regex(faultReport(fault)));
}

}  // namespace mq::test
