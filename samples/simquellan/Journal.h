// The journal: one line per call received, appended and flushed at once.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

namespace simquellan {

// The sidecar's `journal off`: no journal file at all, so that a benchmark
// measures the plant and not the file system.
extern const char* const JOURNAL_OFF;

// A small number per thread, given out in order of first use in this module.
std::uint32_t threadNumber();

// Line format: sequence TAB thread TAB function TAB arguments TAB status.
// Lines starting with '#' are notes (sidecar lines that were ignored).
class Journal {
public:
    // An empty path turns the journal off.
    void setPath(const std::string& path);
    // Counts the call; its line, and so its arguments (made by `describe`),
    // are made only when there is a file to append it to.
    template <class Describe>
    void write(const char* function, const Describe& describe, const std::string& status) {
        std::lock_guard<std::mutex> lock(mutex);
        ++sequence;
        if (path.empty()) return;
        append(std::to_string(sequence) + "\t" + std::to_string(threadNumber()) + "\t" + function + "\t" + describe() +
               "\t" + status + "\n");
    }
    void note(const std::string& text);

private:
    void append(const std::string& line);

    std::mutex mutex;
    std::string path;
    std::uint64_t sequence = 0;
};

}  // namespace simquellan
