// An entry point for the runner to call: it writes what it was given to the
// file named by MQ_TEST_PROBE_LOG.
#include "quellan2.h"

#include <cstdlib>
#include <fstream>

extern "C" QUELLAN2_API void QUELLAN2_CALL probeEntry(void* window, void* instance, char* commandLine, int show) {
    const char* logPath = std::getenv("MQ_TEST_PROBE_LOG");
    if (!logPath) return;
    std::ofstream(logPath, std::ios::app) << "window=" << (window ? "set" : "null")
                                          << " instance=" << (instance ? "set" : "null") << " commandLine=["
                                          << (commandLine ? commandLine : "(null)") << "] show=" << show << '\n';
}
