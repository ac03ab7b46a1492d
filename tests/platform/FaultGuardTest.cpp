// The fault guard: every kind of fault in a guarded body is caught, again and
// again, on any thread and in nested guards; a fault outside ends the process.
#include "platform/FaultGuard.h"
#include "support/FaultEndings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using mq::platform::runGuarded;

namespace {

// The faults are real processor faults: the sanitizers must not turn them
// into reports of their own first.
__attribute__((no_sanitize("undefined,thread"))) void writeThroughNull(void*) {
    volatile int* volatile target = nullptr;
    *target = 1;
}

__attribute__((no_sanitize("undefined,thread"))) void divideByZero(void* result) {
    volatile int dividend = 1;
    volatile int divisor = 0;
    *static_cast<int*>(result) = dividend / divisor;
}

// Bounds the recursion below; never reached, but the compiler cannot know it.
volatile unsigned recursionLimit = ~0u;

// Recurses until the stack is gone, a page per frame; the result of each call
// is used after it, so the recursion cannot become a loop.
__attribute__((noinline, no_sanitize("address", "undefined"))) unsigned recurse(unsigned depth) {
    volatile char frame[4096];
    frame[0] = static_cast<char>(depth);
    frame[sizeof frame - 1] = static_cast<char>(depth);
    if (depth == recursionLimit) return frame[0];
    return recurse(depth + 1) + static_cast<unsigned>(frame[sizeof frame - 1]);
}

void overflowStack(void*) {
    recurse(0);
}

void runIllegalInstruction(void*) {
    __builtin_trap();
}

void throwStandardException(void*) {
    throw std::runtime_error("thrown by the body");
}

void throwInteger(void*) {
    throw 42;
}

void countRun(void* counter) {
    ++*static_cast<int*>(counter);
}

using Body = void (*)(void*);

struct FaultKind {
    const char* name;
    Body body;
};

const FaultKind FAULT_KINDS[] = {
    {"write through null", &writeThroughNull},
    {"integer division by zero", &divideByZero},
    {"illegal instruction", &runIllegalInstruction},
    {"standard exception", &throwStandardException},
    {"exception of another type", &throwInteger},
};

// Runs `body` guarded with a scratch context and returns the guard's answer.
bool guarded(Body body) {
    int scratch = 0;
    return runGuarded(body, &scratch);
}

}  // namespace

TEST(FaultGuardBody, RunsToItsEndAndReturnsTrue) {
    int counter = 0;
    EXPECT_TRUE(runGuarded(&countRun, &counter));
    EXPECT_EQ(counter, 1);
}

TEST(FaultGuardBody, HandlingItsOwnExceptionLeavesTheGuardTrue) {
    int handled = 0;
    auto body = [](void* context) {
        try {
            throw std::runtime_error("handled inside");
        } catch (const std::runtime_error&) {
            ++*static_cast<int*>(context);
        }
    };
    EXPECT_TRUE(runGuarded(body, &handled));
    EXPECT_EQ(handled, 1);
}

TEST(FaultGuardFaults, WriteThroughNullReturnsFalse) {
    EXPECT_FALSE(guarded(&writeThroughNull));
}

TEST(FaultGuardFaults, IntegerDivisionByZeroReturnsFalse) {
    EXPECT_FALSE(guarded(&divideByZero));
}

TEST(FaultGuardFaults, IllegalInstructionReturnsFalse) {
    EXPECT_FALSE(guarded(&runIllegalInstruction));
}

TEST(FaultGuardFaults, UncaughtStandardExceptionReturnsFalse) {
    EXPECT_FALSE(guarded(&throwStandardException));
}

TEST(FaultGuardFaults, UncaughtExceptionOfAnotherTypeReturnsFalse) {
    EXPECT_FALSE(guarded(&throwInteger));
}

TEST(FaultGuardFaults, EachFaultIsNamedByItsKind) {
    using mq::platform::Fault;
    const std::pair<Body, Fault> expected[] = {
        {&countRun, Fault::NONE},
        {&writeThroughNull, Fault::ACCESS_VIOLATION},
        {&divideByZero, Fault::ARITHMETIC},
        {&runIllegalInstruction, Fault::ILLEGAL_INSTRUCTION},
        {&throwStandardException, Fault::EXCEPTION},
        {&throwInteger, Fault::EXCEPTION},
    };
    for (const auto& [body, kind] : expected) {
        int scratch = 0;
        Fault fault = Fault::OTHER;
        runGuarded(body, &scratch, &fault);
        EXPECT_EQ(kind, fault) << mq::platform::describe(kind) << " came out as " << mq::platform::describe(fault);
    }
}

TEST(FaultGuardFaults, SideEffectsBeforeTheFaultRemain) {
    // Volatile, so that the compiler keeps each step on its side of the fault.
    volatile int counter = 0;
    auto body = [](void* context) {
        ++*static_cast<volatile int*>(context);
        writeThroughNull(nullptr);
        ++*static_cast<volatile int*>(context);
    };
    EXPECT_FALSE(runGuarded(body, const_cast<int*>(&counter)));
    EXPECT_EQ(counter, 1);
}

TEST(FaultGuardRepetition, AThousandFaultsOfEachKindInARowAreEachCaught) {
    for (const FaultKind& kind : FAULT_KINDS) {
        int caught = 0;
        for (int round = 0; round < 1000; ++round)
            if (!guarded(kind.body)) ++caught;
        EXPECT_EQ(caught, 1000) << kind.name;
    }
    int counter = 0;
    EXPECT_TRUE(runGuarded(&countRun, &counter)) << "a body after the faults";
    EXPECT_EQ(counter, 1);
}

