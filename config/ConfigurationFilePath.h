// Where the configuration file lies.
#pragma once

#include <string>

namespace mq {

// The data folder, a separator, the module prefix and "Configuration.xml".
// Computes the data folder afresh, so it re-creates the folder if it has
// been removed. May throw std::bad_alloc.
std::string configurationFilePath();

}  // namespace mq
