// Windows implementation of running a library entry: the system's rundll32.exe through CreateProcessA.
#include "platform/Process.h"

#include "platform/win32/OwnedHandle.h"
#include "platform/win32/Rundll.h"
#include "platform/win32/StartProcess.h"

#include <windows.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace mq::platform {

namespace {

constexpr DWORD PATH_SIZE = 1024;

// The short form keeps blanks out of the command line; a volume without
// short names hands back nothing, and the long path is used.
std::string shortPathOr(const std::string& libraryPath) {
    std::vector<char> shortPath(PATH_SIZE, '\0');
    const DWORD length = GetShortPathNameA(libraryPath.c_str(), shortPath.data(), PATH_SIZE - 1);
    return length != 0 && length < PATH_SIZE ? std::string(shortPath.data(), length) : libraryPath;
}

}  // namespace

bool runLibraryEntry(const std::string& libraryPath, const std::string& entry) {
    // A relative name would be looked up from wherever the host stands now.
    if (!std::filesystem::path(libraryPath).is_absolute()) return false;
    const std::string runner = systemRundllPath();
    const std::string line = rundllCommandLine(shortPathOr(libraryPath), entry);
    if (runner.empty() || line.empty()) return false;

    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!startProcess(runner, line, false, 0, nullptr, startup, process)) return false;
    OwnedHandle processHandle(process.hProcess);
    OwnedHandle threadHandle(process.hThread);
    WaitForSingleObject(processHandle.get(), INFINITE);
    return true;
}

}  // namespace mq::platform
