// The text of `quellan --help` and of one command's help.
#pragma once

#include "CommandLine.h"

#include <string>
#include <vector>

namespace quellan {

// The parts of the help besides the command table, as the terminal shows
// them; the manual page (ManPage.cpp) is made from them too.
struct HelpParts {
    const char* introduction;  // the name line, the usage line, then what the tool does
    const char* globalOptionsTitle;
    const char* commandOptionsTitle;
    std::vector<OptionInfo> commandOptions;  // of single commands, each once, in table order
    const char* sections;                    // "Names:", "Times:", ... "Examples:", each a title and its lines
};

HelpParts helpParts();

// Made from the command table and the option lists, so that each synopsis
// and option is written once.
std::string helpText();

// `quellan help COMMAND` and `quellan COMMAND --help`: the command's synopsis,
// what it does and its own options, from the same table.
std::string commandHelpText(const std::string& command);

}  // namespace quellan