// Each overflow uses up the stack's guard; the guard must set it up again
// for the next (a thousand would take long: each one fills the stack).
TEST(FaultGuardRepetition, FiveStackOverflowsInARowOnOneThreadAreEachCaught) {
    int caught = 0;
    int counter = 0;
    bool finished = false;
    std::thread([&] {
        for (int round = 0; round < 5; ++round)
            if (!guarded(&overflowStack)) ++caught;
        finished = runGuarded(&countRun, &counter);
    }).join();
    EXPECT_EQ(caught, 5);
    EXPECT_TRUE(finished) << "a body after the overflows";
    EXPECT_EQ(counter, 1);
}

TEST(FaultGuardThreads, FaultsOnSeveralThreadsAtOnceAreEachCaughtOnTheirOwnThread) {
    constexpr int THREADS = 4;
    constexpr int ROUNDS = 300;
    std::atomic<int> ready{0};
    std::vector<int> caught(THREADS, 0);
    std::vector<int> completed(THREADS, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < THREADS; ++t) {
        threads.emplace_back([&, t] {
            ++ready;
            while (ready.load() < THREADS) std::this_thread::yield();
            for (int round = 0; round < ROUNDS; ++round) {
                const FaultKind& kind = FAULT_KINDS[(round + t) % std::size(FAULT_KINDS)];
                if (!guarded(kind.body)) ++caught[t];
                if (runGuarded(&countRun, &completed[t])) continue;
                completed[t] = -1000000;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < THREADS; ++t) {
        EXPECT_EQ(caught[t], ROUNDS) << "thread " << t;
        EXPECT_EQ(completed[t], ROUNDS) << "thread " << t;
    }
}

TEST(FaultGuardThreads, AThreadThatEndsAfterAFaultLeavesTheGuardWorking) {
    for (int round = 0; round < 20; ++round) {
        bool result = true;
        std::thread([&] { result = guarded(&writeThroughNull); }).join();
        EXPECT_FALSE(result) << "thread " << round;
    }
}

namespace {

struct NestedRecord {
    bool innerResult = true;
    // Volatile, so that the compiler keeps each step on its side of a fault.
    volatile int outerSteps = 0;
    Body innerBody = nullptr;
};

void outerBody(void* context) {
    auto* record = static_cast<NestedRecord*>(context);
    ++record->outerSteps;
    int scratch = 0;
    record->innerResult = runGuarded(record->innerBody, &scratch);
    ++record->outerSteps;
}

void outerBodyThatFaultsAfterInner(void* context) {
    outerBody(context);
    writeThroughNull(nullptr);
    ++static_cast<NestedRecord*>(context)->outerSteps;
}

}  // namespace

TEST(FaultGuardNesting, AFaultInTheInnerGuardEndsOnlyTheInnerBody) {
    for (const FaultKind& kind : FAULT_KINDS) {
        NestedRecord record;
        record.innerBody = kind.body;
        EXPECT_TRUE(runGuarded(&outerBody, &record)) << kind.name;
        EXPECT_FALSE(record.innerResult) << kind.name;
        EXPECT_EQ(record.outerSteps, 2) << kind.name;
    }
}

TEST(FaultGuardNesting, AFaultInTheOuterBodyAfterTheInnerGuardEndsTheOuterBody) {
    NestedRecord record;
    record.innerBody = &countRun;
    EXPECT_FALSE(runGuarded(&outerBodyThatFaultsAfterInner, &record));
    EXPECT_TRUE(record.innerResult);
    EXPECT_EQ(record.outerSteps, 2);
    // Both guards are gone: a new one still catches.
    EXPECT_FALSE(guarded(&writeThroughNull));
}

namespace {

struct Descent {
    int remaining = 0;
    std::vector<bool> results;  // innermost guard first
};

void descend(void* context) {
    auto* descent = static_cast<Descent*>(context);
    if (descent->remaining-- == 0) {
        writeThroughNull(nullptr);
        return;
    }
    descent->results.push_back(runGuarded(&descend, descent));
}

}  // namespace

TEST(FaultGuardNesting, OnlyTheInnermostOfManyGuardsSeesTheFault) {
    Descent descent;
    descent.remaining = 10;
    EXPECT_TRUE(runGuarded(&descend, &descent));
    std::vector<bool> expected(10, true);
    expected.front() = false;
    EXPECT_EQ(descent.results, expected);
}

// What the child writes once the guard has caught its fault.
const char* const GUARDED_FAULT_CAUGHT = "guarded fault caught";

// Run only as a child process (below): a fault raised outside every guard,
// after the guard has been set up by a guarded fault, must end the process.
TEST(FaultGuardChild, DISABLED_FaultOutsideAnyGuard) {
    if (guarded(&writeThroughNull)) std::exit(0);
    std::puts(GUARDED_FAULT_CAUGHT);
    std::fflush(stdout);
    writeThroughNull(nullptr);
    std::exit(0);
}

TEST(FaultGuardOutside, AFaultOutsideAnyGuardStillEndsTheProcess) {
    mq::test::ProcessResult outcome = mq::test::runThisProgram(
        {"--gtest_also_run_disabled_tests", "--gtest_filter=FaultGuardChild.DISABLED_FaultOutsideAnyGuard",
         "--gtest_brief=1"});
    EXPECT_NE(std::string::npos, outcome.out.find(GUARDED_FAULT_CAUGHT))
        << "the guard caught the first fault: " << outcome.out;
    EXPECT_TRUE(mq::test::endedBy(mq::test::FaultEnding::ACCESS_VIOLATION, outcome))
        << "the child ended with status " << outcome.exitCode << ": " << outcome.err;
}
