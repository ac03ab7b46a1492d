// The commands of the tool.
#pragma once

#include "CommandLine.h"
#include "PluginSession.h"
#include "Table.h"

#include <cstddef>
#include <string>
#include <vector>

namespace quellan {

struct Command {
    const char* name;
    const char* synopsis;
    std::size_t minimumOperands;
    std::size_t maximumOperands;
    // Options the command takes besides --plugin, --csv, --json and --help.
    std::vector<std::string> options;
    // Checks the command's own arguments before it touches the plug-in.
    Table (*run)(const CommandLine& line, PluginSession& session);
};

// Raises a usage error for an unknown command.
const Command& findCommand(const std::string& name);

// Raises a usage error when the operands or options do not suit the command.
void checkUsage(const Command& command, const CommandLine& line);

}  // namespace quellan
