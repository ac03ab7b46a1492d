// The command line, split into command, operands and options.
#pragma once

#include "Table.h"

#include <chrono>
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
    // --output FILE: the rows go to the file instead of standard output.
    std::string output;
    bool help = false;
    // --strict: a configuration problem that is otherwise mentioned ends the run.
    bool strict = false;
    bool version = false;

    bool has(const std::string& name) const { return options.count(name) != 0; }
    // The value of an option the command cannot do without.
    const std::string& required(const std::string& name) const;
};

// An option that commands take, described once for the parser and the help.
struct OptionInfo {
    const char* name;         // "--start"
    const char* valueName;    // "T"
    const char* description;  // for the help
};

// The options every command takes, then the options of single commands.
const std::vector<OptionInfo>& globalOptions();
const OptionInfo& commandOption(const std::string& name);

// Raises a usage error for an unknown command or option, a missing option
// value, a repeated option, --csv together with --json, an empty --plugin,
// or operands and options that do not suit the command.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// Whole numbers for counts and intervals, in [minimum, maximum].
std::int64_t parseWholeNumber(const std::string& text, std::int64_t minimum, std::int64_t maximum,
                              const std::string& what);

// Seconds with up to three decimals ("0.5", "2", ".25"), from 0 to `maximum`.
std::chrono::milliseconds parseSeconds(const std::string& text, std::int64_t maximum, const std::string& what);

}  // namespace quellan
