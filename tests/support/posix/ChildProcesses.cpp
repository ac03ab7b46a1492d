// Linux implementation of the process listing: the stat files under /proc.
#include "support/ChildProcesses.h"

#include <signal.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace mq::test {

namespace {

struct ProcessStatus {
    bool found = false;
    char state = '?';
    std::int64_t parent = 0;
};

// /proc/<id>/stat reads "pid (name) state ppid ...", and the name may itself
// hold blanks and parentheses: the fields after it start after its last ')'.
ProcessStatus statusOf(const std::string& id) {
    std::ifstream file("/proc/" + id + "/stat");
    std::string line;
    if (!std::getline(file, line)) return {};
    const std::size_t nameEnd = line.rfind(')');
    if (nameEnd == std::string::npos) return {};
    std::istringstream fields(line.substr(nameEnd + 1));
    ProcessStatus status;
    fields >> status.state >> status.parent;
    status.found = !fields.fail();
    return status;
}

}  // namespace

std::int64_t thisProcessId() {
    return getpid();
}

std::vector<std::int64_t> childProcessesOf(std::int64_t parentId) {
    std::vector<std::int64_t> children;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || !std::isdigit(static_cast<unsigned char>(name[0]))) continue;
        // A process that ends while the folder is read is simply not found.
        const ProcessStatus status = statusOf(name);
        if (status.found && status.parent == parentId) children.push_back(std::stoll(name));
    }
    return children;
}

bool processExists(std::int64_t id) {
    const ProcessStatus status = statusOf(std::to_string(id));
    return status.found && status.state != 'Z';
}

bool killProcess(std::int64_t id) {
    return id > 0 && ::kill(static_cast<pid_t>(id), SIGKILL) == 0;
}

std::size_t threadsOfThisProcess() {
    std::size_t threads = 0;
    std::error_code error;
    for (auto entry = std::filesystem::directory_iterator("/proc/self/task", error);
         !error && entry != std::filesystem::directory_iterator(); entry.increment(error))
        ++threads;
    return threads;
}

}  // namespace mq::test
