// How far a long command has come, shown on standard error when that is a terminal.
#pragma once

#include <cstdint>
#include <string>

namespace quellan {

// Shows "<what>: N of TOTAL (P%)" on one line of standard error, rewritten
// in place; nothing at all when standard error is a file or a pipe, so that
// logs and scripts see no progress text. The line is cleared at the end.
class Progress {
public:
    Progress(std::string what, std::uint64_t total);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void show(std::uint64_t done);

private:
    std::string what;
    std::uint64_t total;
    bool visible;
    bool shown = false;
};

}  // namespace quellan
