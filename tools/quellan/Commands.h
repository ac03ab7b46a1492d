// The command table: each command's name, operands, options, help and run function.
#pragma once

#include "CommandLine.h"
#include "PluginSession.h"
#include "Table.h"

#include <cstddef>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace quellan {

// An operand count without an upper bound.
constexpr std::size_t ANY = std::numeric_limits<std::size_t>::max();

// An option of a command: its name as in commandOption(), whether the
// command needs it, and another name the command also takes it by (history's
// --from for --start); its value is found under `name` either way.
struct OptionUse {
    const char* name;
    bool required = false;
    const char* alias = nullptr;
};

// When a command's rows are written.
enum class Output {
    AT_END,    // once the plug-in is done with, so that a failure leaves the output empty
    STREAMED,  // as they come; the command flushes the writer when rows should be seen
};

// One command. The parser, the usage messages and the help are all made
// from this table, so a command is described only here.
struct Command {
    const char* name;
    const char* operands;  // "TAG...", "BATCH TAG...", "[TEXT]" or ""
    std::size_t minimumOperands;
    std::size_t maximumOperands;
    std::vector<OptionUse> options;  // besides the global ones
    const char* description;         // for the help, wrapped there
    Output output;
    // Checks the command's own arguments before it touches the plug-in, then
    // makes its calls and writes its rows (columns first).
    void (*run)(const CommandLine& line, PluginSession& session, RowWriter& out);
    // Instead of `run`, for the commands that look at plug-ins rather than
    // use one (children, check): they load what they look at themselves,
    // write to `out` (standard output or --output's file) and give the exit code.
    int (*inspect)(const CommandLine& line, std::ostream& out, std::ostream& err) = nullptr;
    // Whether `run` opens a connection: then, with the default plug-in, the
    // tool says when MultiQuellan's configuration gives it no child.
    bool opensConnection = true;
};

// Every command, in the order the help lists them.
const std::vector<Command>& commands();

// Raises a usage error for an unknown command.
const Command& findCommand(const std::string& name);

// "history TAG... --start T [--interval SECONDS] [--samples N]"
std::string synopsis(const Command& command);

}  // namespace quellan
