// POSIX implementation of the helper process: posix_spawn with a socket pair on descriptor 3, a parent-death signal, kill, waitid.
#include "platform/HelperProcess.h"

#include "platform/posix/SpawnObjects.h"
#include "platform/ScopeExit.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

extern char** environ;

namespace mq::platform {

namespace {

// The helper's end of the channel, where attachToHost() looks for it.
constexpr int CHANNEL_DESCRIPTOR = 3;

// A whole command-line word as a positive decimal number; 0 when it is not one.
pid_t positiveNumber(const char* word) {
    pid_t value = 0;
    const char* end = word + std::strlen(word);
    const auto [stop, error] = std::from_chars(word, end, value);
    return error == std::errc() && stop == end && value > 0 ? value : 0;
}

}  // namespace

HelperProcess HelperProcess::start(const std::string& program, Channel& channel,
                                   const std::vector<std::string>& arguments) {
    channel.close();
    if (!std::filesystem::path(program).is_absolute()) return HelperProcess();
    for (const std::string& word : arguments)
        if (word.empty() || word.find_first_of(" \t\"") != std::string::npos) return HelperProcess();

    // Close-on-exec, so that a process another thread starts meanwhile does
    // not take a copy: a copy elsewhere would keep the channel open after the
    // helper has gone.
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return HelperProcess();
    auto closeHostEnd = ScopeExit([&] { ::close(ends[0]); });
    const auto closeHelperEnd = ScopeExit([&] { ::close(ends[1]); });

    // The helper's end becomes descriptor 3 (dup2 clears its close-on-exec
    // flag, also when it already is 3); standard input and output are
    // /dev/null; every other descriptor of the host is closed, whether or not
    // the host marked it close-on-exec.
    SpawnFileActions actions;
    if (!actions.valid() ||
        posix_spawn_file_actions_adddup2(actions.get(), ends[1], CHANNEL_DESCRIPTOR) != 0 ||
        posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0) != 0 ||
        posix_spawn_file_actions_addopen(actions.get(), STDOUT_FILENO, "/dev/null", O_WRONLY, 0) != 0 ||
        posix_spawn_file_actions_addclosefrom_np(actions.get(), CHANNEL_DESCRIPTOR + 1) != 0)
        return HelperProcess();

    SpawnAttributes attributes;
    if (!resetSignalsOnSpawn(attributes)) return HelperProcess();

    // attachToHost() reads the host's process and the starting thread from here.
    std::vector<std::string> words{program, std::to_string(getpid()), std::to_string(gettid())};
    words.insert(words.end(), arguments.begin(), arguments.end());
    const std::vector<char*> argv = argumentVector(words);

    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), actions.get(), attributes.get(), argv.data(), environ) != 0)
        return HelperProcess();

    HelperProcess helper = watch(pid, pid);
    if (!helper.isStarted()) return helper;
    closeHostEnd.release();
    channel = Channel(ends[0], ends[0]);
    return helper;
}

void HelperProcess::reapWhenEnded(Lifetime& lifetime) noexcept {
    const auto pid = static_cast<pid_t>(lifetime.process);
    // Seen ended but not yet reaped, so that until the lock below the number
    // is still this process's and a kill() cannot reach another.
    siginfo_t info{};
    while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    std::lock_guard<std::mutex> lock(lifetime.reaping);
    // ECHILD: the host ignores SIGCHLD, and the system has reaped it already.
    while (waitpid(pid, &lifetime.exitStatus, 0) < 0 && errno == EINTR) {
    }
    lifetime.reaped = true;
    lifetime.ended.notify_all();
}

std::string HelperProcess::endingOf(int exitStatus) {
    if (WIFEXITED(exitStatus))
        return WEXITSTATUS(exitStatus) == 0 ? std::string() : "exit code " + std::to_string(WEXITSTATUS(exitStatus));
    if (!WIFSIGNALED(exitStatus)) return {};
    const int signal = WTERMSIG(exitStatus);
    if (signal == SIGABRT) return "aborted";
    const char* name = sigabbrev_np(signal);
    return name ? std::string("signal SIG") + name : "signal " + std::to_string(signal);
}

void HelperProcess::terminate(std::intptr_t process) noexcept {
    ::kill(static_cast<pid_t>(process), SIGKILL);
}

Channel HelperProcess::attachToHost(int argc, char** argv) {
    if (argc < 3) return Channel();
    const pid_t host = positiveNumber(argv[1]);
    const pid_t startingThread = positiveNumber(argv[2]);
    if (host == 0 || startingThread == 0) return Channel();

    // The signal comes when the thread that started this process ends. Set
    // only now, it misses an end that came before: then this process already
    // has another parent, or the starting thread is gone, and it ends itself.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != host || (tgkill(host, startingThread, 0) != 0 && errno == ESRCH)) _exit(EXIT_FAILURE);

    struct stat status {};
    if (fstat(CHANNEL_DESCRIPTOR, &status) != 0 || !S_ISSOCK(status.st_mode)) return Channel();
    // A process the helper starts in turn must not hold the channel open
    // after the helper has gone.
    fcntl(CHANNEL_DESCRIPTOR, F_SETFD, FD_CLOEXEC);
    return Channel(CHANNEL_DESCRIPTOR, CHANNEL_DESCRIPTOR);
}

}  // namespace mq::platform
