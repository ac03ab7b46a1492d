// The multiplexer's configuration: where it came from and the ordered child list.
#pragma once

#include "config/ConfigurationFileReader.h"
#include "config/ConfigurationSettings.h"

#include <string>

namespace mq {

struct ConfigurationRecord {
    // The configuration file the record was loaded from.
    std::string configurationPath;
    // Whether the file was read, and if not, why.
    ConfigurationFileState fileState = ConfigurationFileState::MISSING;
    // The settings and the children in file order; a child's position is its child index.
    ConfigurationSettings settings;
    // For a malformed file, what is wrong and where (ConfigurationFile::problem).
    std::string fileProblem{};
    // Empty, or why this privileged process loads no child of the file: it
    // names children, and others than the administrators may change it.
    std::string refusal{};
};

// What the record is read for.
enum class ConfigurationUse {
    // Loading the children into this process: read as readTrustedConfiguration
    // reads it, and a refused file leaves no list behind.
    LOAD_CHILDREN,
    // Showing and saving the list, which loads no child into this process: the
    // file as it is, so that saving keeps what it held.
    EDIT,
};

// Sets the module prefix, forms the configuration file's path (creating the
// data folder if it is missing) and reads the child list from that file.
// Never fails: a missing or unreadable file leaves `settings` empty, and if
// memory runs out the record keeps what was filled in so far.
void loadConfiguration(ConfigurationRecord& record, ConfigurationUse use = ConfigurationUse::LOAD_CHILDREN) noexcept;

}  // namespace mq
