// The machine-wide folder that holds MultiQuellan's files.
#pragma once

#include <string>

namespace mq {

// The folders below the common application-data folder that hold the files, outermost first.
constexpr const char* DATA_FOLDER_NAMES[] = {"Kalmeno", "Quellan"};

// The common application-data folder followed by DATA_FOLDER_NAMES,
// created with its parents when it is missing. Empty when the platform cannot
// report the common folder; nothing is created then. May throw
// std::bad_alloc, leaving behind at most the folders created so far.
std::string dataFolder();

}  // namespace mq
