// Creating a directory together with the missing directories above it.
#pragma once

#include <string>

namespace mq {

// Creates the directory and every missing directory above it, from the top
// down. True when an entry exists at the path afterwards (a file counts) or
// the path is a file-system root; false otherwise, also for a path longer
// than the platform accepts and when memory runs out.
bool createDirectories(const std::string& path) noexcept;

}  // namespace mq
