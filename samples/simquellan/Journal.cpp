// Writing the journal: one flushed line per call received.
#include "samples/simquellan/Journal.h"

#include "platform/FileSystem.h"

#include <atomic>

namespace simquellan {

const char* const JOURNAL_OFF = "off";

std::uint32_t threadNumber() {
    static std::atomic<std::uint32_t> last{0};
    thread_local std::uint32_t number = 0;
    if (number == 0) number = ++last;
    return number;
}

void Journal::setPath(const std::string& newPath) {
    std::lock_guard<std::mutex> lock(mutex);
    path = newPath;
}

void Journal::note(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex);
    append("# " + text + "\n");
}

void Journal::append(const std::string& line) {
    // Opened per line so that a test may read, truncate or delete the file
    // while the library stays loaded, on either platform; written in one
    // append, so that children sharing one journal never mix their lines.
    if (path.empty()) return;
    mq::platform::appendToFile(path, line);
}

}  // namespace simquellan
