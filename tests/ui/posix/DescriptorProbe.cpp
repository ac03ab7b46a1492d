// Entry points for the runner to call on POSIX: they write which descriptors
// the runner's process holds, or which signals it blocks and ignores, to the
// file named by MQ_TEST_PROBE_LOG.
#include "quellan2.h"

#include <dirent.h>
#include <signal.h>

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

// Writes "blocked=" and "ignored=" with the numbers of the signals the
// process has blocked and set to be ignored.
extern "C" QUELLAN2_API void QUELLAN2_CALL probeSignals(void*, void*, char*, int) {
    const char* logPath = std::getenv("MQ_TEST_PROBE_LOG");
    if (!logPath) return;
    sigset_t mask;
    sigemptyset(&mask);
    pthread_sigmask(SIG_BLOCK, nullptr, &mask);
    std::string blocked, ignored;
    for (int number = 1; number < NSIG; ++number) {
        if (sigismember(&mask, number) == 1) blocked += (blocked.empty() ? "" : " ") + std::to_string(number);
        struct sigaction action {};
        if (sigaction(number, nullptr, &action) == 0 && action.sa_handler == SIG_IGN)
            ignored += (ignored.empty() ? "" : " ") + std::to_string(number);
    }
    std::ofstream(logPath, std::ios::app) << "blocked=" << blocked << " ignored=" << ignored << '\n';
}
