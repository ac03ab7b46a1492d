// Where the configuration file lies.
#pragma once

#include <string>

namespace mq {

// What follows the module prefix in the configuration file's name.
constexpr const char* CONFIGURATION_FILE_SUFFIX = "Configuration.xml";

// The data folder, a separator, the module prefix and "Configuration.xml".
// Computes the data folder afresh, so it re-creates the folder if it has
// been removed. May throw std::bad_alloc.
std::string configurationFilePath();

}  // namespace mq
