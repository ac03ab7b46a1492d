// An entry point for the runner to call on POSIX: it writes which descriptors
// the runner's process holds to the file named by MQ_TEST_PROBE_LOG.
#include "quellan2.h"

#include <dirent.h>

#include <cstdlib>
#include <fstream>
#include <string>

// Writes "descriptors=" and the process's open descriptors above 2, listed
// before the log is opened.
extern "C" QUELLAN2_API void QUELLAN2_CALL probeDescriptors(void*, void*, char*, int) {
    const char* logPath = std::getenv("MQ_TEST_PROBE_LOG");
    if (!logPath) return;
    std::string descriptors;
    if (DIR* folder = opendir("/proc/self/fd")) {
        while (const dirent* entry = readdir(folder)) {
            int descriptor = std::atoi(entry->d_name);
            if (entry->d_name[0] == '.' || descriptor <= 2 || descriptor == dirfd(folder)) continue;
            descriptors += (descriptors.empty() ? "" : " ") + std::string(entry->d_name);
        }
        closedir(folder);
    }
    std::ofstream(logPath, std::ios::app) << "descriptors=" << descriptors << '\n';
}
