// POSIX implementation of running a library entry: posix_spawn of quellan-rundll, then waitpid.
#include "platform/Process.h"

#include "platform/FileSystem.h"

#include <errno.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

extern char** environ;

namespace mq::platform {

namespace {

const char RUNNER_NAME[] = "quellan-rundll";

bool spawnAndWait(const std::string& program, bool searchPath, std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    int error = searchPath ? posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv.data(), environ)
                           : posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ);
    if (error != 0) return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
}

}  // namespace

bool runLibraryEntry(const std::string& libraryPath, const std::string& entry) {
    std::vector<std::string> arguments{RUNNER_NAME, libraryPath + "," + entry};
    // The runner installed beside the library belongs to it; one on PATH is
    // only the fallback for a library copied elsewhere on its own.
    std::string besideLibrary = parentFolder(libraryPath) + RUNNER_NAME;
    if (!parentFolder(libraryPath).empty() && access(besideLibrary.c_str(), X_OK) == 0)
        return spawnAndWait(besideLibrary, false, arguments);
    return spawnAndWait(RUNNER_NAME, true, arguments);
}

}  // namespace mq::platform
