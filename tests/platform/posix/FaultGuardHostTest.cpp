// The guard inside the library as a host process sees it: a child that calls
// abort() ends the host as abort() does, and once the library is unloaded the
// host's signals go where they went before the library was used.
#include "support/LoadedPlugin.h"
#include "support/MachineConfiguration.h"
#include "support/ProcessRunner.h"
#include "support/SimChild.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

namespace mq::test {
namespace {

constexpr int EARLIER_HANDLER_STATUS = 42;
const char* const PLANT = "node A\ntag A F float base=1\n";

void earlierHandler(int) {
    _exit(EARLIER_HANDLER_STATUS);
}

__attribute__((no_sanitize("undefined,thread"))) void writeThroughNull() {
    volatile int* volatile target = nullptr;
    *target = 1;
}

// What a host does: open a connection, read the one tag, close.
void readOnce(const LoadedPlugin& plugin) {
    QUELLAN2_CONNECTION connection = nullptr;
    if (plugin->connectionOpen("", &connection) != QUELLAN2_STATUS_OK) _exit(1);
    const QUELLAN2_TAG tag = reinterpret_cast<QUELLAN2_TAG>(1);
    QUELLAN2_VECTOR values = nullptr;
    plugin->connectionReadCurrentData(connection, &tag, 1, &values);
    if (values) plugin->vectorFree(values);
    plugin->connectionClose(connection);
}

// The library is used on a thread that then ends, and is unloaded. (While a
// thread that ran a guarded call lives, the C library keeps the library
// loaded for that thread's sake.)
void useOnAThreadAndUnload() {
    auto plugin = std::make_unique<LoadedPlugin>(libraryPath("MultiQuellan"));
    std::thread([&] { readOnce(*plugin); }).join();
    plugin.reset();
}

// Runs one of the child tests below in a process of its own, with the
// library configured to load one SimQuellan child with `sidecar`.
ProcessResult runHost(const std::string& test, const std::string& sidecar) {
    ScratchFolder folder("guard-host");
    MachineConfiguration configuration;
    SimChild child(folder.path(), "Child", sidecar);
    configuration.writeChildren({child.libraryPath()});
    return runThisProgram({"--gtest_also_run_disabled_tests", "--gtest_filter=FaultGuardHostChild.DISABLED_" + test,
                           "--gtest_brief=1"});
}

}  // namespace

TEST(FaultGuardHostChild, DISABLED_ChildAborts) {
    LoadedPlugin plugin(libraryPath("MultiQuellan"));
    readOnce(plugin);
    _exit(0);
}

TEST(FaultGuardHostChild, DISABLED_HostAbortsAfterUnload) {
    useOnAThreadAndUnload();
    std::abort();
}

TEST(FaultGuardHostChild, DISABLED_HostFaultsAfterUnload) {
    struct sigaction earlier {};
    earlier.sa_handler = &earlierHandler;
    sigemptyset(&earlier.sa_mask);
    sigaction(SIGSEGV, &earlier, nullptr);
    useOnAThreadAndUnload();
    writeThroughNull();
    _exit(0);
}

TEST(FaultGuardHost, AChildThatAbortsEndsTheHostWithSIGABRT) {
    ProcessResult outcome = runHost("ChildAborts", std::string(PLANT) + "fault connectionReadCurrentData abort\n");
    EXPECT_TRUE(outcome.crashed) << "status " << outcome.exitCode;
    EXPECT_EQ(128 + SIGABRT, outcome.exitCode);
}

TEST(FaultGuardHost, AHostThatAbortsAfterUnloadingTheLibraryEndsWithSIGABRT) {
    ProcessResult outcome =
        runHost("HostAbortsAfterUnload", std::string(PLANT) + "fault connectionReadCurrentData access times=1\n");
    EXPECT_TRUE(outcome.crashed) << "status " << outcome.exitCode;
    EXPECT_EQ(128 + SIGABRT, outcome.exitCode);
}

TEST(FaultGuardHost, AfterUnloadingTheLibraryAFaultReachesTheHandlerItHadBefore) {
    ProcessResult outcome =
        runHost("HostFaultsAfterUnload", std::string(PLANT) + "fault connectionReadCurrentData access times=1\n");
    EXPECT_FALSE(outcome.crashed) << "status " << outcome.exitCode;
    EXPECT_EQ(EARLIER_HANDLER_STATUS, outcome.exitCode);
}

}  // namespace mq::test
