// Prints what the platform layer sees of this process: the machine folder and whether it is privileged.
// The trust tests run it set-user-ID, which a test inside its own process cannot become.
#include "platform/FileOwnership.h"
#include "platform/FileSystem.h"

#include <cstdio>
#include <string>

int main() {
    std::string folder;
    mq::platform::commonDataFolder(folder);
    std::printf("folder=%s\nprivileged=%d\n", folder.c_str(), mq::platform::isPrivilegedProcess() ? 1 : 0);
    // The leak checker cannot run set-user-ID and ends the process at exit,
    // before the standard streams would be flushed.
    std::fflush(stdout);
    return 0;
}
