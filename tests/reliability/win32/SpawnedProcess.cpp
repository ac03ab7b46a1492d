// Windows implementation of a spawned process: CreateProcessA, TerminateProcess, a wait on its handle.
#include "SpawnedProcess.h"

#include "platform/win32/StartProcess.h"
#include "support/win32/QuoteArgument.h"

#include <windows.h>

#include <stdexcept>

namespace mq::test {

// `id` holds the process handle, kept open so that the process cannot be
// confused with a later one of the same number.
SpawnedProcess::SpawnedProcess(const std::string& program, const std::vector<std::string>& arguments) {
    std::string commandLine = quoteArgument(program);
    for (const std::string& argument : arguments) commandLine += " " + quoteArgument(argument);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!platform::startProcess(program, commandLine, false, 0, nullptr, startup, process))
        throw std::runtime_error("cannot start " + program);
    CloseHandle(process.hThread);
    id = reinterpret_cast<long long>(process.hProcess);
}

SpawnedProcess::~SpawnedProcess() {
    kill();
}

bool SpawnedProcess::kill() {
    if (ended) return false;
    ended = true;
    const HANDLE process = reinterpret_cast<HANDLE>(id);
    const bool wasRunning = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, INFINITE);
    CloseHandle(process);
    return wasRunning;
}

bool SpawnedProcess::hasEnded() const {
    return ended || WaitForSingleObject(reinterpret_cast<HANDLE>(id), 0) == WAIT_OBJECT_0;
}

}  // namespace mq::test
