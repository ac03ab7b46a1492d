// POSIX implementation of running a library entry: posix_spawn of the runner beside the library, then waitpid.
#include "platform/Process.h"

#include "platform/FileSystem.h"
#include "platform/posix/SpawnObjects.h"

#include <errno.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

extern char** environ;

namespace mq::platform {

namespace {

const char RUNNER_NAME[] = "quellan-rundll";

}  // namespace

bool runLibraryEntry(const std::string& libraryPath, const std::string& entry) {
    // Only the runner installed with the library: one found on PATH would be
    // whatever the environment names, run with the host's rights.
    const std::string folder = parentFolder(libraryPath);
    if (folder.empty()) return false;
    const std::string runner = folder + RUNNER_NAME;
    // A relative name would be looked up from wherever the host stands now.
    if (!std::filesystem::path(runner).is_absolute()) return false;

    std::vector<std::string> words{RUNNER_NAME, libraryPath + "," + entry};
    const std::vector<char*> argv = argumentVector(words);

    // The host's descriptors (sockets, files, pipes) are none of the
    // configuration process's business, whether or not the host marked them
    // close-on-exec; the standard three stay for the runner's messages.
    SpawnFileActions actions;
    if (!actions.valid() || posix_spawn_file_actions_addclosefrom_np(actions.get(), STDERR_FILENO + 1) != 0)
        return false;
    SpawnAttributes attributes;
    if (!resetSignalsOnSpawn(attributes)) return false;

    pid_t child = 0;
    if (posix_spawn(&child, runner.c_str(), actions.get(), attributes.get(), argv.data(), environ) != 0)
        return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
}

}  // namespace mq::platform
