// The text of `quellan --help`.
#pragma once

#include <string>

namespace quellan {

// Made from the command table and the option lists, so that each synopsis
// and option is written once.
std::string helpText();

}  // namespace quellan
