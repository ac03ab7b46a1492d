// The journal: one line per call received, appended and flushed at once.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

namespace simquellan {

// A small number per thread, given out in order of first use in this module.
std::uint32_t threadNumber();

// Line format: sequence TAB thread TAB function TAB arguments TAB status.
// Lines starting with '#' are notes (sidecar lines that were ignored).
class Journal {
public:
    void setPath(const std::string& path);
    void write(const std::string& function, const std::string& arguments, const std::string& status);
    void note(const std::string& text);

private:
    void append(const std::string& line);

    std::mutex mutex;
    std::string path;
    std::uint64_t sequence = 0;
};

}  // namespace simquellan
