// quellan-rundll and the start of the configuration process on POSIX: the
// runner's body called directly, and the real runner started as a process.
#include "platform/Process.h"
#include "platform/ScopeExit.h"
#include "support/Environment.h"
#include "support/TestEnvironment.h"
#include "tools/quellan-rundll/Runner.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace mq::test {
namespace {

class Runner : public ::testing::Test {
protected:
    Runner() {
        probeLog = scratch.file("probe.log");
        setEnvironmentVariable("MQ_TEST_PROBE_LOG", probeLog);
        installFolder = scratch.file("with blanks , and a comma");
        fs::create_directory(installFolder);
        probe = installFolder + "/RundllProbe" MQ_LIBRARY_SUFFIX;
        fs::copy_file(libraryPath("RundllProbe"), probe);
    }

    int run(std::vector<std::string> arguments) {
        std::vector<char*> argv;
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        return tools::runEntryPoint(static_cast<int>(arguments.size()), argv.data());
    }

    ScratchFolder scratch{"ui runner"};
    std::string probeLog;
    std::string installFolder;
    std::string probe;
};

TEST_F(Runner, CallsTheEntryWithNullHandlesTheRestOfTheCommandLineAndShowOne) {
    EXPECT_EQ(run({"quellan-rundll", probe + ",probeEntry", "first", "second word"}), 0);
    EXPECT_EQ(readFile(probeLog), "window=null instance=null commandLine=[first second word] show=1\n");
}

TEST_F(Runner, GivesAnEmptyCommandLineWhenNothingFollows) {
    EXPECT_EQ(run({"quellan-rundll", probe + ",probeEntry"}), 0);
    EXPECT_EQ(readFile(probeLog), "window=null instance=null commandLine=[] show=1\n");
}

TEST_F(Runner, RefusesAMalformedCommandLine) {
    EXPECT_EQ(run({"quellan-rundll"}), 2);
    EXPECT_EQ(run({"quellan-rundll", scratch.file("NoEntry" MQ_LIBRARY_SUFFIX)}), 2);
    EXPECT_EQ(run({"quellan-rundll", probe + ","}), 2);
    EXPECT_FALSE(fs::exists(probeLog));
}

TEST_F(Runner, ReportsAMissingLibraryOrEntry) {
    EXPECT_EQ(run({"quellan-rundll", scratch.file("none" MQ_LIBRARY_SUFFIX) + ",probeEntry"}), 3);
    EXPECT_EQ(run({"quellan-rundll", probe + ",noSuchEntry"}), 3);
    EXPECT_FALSE(fs::exists(probeLog));
}

class RunnerProcess : public Runner {
protected:
    RunnerProcess() {
        const char* path = std::getenv("PATH");
        previousPath = path ? path : "";
    }
    ~RunnerProcess() override { setEnvironmentVariable("PATH", previousPath); }

    std::string previousPath;
};

TEST_F(RunnerProcess, TheRunnerBesideTheLibraryRunsTheEntryAndIsWaitedFor) {
    fs::copy_file(binaryFolder() + "/quellan-rundll", installFolder + "/quellan-rundll");
    setEnvironmentVariable("PATH", scratch.path());
    EXPECT_TRUE(platform::runLibraryEntry(probe, "probeEntry"));
    // Written before the process ended, read after the wait.
    EXPECT_EQ(readFile(probeLog), "window=null instance=null commandLine=[] show=1\n");
}

TEST_F(RunnerProcess, ARunnerOnPathIsNeverStarted) {
    // Whatever comes first on PATH when the library's own runner is missing.
    std::string tools = scratch.file("tools");
    fs::create_directory(tools);
    std::string marker = scratch.file("planted runner ran");
    writeFile(tools + "/quellan-rundll", "#!/bin/sh\n: > '" + marker + "'\n");
    fs::permissions(tools + "/quellan-rundll", fs::perms::owner_all);
    setEnvironmentVariable("PATH", tools);
    EXPECT_FALSE(platform::runLibraryEntry(probe, "probeEntry"));
    EXPECT_FALSE(fs::exists(marker));
    EXPECT_FALSE(fs::exists(probeLog));
}

TEST_F(RunnerProcess, TheRunnerInheritsNoDescriptorOfTheHostButTheStandardThree) {
    fs::copy_file(binaryFolder() + "/quellan-rundll", installFolder + "/quellan-rundll");
    // Held the way a careless host holds a socket or a file: without close-on-exec.
    int held[2] = {-1, -1};
    ASSERT_EQ(pipe(held), 0);
    auto closeHeld = platform::ScopeExit([&] {
        close(held[0]);
        close(held[1]);
    });
    EXPECT_TRUE(platform::runLibraryEntry(probe, "probeDescriptors"));
    EXPECT_EQ(readFile(probeLog), "descriptors=\n");
}

TEST_F(RunnerProcess, TheRunnerStartsWithNoSignalBlockedOrIgnored) {
    fs::copy_file(binaryFolder() + "/quellan-rundll", installFolder + "/quellan-rundll");
    // As a host may start it: SIGTERM blocked on the calling thread, SIGHUP ignored.
    sigset_t term, previousMask;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &term, &previousMask), 0);
    struct sigaction ignore {}, previousHangUp {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(sigaction(SIGHUP, &ignore, &previousHangUp), 0);
    auto restore = platform::ScopeExit([&] {
        sigaction(SIGHUP, &previousHangUp, nullptr);
        pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    });
    EXPECT_TRUE(platform::runLibraryEntry(probe, "probeSignals"));
    EXPECT_EQ(readFile(probeLog), "blocked= ignored=\n");
}

}  // namespace
}  // namespace mq::test
