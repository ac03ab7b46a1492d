// The machine-wide folder that holds MultiQuellan's files.
#pragma once

#include <string>

namespace mq {

// The common application-data folder followed by "Kalmeno" and "Quellan",
// created with its parents when it is missing. Empty when the platform cannot
// report the common folder; nothing is created then. May throw
// std::bad_alloc, leaving behind at most the folders created so far.
std::string dataFolder();

}  // namespace mq
