// Windows implementation of the test's child process: CreateProcessA, waited for.
#include "ChildProcess.h"

#include "platform/DynamicLibrary.h"

#include <windows.h>

namespace mq::test {

namespace {

// Quoted so that the receiving run-time library gives back the same words
// (backslashes double only before a quote).
std::string quoted(const std::string& word) {
    std::string result = "\"";
    std::size_t backslashes = 0;
    for (char c : word) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') backslashes = backslashes * 2 + 1;
        result.append(backslashes, '\\');
        backslashes = 0;
        result += c;
    }
    result.append(backslashes * 2, '\\');
    return result + "\"";
}

struct OwnedHandle {
    HANDLE handle = nullptr;
    ~OwnedHandle() {
        if (handle) CloseHandle(handle);
    }
};

}  // namespace

ChildOutcome runThisProgram(const std::vector<std::string>& arguments) {
    ChildOutcome outcome;
    std::string program = platform::executablePath();
    std::string commandLine = quoted(program);
    for (const std::string& argument : arguments) commandLine += " " + quoted(argument);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION information{};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &information))
        return outcome;
    OwnedHandle process{information.hProcess};
    OwnedHandle thread{information.hThread};
    outcome.started = true;
    DWORD exitCode = 0;
    if (WaitForSingleObject(process.handle, INFINITE) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.handle, &exitCode))
        return outcome;
    // An unhandled exception ends a process with the exception's code, an
    // error status (top two bits set) that no ordinary exit uses.
    outcome.crashed = (exitCode & 0xC0000000u) == 0xC0000000u;
    outcome.code = exitCode;
    return outcome;
}

}  // namespace mq::test
