// Windows implementation of the process listing: a ToolHelp snapshot of the system's processes.
#include "support/ChildProcesses.h"

#include <windows.h>
#include <tlhelp32.h>

namespace mq::test {

std::int64_t thisProcessId() {
    return GetCurrentProcessId();
}

namespace {

// When the process `id` started; zero where it cannot be asked.
ULONGLONG creationTime(DWORD id) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!process) return 0;
    FILETIME created{}, exited{}, kernel{}, user{};
    const BOOL known = GetProcessTimes(process, &created, &exited, &kernel, &user);
    CloseHandle(process);
    return known ? (ULONGLONG(created.dwHighDateTime) << 32) | created.dwLowDateTime : 0;
}

}  // namespace

std::vector<std::int64_t> childProcessesOf(std::int64_t parentId) {
    std::vector<std::int64_t> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return children;
    // A process keeps the number of the parent that started it after that
    // parent has gone and its number has been given to a new process: one
    // older than `parentId` is not its child. One that cannot be asked counts.
    const ULONGLONG parentCreated = creationTime(static_cast<DWORD>(parentId));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID != parentId) continue;
        const ULONGLONG created = creationTime(entry.th32ProcessID);
        if (created != 0 && parentCreated != 0 && created < parentCreated) continue;
        children.push_back(entry.th32ProcessID);
    }
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

bool killProcess(std::int64_t id) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(id));
    if (!process) return false;
    const bool ended = TerminateProcess(process, 1) != 0;
    CloseHandle(process);
    return ended;
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
