// POSIX implementation of the test's child process: posix_spawn and waitpid.
#include "ChildProcess.h"

#include "platform/DynamicLibrary.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace mq::test {

ChildOutcome runThisProgram(const std::vector<std::string>& arguments) {
    ChildOutcome outcome;
    std::string program = platform::executablePath();
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    // A crash that a test provokes leaves no core file behind; the child
    // inherits the limit.
    struct rlimit noCore {0, 0};
    setrlimit(RLIMIT_CORE, &noCore);

    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return outcome;
    outcome.started = true;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return outcome;
    }
    if (WIFSIGNALED(status)) {
        outcome.crashed = true;
        outcome.code = static_cast<unsigned long>(WTERMSIG(status));
    } else if (WIFEXITED(status)) {
        outcome.code = static_cast<unsigned long>(WEXITSTATUS(status));
    }
    return outcome;
}

}  // namespace mq::test
