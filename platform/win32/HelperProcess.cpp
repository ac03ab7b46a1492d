// Windows implementation of the helper process: CreateProcessA with two inherited pipe ends, a kill-on-close job, TerminateProcess, a wait on the handle.
#include "platform/HelperProcess.h"

#include "platform/ScopeExit.h"
#include "platform/win32/OwnedHandle.h"
#include "platform/win32/StartProcess.h"

#include <windows.h>

#include <stdlib.h>

#include <charconv>
#include <cstdio>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

namespace mq::platform {

namespace {

// Room for a few messages in each direction before a writer waits.
constexpr DWORD PIPE_BUFFER_SIZE = 64 * 1024;
// The exit code of a helper that kill() ended; nobody reads it.
constexpr UINT KILLED = 1;

HANDLE handleOf(std::intptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}

// The job that every helper of this process joins. Its handle is never
// closed: the system closes it when this process ends, however it ends, and
// the kill-on-close limit then ends every helper still running. A crash in a
// helper ends that helper without the system's error report.
HANDLE helperJob() {
    static const HANDLE job = [] {
        HANDLE created = CreateJobObjectA(nullptr, nullptr);
        if (!created) return HANDLE(nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags =
            JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
        if (!SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
            CloseHandle(created);
            return HANDLE(nullptr);
        }
        return created;
    }();
    return job;
}

// An inheritable copy of a handle of this process, or null.
HANDLE inheritableCopy(HANDLE original) {
    HANDLE copy = nullptr;
    if (!original || original == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), original, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

// A thread attribute list that names the only handles a new process inherits.
class InheritedHandles {
public:
    explicit InheritedHandles(std::vector<HANDLE> handles) : handles(std::move(handles)) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        storage.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
        if (size == 0 || !InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
        initialised = true;
        ready = UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, this->handles.data(),
                                          this->handles.size() * sizeof(HANDLE), nullptr, nullptr);
    }
    ~InheritedHandles() {
        if (initialised) DeleteProcThreadAttributeList(get());
    }
    InheritedHandles(const InheritedHandles&) = delete;
    InheritedHandles& operator=(const InheritedHandles&) = delete;

    bool valid() const { return ready; }
    LPPROC_THREAD_ATTRIBUTE_LIST get() { return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data()); }

private:
    std::vector<HANDLE> handles;  // the list points into this
    std::vector<char> storage;
    bool initialised = false;
    bool ready = false;
};

// A whole command-line word as a handle value written in decimal; null when it is not one.
HANDLE handleFrom(const char* word) {
    std::uintptr_t value = 0;
    const char* end = word + std::strlen(word);
    const auto [stop, error] = std::from_chars(word, end, value);
    return error == std::errc() && stop == end ? reinterpret_cast<HANDLE>(value) : nullptr;
}

// msvcrt, the run-time library of this build, has no _set_abort_behavior():
// its abort() raises SIGABRT before it writes its message or shows its box,
// and a handler that ends the process there leaves neither. The exit code is
// the one abort() gives.
void endQuietly(int) {
    _exit(3);
}

}  // namespace

HelperProcess HelperProcess::start(const std::string& program, Channel& channel,
                                   const std::vector<std::string>& arguments) {
    channel.close();
    // A quote cannot stand in a file name; one in `program` would end the quoted name early.
    if (!std::filesystem::path(program).is_absolute() || program.find('"') != std::string::npos)
        return HelperProcess();
    for (const std::string& word : arguments)
        if (word.empty() || word.find_first_of(" \t\"") != std::string::npos) return HelperProcess();
    HANDLE job = helperJob();
    if (!job) return HelperProcess();

    // Not inheritable as created: only the helper's ends become so, and only
    // the handle list below lets the helper have them.
    HANDLE toHelper[2]{}, fromHelper[2]{};
    if (!CreatePipe(&toHelper[0], &toHelper[1], nullptr, PIPE_BUFFER_SIZE)) return HelperProcess();
    auto closeToHelper = ScopeExit([&] { CloseHandle(toHelper[1]); });
    OwnedHandle helperReads(toHelper[0]);
    if (!CreatePipe(&fromHelper[0], &fromHelper[1], nullptr, PIPE_BUFFER_SIZE)) return HelperProcess();
    auto closeFromHelper = ScopeExit([&] { CloseHandle(fromHelper[0]); });
    OwnedHandle helperWrites(fromHelper[1]);
    if (!SetHandleInformation(helperReads.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT) ||
        !SetHandleInformation(helperWrites.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT))
        return HelperProcess();

    // The helper's standard error is this process's: an inheritable copy,
    // so that this process's own handle keeps its flags.
    OwnedHandle errorCopy(inheritableCopy(GetStdHandle(STD_ERROR_HANDLE)));
    std::vector<HANDLE> inherited{helperReads.get(), helperWrites.get()};
    if (errorCopy) inherited.push_back(errorCopy.get());
    InheritedHandles inheritance(inherited);
    if (!inheritance.valid()) return HelperProcess();

    STARTUPINFOEXA startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdError = errorCopy.get();
    startup.lpAttributeList = inheritance.get();
    // attachToHost() reads the helper's ends from here: first the one it reads.
    std::string line = "\"" + program + "\" " + std::to_string(reinterpret_cast<std::uintptr_t>(helperReads.get())) +
                       " " + std::to_string(reinterpret_cast<std::uintptr_t>(helperWrites.get()));
    for (const std::string& word : arguments) line += " " + word;

    // Suspended until it is in the job, so that not one instruction of it
    // runs unbound to this process. No console window of its own.
    PROCESS_INFORMATION created{};
    if (!startProcess(program, line, true, CREATE_SUSPENDED | CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT,
                      nullptr, startup.StartupInfo, created))
        return HelperProcess();
    OwnedHandle thread(created.hThread);
    HelperProcess helper = watch(reinterpret_cast<std::intptr_t>(created.hProcess), created.dwProcessId);
    if (!helper.isStarted()) return helper;
    // A helper that cannot join the job could outlive this process: it never runs.
    if (!AssignProcessToJobObject(job, created.hProcess) || ResumeThread(created.hThread) == static_cast<DWORD>(-1))
        return HelperProcess();

    closeToHelper.release();
    closeFromHelper.release();
    channel = Channel(reinterpret_cast<std::intptr_t>(fromHelper[0]), reinterpret_cast<std::intptr_t>(toHelper[1]));
    return helper;
}

void HelperProcess::reapWhenEnded(Lifetime& lifetime) noexcept {
    WaitForSingleObject(handleOf(lifetime.process), INFINITE);
    std::lock_guard<std::mutex> lock(lifetime.reaping);
    DWORD code = 0;
    if (GetExitCodeProcess(handleOf(lifetime.process), &code)) lifetime.exitStatus = static_cast<int>(code);
    // With its last handle closed the system forgets the process.
    CloseHandle(handleOf(lifetime.process));
    lifetime.reaped = true;
    lifetime.ended.notify_all();
}

std::string HelperProcess::endingOf(int exitStatus) {
    const auto code = static_cast<DWORD>(exitStatus);
    if (code == 0) return {};
    // What abort() gives, here and in a helper whose attachToHost() ends it quietly.
    if (code == 3) return "aborted";
    // NTSTATUS error codes: an exception nobody handled.
    if ((code & 0xC0000000u) == 0xC0000000u) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
        return std::string("exception ") + text;
    }
    return "exit code " + std::to_string(code);
}

void HelperProcess::terminate(std::intptr_t process) noexcept {
    TerminateProcess(handleOf(process), KILLED);
}

Channel HelperProcess::attachToHost(int argc, char** argv) {
    // A crash ends the helper at once: no error box, no abort message, no report.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    std::signal(SIGABRT, endQuietly);
    if (argc < 3) return Channel();
    HANDLE reads = handleFrom(argv[1]);
    HANDLE writes = handleFrom(argv[2]);
    if (!reads || !writes || reads == writes || GetFileType(reads) != FILE_TYPE_PIPE ||
        GetFileType(writes) != FILE_TYPE_PIPE)
        return Channel();
    return Channel(reinterpret_cast<std::intptr_t>(reads), reinterpret_cast<std::intptr_t>(writes));
}

}  // namespace mq::platform
