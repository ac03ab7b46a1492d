// The command line, split into command, operands and options.
#pragma once

#include "Table.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace quellan {

struct CommandLine {
    std::string command;
    // The words after the command that are not options, in order.
    std::vector<std::string> operands;
    // Options with one value, by name with the dashes ("--start").
    std::map<std::string, std::string> options;
    // --values takes every word up to the next option.
    bool hasValues = false;
    std::vector<std::string> values;
    OutputFormat format = OutputFormat::TABLE;
    std::string plugin;
    bool help = false;

    bool has(const std::string& name) const { return options.count(name) != 0; }
    // The value of an option the command cannot do without.
    const std::string& required(const std::string& name) const;
    // The names of the options given other than --plugin, --csv, --json and --help.
    std::vector<std::string> commandOptions() const;
};

// Raises a usage error for an unknown option, a missing option value, a
// repeated option, or --csv together with --json.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// Whole numbers for counts and intervals, in [minimum, maximum].
std::int64_t parseWholeNumber(const std::string& text, std::int64_t minimum, std::int64_t maximum,
                              const std::string& what);

}  // namespace quellan
