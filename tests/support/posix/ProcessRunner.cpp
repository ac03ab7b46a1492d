// POSIX implementation of the process runner: posix_spawn with the output
// sent to files, so that neither stream can fill up and stall the child.
#include "support/ProcessRunner.h"

#include "support/TestEnvironment.h"

#include "platform/DynamicLibrary.h"
#include "platform/ScopeExit.h"
#include "platform/posix/SpawnObjects.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

#include <cerrno>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace mq::test {

namespace {

// Waits for the process `pid` to end and keeps how it ended.
void waitFor(pid_t pid, const std::string& program, ProcessResult& result) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) throw std::runtime_error("cannot wait for " + program + ": " + std::strerror(errno));
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.crashed = WIFSIGNALED(status);
}

}  // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments) {
    ScratchFolder folder("process");
    const std::string outPath = folder.file("stdout");
    const std::string errPath = folder.file("stderr");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    const std::vector<char*> argv = platform::argumentVector(words);

    // A crash that a test provokes leaves no core file behind; the child
    // inherits the limit.
    struct rlimit noCore {0, 0};
    setrlimit(RLIMIT_CORE, &noCore);

    pid_t pid = 0;
    int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) throw std::runtime_error("cannot start " + program + ": " + std::strerror(error));

    ProcessResult result;
    waitFor(pid, program, result);
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

ProcessResult runProcessUntilLines(const std::string& program, const std::vector<std::string>& arguments,
                                   std::size_t lines, AfterLines after) {
    ScratchFolder folder("process");
    const std::string errPath = folder.file("stderr");
    int output[2];
    if (pipe(output) != 0) throw std::runtime_error("cannot create a pipe");
    auto closeRead = platform::ScopeExit([&] {
        if (output[0] >= 0) close(output[0]);
    });

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    posix_spawn_file_actions_addclose(&actions, output[1]);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    const std::vector<char*> argv = platform::argumentVector(words);
    pid_t pid = 0;
    int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(output[1]);
    if (error != 0) throw std::runtime_error("cannot start " + program + ": " + std::strerror(error));

    ProcessResult result;
    auto readSome = [&]() {
        char buffer[4096];
        ssize_t count = 0;
        while ((count = read(output[0], buffer, sizeof buffer)) < 0 && errno == EINTR) {}
        if (count > 0) result.out.append(buffer, static_cast<std::size_t>(count));
        return count > 0;
    };
    auto lineEnds = [&]() { return static_cast<std::size_t>(std::count(result.out.begin(), result.out.end(), '\n')); };
    while (lineEnds() < lines && readSome()) {}
    if (after == AfterLines::CLOSE_OUTPUT) {
        close(output[0]);
        output[0] = -1;
    } else {
        kill(pid, SIGINT);
        while (readSome()) {}
    }

    waitFor(pid, program, result);
    result.err = readFile(errPath);
    return result;
}

bool canInterruptProcesses() {
    return true;
}

ProcessResult runThisProgram(const std::vector<std::string>& arguments) {
    return runProcess(platform::executablePath(), arguments);
}

}  // namespace mq::test
