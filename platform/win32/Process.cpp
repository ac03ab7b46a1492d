// Windows implementation of running a library entry: rundll32.exe through CreateProcessA.
#include "platform/Process.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace mq::platform {

namespace {

constexpr DWORD COMMAND_LINE_SIZE = 1024;

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

}  // namespace

bool runLibraryEntry(const std::string& libraryPath, const std::string& entry) {
    // The short form keeps blanks out of the command line, which rundll32
    // would otherwise split the path at; without one the long path is used.
    std::vector<char> shortPath(COMMAND_LINE_SIZE, '\0');
    DWORD length = GetShortPathNameA(libraryPath.c_str(), shortPath.data(), COMMAND_LINE_SIZE - 1);
    std::string path = length != 0 && length < COMMAND_LINE_SIZE ? std::string(shortPath.data(), length)
                                                                  : libraryPath;

    std::vector<char> commandLine(COMMAND_LINE_SIZE, '\0');
    int formatted =
        std::snprintf(commandLine.data(), commandLine.size(), "rundll32.exe %s,%s", path.c_str(), entry.c_str());
    // A cut command line would name another file: better to start nothing.
    if (formatted < 0 || static_cast<std::size_t>(formatted) >= commandLine.size()) return false;

    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    OwnedHandle processHandle(process.hProcess);
    OwnedHandle threadHandle(process.hThread);
    WaitForSingleObject(processHandle.get(), INFINITE);
    return true;
}

}  // namespace mq::platform
