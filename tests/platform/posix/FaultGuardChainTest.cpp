// A signal that is not a guarded body's own fault (a fault outside every
// guard, a fault signal sent with kill()) goes on to the handler that the
// process had before the guard was set up, or to the default action.

#include "platform/FaultGuard.h"
#include "support/ProcessRunner.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <string>

using mq::platform::runGuarded;

namespace {

constexpr int EARLIER_HANDLER_STATUS = 42;

__attribute__((no_sanitize("undefined,thread"))) void writeThroughNull(void*) {
    volatile int* volatile target = nullptr;
    *target = 1;
}

void sendSegmentationFaultToThisProcess(void*) {
    kill(getpid(), SIGSEGV);
}

void earlierInformedHandler(int, siginfo_t*, void*) {
    _exit(EARLIER_HANDLER_STATUS);
}

void earlierPlainHandler(int) {
    _exit(EARLIER_HANDLER_STATUS);
}

// Sets up the guard over an earlier handler, checks that the guard still
// takes a fault inside a body, then faults outside: only the earlier handler
// can end the process with its status.
[[noreturn]] void faultOutsideOverEarlierHandler(const struct sigaction& earlier) {
    sigaction(SIGSEGV, &earlier, nullptr);
    if (runGuarded(&writeThroughNull, nullptr)) _exit(1);
    writeThroughNull(nullptr);
    _exit(0);
}

mq::test::ProcessResult runChild(const std::string& test) {
    return mq::test::runThisProgram({"--gtest_also_run_disabled_tests",
                                     "--gtest_filter=FaultGuardChainChild.DISABLED_" + test, "--gtest_brief=1"});
}

}  // namespace

TEST(FaultGuardChainChild, DISABLED_InformedHandler) {
    struct sigaction earlier {};
    earlier.sa_sigaction = &earlierInformedHandler;
    earlier.sa_flags = SA_SIGINFO;
    sigemptyset(&earlier.sa_mask);
    faultOutsideOverEarlierHandler(earlier);
}

TEST(FaultGuardChainChild, DISABLED_PlainHandler) {
    struct sigaction earlier {};
    earlier.sa_handler = &earlierPlainHandler;
    sigemptyset(&earlier.sa_mask);
    faultOutsideOverEarlierHandler(earlier);
}

// The guard is set up and catches a real fault; then the body is sent the
// same signal, which the default action must turn into the end of the process.
TEST(FaultGuardChainChild, DISABLED_SentDuringAGuardedBody) {
    if (runGuarded(&writeThroughNull, nullptr)) _exit(1);
    runGuarded(&sendSegmentationFaultToThisProcess, nullptr);
    _exit(0);
}

TEST(FaultGuardChain, AFaultSignalSentWithKillDuringAGuardedBodyIsNotTakenForAFault) {
    mq::test::ProcessResult outcome = runChild("SentDuringAGuardedBody");
    EXPECT_TRUE(outcome.crashed) << "status " << outcome.exitCode;
    EXPECT_EQ(128 + SIGSEGV, outcome.exitCode);
}

TEST(FaultGuardChain, AFaultOutsideAnyGuardReachesAnEarlierHandlerWithSignalInformation) {
    mq::test::ProcessResult outcome = runChild("InformedHandler");
    EXPECT_FALSE(outcome.crashed) << "status " << outcome.exitCode;
    EXPECT_EQ(EARLIER_HANDLER_STATUS, outcome.exitCode);
}

TEST(FaultGuardChain, AFaultOutsideAnyGuardReachesAnEarlierPlainHandler) {
    mq::test::ProcessResult outcome = runChild("PlainHandler");
    EXPECT_FALSE(outcome.crashed) << "status " << outcome.exitCode;
    EXPECT_EQ(EARLIER_HANDLER_STATUS, outcome.exitCode);
}
