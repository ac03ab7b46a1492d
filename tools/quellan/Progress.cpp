// Progress on a terminal's standard error.
#include "Progress.h"

#include "platform/Console.h"

#include <iostream>

namespace quellan {

Progress::Progress(std::string what, std::uint64_t total)
    : what(std::move(what)),
      total(total),
      visible(mq::platform::isTerminal(mq::platform::StandardStream::STANDARD_ERROR)) {}

Progress::~Progress() {
    // Blanks over the last text, so that an error message that follows starts clean.
    if (shown) std::cerr << '\r' << std::string(what.size() + 48, ' ') << '\r' << std::flush;
}

void Progress::show(std::uint64_t done) {
    if (!visible || total == 0) return;
    shown = true;
    std::cerr << '\r' << what << ": " << done << " of " << total << " (" << done * 100 / total << "%)" << std::flush;
}

}  // namespace quellan
