// The text of `quellan --help` and of one command's help.
#pragma once

#include <string>

namespace quellan {

// Made from the command table and the option lists, so that each synopsis
// and option is written once.
std::string helpText();

// `quellan help COMMAND` and `quellan COMMAND --help`: the command's synopsis,
// what it does and its own options, from the same table.
std::string commandHelpText(const std::string& command);

}  // namespace quellan
