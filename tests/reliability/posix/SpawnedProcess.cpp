// POSIX implementation of a spawned process: posix_spawn, SIGKILL, waitpid.
#include "SpawnedProcess.h"

#include "platform/posix/SpawnObjects.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <stdexcept>

extern char** environ;

namespace mq::test {

SpawnedProcess::SpawnedProcess(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    const std::vector<char*> argv = platform::argumentVector(words);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot start " + program);
    id = pid;
}

SpawnedProcess::~SpawnedProcess() {
    kill();
}

bool SpawnedProcess::kill() {
    if (ended) return false;
    ended = true;
    const auto pid = static_cast<pid_t>(id);
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

bool SpawnedProcess::hasEnded() const {
    if (ended) return true;
    // WNOWAIT leaves the process a zombie for kill()'s waitpid.
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(id), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid != 0;
}

}  // namespace mq::test
