// The multiplexer's configuration: where it came from and the ordered child list.
#pragma once

#include <string>
#include <vector>

namespace mq {

struct ConfigurationRecord {
    // The configuration file the record was loaded from.
    std::string configurationPath;
    // The child libraries in file order; a child's position is its child index.
    std::vector<std::string> childPaths;
};

// Sets the module prefix, forms the configuration file's path (creating the
// data folder if it is missing) and reads the child list from that file.
// Never fails: a missing or unreadable file leaves `childPaths` empty, and if
// memory runs out the record keeps what was filled in so far.
void loadConfiguration(ConfigurationRecord& record) noexcept;

}  // namespace mq
