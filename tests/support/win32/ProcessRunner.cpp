// Windows implementation of the process runner: CreateProcessA with the
// output sent to inheritable file handles, so that neither stream can fill up
// and stall the child.
#include "support/ProcessRunner.h"

#include "platform/DynamicLibrary.h"
#include "platform/win32/StartProcess.h"
#include "support/TestEnvironment.h"
#include "support/win32/QuoteArgument.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>

namespace mq::test {

namespace {

class FileHandle {
public:
    explicit FileHandle(const std::string& path) {
        SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        handle = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + path);
    }
    ~FileHandle() { CloseHandle(handle); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return handle; }

private:
    HANDLE handle;
};

// Starts `program` with `output` and `error` as its standard output and
// error; its standard input is this process's.
PROCESS_INFORMATION start(const std::string& program, const std::vector<std::string>& arguments, HANDLE output,
                          HANDLE error) {
    std::string commandLine = quoteArgument(program);
    for (const std::string& argument : arguments) commandLine += " " + quoteArgument(argument);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = error;
    PROCESS_INFORMATION process{};
    if (!platform::startProcess(program, commandLine, true, 0, nullptr, startup, process))
        throw std::runtime_error("cannot start " + program + ": error " + std::to_string(GetLastError()));
    return process;
}

// Waits for the process to end, keeps its exit code and lets its handles go.
void waitFor(const PROCESS_INFORMATION& process, ProcessResult& result) {
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    result.exitCode = static_cast<int>(code);
    // An unhandled exception ends a process with the exception's code, an
    // error status (top two bits set) that no ordinary exit uses.
    result.crashed = (code & 0xC0000000u) == 0xC0000000u;
}

}  // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments) {
    ScratchFolder folder("process");
    const std::string outPath = folder.file("stdout");
    const std::string errPath = folder.file("stderr");
    ProcessResult result;
    {
        FileHandle out(outPath);
        FileHandle err(errPath);
        waitFor(start(program, arguments, out.get(), err.get()), result);
    }
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

ProcessResult runProcessUntilLines(const std::string& program, const std::vector<std::string>& arguments,
                                   std::size_t lines, AfterLines after) {
    if (after != AfterLines::CLOSE_OUTPUT) throw std::logic_error("interrupting a process is not supported here");
    ScratchFolder folder("process");
    const std::string errPath = folder.file("stderr");
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) throw std::runtime_error("cannot create a pipe");
    // Only the child's end is inherited.
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    ProcessResult result;
    PROCESS_INFORMATION process{};
    {
        FileHandle err(errPath);
        try {
            process = start(program, arguments, writeEnd, err.get());
        } catch (...) {
            CloseHandle(writeEnd);
            CloseHandle(readEnd);
            throw;
        }
        CloseHandle(writeEnd);
    }
    char buffer[4096];
    DWORD count = 0;
    while (static_cast<std::size_t>(std::count(result.out.begin(), result.out.end(), '\n')) < lines &&
           ReadFile(readEnd, buffer, sizeof buffer, &count, nullptr) && count > 0)
        result.out.append(buffer, count);
    CloseHandle(readEnd);
    waitFor(process, result);
    result.err = readFile(errPath);
    return result;
}

// Not under wine 8, where the tests run: Ctrl-Break to a program started in
// a process group of its own fails (GenerateConsoleCtrlEvent, error 12, or 6
// from a console of the test's own), and a Ctrl-C sent to a console of the
// test's own, shared with the quellan tool, left the watch test waiting.
bool canInterruptProcesses() {
    return false;
}

ProcessResult runThisProgram(const std::vector<std::string>& arguments) {
    return runProcess(platform::executablePath(), arguments);
}

}  // namespace mq::test
