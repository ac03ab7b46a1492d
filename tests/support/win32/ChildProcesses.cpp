// Windows implementation of the process listing: a ToolHelp snapshot of the system's processes.
#include "support/ChildProcesses.h"

#include <windows.h>
#include <tlhelp32.h>

namespace mq::test {

std::int64_t thisProcessId() {
    return GetCurrentProcessId();
}

std::vector<std::int64_t> childProcessesOf(std::int64_t parentId) {
    std::vector<std::int64_t> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return children;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ParentProcessID == parentId) children.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return children;
}

bool processExists(std::int64_t id) {
    // Waiting rather than the exit code, which a running process shares
    // with one that exited with STILL_ACTIVE (259).
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
    if (!process) return false;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

std::size_t threadsOfThisProcess() {
    std::size_t threads = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return threads;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++threads;
    CloseHandle(snapshot);
    return threads;
}

}  // namespace mq::test
