// The start of the configuration process on Windows: the system's rundll32
// runs the entry and is waited for, and a rundll32.exe planted beside the host
// program or in its current folder never runs.
#include "platform/Process.h"
#include "platform/win32/Rundll.h"
#include "platform/win32/StartProcess.h"
#include "support/Environment.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace mq::test {
namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

class SystemRundll : public ::testing::Test {
protected:
    SystemRundll() {
        probeLog = scratch.file("probe.log");
        setEnvironmentVariable("MQ_TEST_PROBE_LOG", probeLog);
        plantedMarker = scratch.file("planted rundll32 ran");
        setEnvironmentVariable("MQ_TEST_PLANTED_MARKER", plantedMarker);
        const std::string installFolder = scratch.file("with blanks");
        fs::create_directory(installFolder);
        probe = (fs::path(installFolder) / ("RundllProbe" MQ_LIBRARY_SUFFIX)).string();
        fs::copy_file(libraryPath("RundllProbe"), probe);
    }

    // Puts a rundll32.exe of the test's own into `folder`.
    void plantRundll(const std::string& folder) const {
        fs::copy_file(fs::path(binaryFolder()) / "PlantedRundll.exe", fs::path(folder) / "rundll32.exe");
    }

    // Starts `application` with `text` as its command line and waits for it;
    // its exit status.
    static DWORD runProcess(const std::string& application, const std::string& text,
                            const char* currentFolder = nullptr) {
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        if (!platform::startProcess(application, text, false, 0, currentFolder, startup, process))
            return static_cast<DWORD>(-1);
        OwnedHandle processHandle(process.hProcess);
        OwnedHandle threadHandle(process.hThread);
        WaitForSingleObject(processHandle.get(), INFINITE);
        DWORD status = static_cast<DWORD>(-1);
        GetExitCodeProcess(processHandle.get(), &status);
        return status;
    }

    // Runs a host program installed in `hostFolder`, with `currentFolder` as
    // its current folder, on the probe's entry; its exit status.
    DWORD runHost(const std::string& hostFolder, const std::string& currentFolder) const {
        const std::string host = (fs::path(hostFolder) / "RunEntryHost.exe").string();
        fs::copy_file(fs::path(binaryFolder()) / "RunEntryHost.exe", host);
        return runProcess(host, "\"" + host + "\" \"" + probe + "\" probeEntry", currentFolder.c_str());
    }

    ScratchFolder scratch{"ui win32 runner"};
    std::string probeLog;
    std::string plantedMarker;
    std::string probe;
};

TEST_F(SystemRundll, RunsTheEntryOfALibraryInAFolderWithABlankAndIsWaitedFor) {
    EXPECT_TRUE(platform::runLibraryEntry(probe, "probeEntry"));
    // Written before the process ended, read after the wait.
    EXPECT_FALSE(readFile(probeLog).empty());
}

// Where a volume has no short names (wine always makes some up), the long
// path goes on the command line, and must reach rundll32 whole.
TEST_F(SystemRundll, ReadsALongPathWithABlankWhole) {
    ASSERT_NE(probe.find(' '), std::string::npos);
    const std::string line = platform::rundllCommandLine(probe, "probeEntry");
    ASSERT_FALSE(line.empty());
    runProcess(platform::systemRundllPath(), line);
    EXPECT_FALSE(readFile(probeLog).empty()) << line;
}

TEST_F(SystemRundll, StartsNothingRatherThanACutCommandLine) {
    EXPECT_EQ(platform::rundllCommandLine("C:\\" + std::string(1024, 'x') + ".dll", "probeEntry"), "");
}

enum class PlantedIn { HOST_FOLDER, CURRENT_FOLDER };

class APlantedRundll : public SystemRundll, public ::testing::WithParamInterface<PlantedIn> {};

TEST_P(APlantedRundll, NeverRunsAndTheSystemsOwnRunsInstead) {
    const std::string hostFolder = scratch.file("host");
    const std::string otherFolder = scratch.file("current");
    fs::create_directory(hostFolder);
    fs::create_directory(otherFolder);
    const bool besideHost = GetParam() == PlantedIn::HOST_FOLDER;
    plantRundll(besideHost ? hostFolder : otherFolder);
    EXPECT_EQ(runHost(hostFolder, otherFolder), 0u);
    EXPECT_FALSE(fs::exists(plantedMarker));
    EXPECT_FALSE(readFile(probeLog).empty());
}

INSTANTIATE_TEST_SUITE_P(Folders, APlantedRundll,
                         ::testing::Values(PlantedIn::HOST_FOLDER, PlantedIn::CURRENT_FOLDER),
                         [](const ::testing::TestParamInfo<PlantedIn>& info) {
                             return info.param == PlantedIn::HOST_FOLDER ? "BesideTheHost" : "InTheCurrentFolder";
                         });

}  // namespace
}  // namespace mq::test
