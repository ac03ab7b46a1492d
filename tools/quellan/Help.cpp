// The text of `quellan --help`: the command table and option lists, wrapped, and the sections that explain them.
#include "Help.h"

#include "CommandLine.h"
#include "Commands.h"

#include <sstream>

namespace quellan {

namespace {

const std::size_t LINE_WIDTH = 78;

const char* const INTRODUCTION = R"(quellan - try a Quellan 2 plug-in from the command line

Usage: quellan [--plugin PATH] [--csv | --json] [--output FILE] COMMAND [ARGUMENTS...]

The plug-in is MultiQuellan, beside this program, unless --plugin names
another library (a relative path is taken from the current folder). Each run
loads it, calls quellan2_initialize, opens a connection with an empty
connection text when the command needs one, and closes, uninitializes and
unloads it again at the end.
)";

const char* const SECTIONS = R"(
Names:
  A tag is named by its node and its name, Node/Tag; below sub-nodes the
  whole path, Area/Unit/Tag. A node is named by its path. "#N" addresses the
  tag (or, where a node is expected, the node) with handle N, as
  `quellan tree` lists them; #0x1F is hexadecimal. A row of a tag addressed
  by handle is labelled with its path. A name shared by several tags is
  refused as ambiguous, with their handles; so is a handle of no tag.

Times:
  ISO 8601 with Z or an offset from UTC, 2024-05-01T12:00:00Z or
  2024-05-01T14:00:00+02:00; seconds since 1970, 1714564800; now; or a time
  relative to now, now-2h, -15m, now+30s (units s, m, h, d). From
  1970-01-01T00:00:00Z to 2038-01-19T03:14:07Z. Times are printed in
  ISO 8601 UTC.

Values to write:
  a number (12, -0.5, 1e3) is a float, null is null, anything else is a
  string. Quote a word to make it a string: '"12"' or '"null"'.

Output:
  UTF-8, as an aligned table by default, --csv or --json on request. Floats
  are printed with the fewest digits that read back as the same float.
  Table: control characters in texts are shown as \xNN. CSV: null is an
  empty field, an empty text is "". JSON: text the plug-in gave in another
  code page is converted; on Linux a byte that is not UTF-8 becomes U+FFFD.
  history and watch write rows as they come; a table's columns take their
  widths from the first 10000 rows (history) or the first row (watch).

Exit codes:
  0  success; also a watch ended by Ctrl-C and an output whose reader went
     away (quellan tree | head)
  1  the plug-in returned a failing status (named on stderr, such as
     QUELLAN2_STATUS_INVALID_PARAMETER) or a malformed answer
  2  bad command line: unknown command or option, wrong number of
     arguments, bad number, time or value
  3  a name or handle that matches no node or tag, or a name that matches
     several
  4  the plug-in cannot be loaded, or lacks a function the command needs
  5  any other failure; with --strict, a configuration file that gives
     MultiQuellan no child, or an empty tree although it names children
Errors are reported on stderr; nothing is written to stdout then, except by
history and watch, whose rows so far stay written.

Examples:
  quellan tree
  quellan --plugin ./SimQuellan.so read Line1/Temperature Line1/State
  quellan history Line1/Temperature '#3' --start 2024-05-01T00:00:00Z --interval 60 --samples 10 --csv
  quellan history Line1/Temperature --start -1d --interval 60 --samples 1440 --output day.csv
  quellan watch Line1/Temperature Line1/State --every 5
  quellan batches Line1 --from 2024-05-01T00:00:00Z --to 1714608000
  quellan batch-read B-100 Line1/Temperature --json
  quellan write-history Line1/Temperature Line1/State --time 2024-05-01T12:00:00Z --values 21.5 Running
  quellan write-history Line1/Temperature --time 1714564800 --interval 60 --samples 3 --values 1 2 null
  quellan write-batch B-100 Line1/Temperature Line1/State --values 20 '"42"'
  quellan batch-times Line1 B-100
)";

// The words of `text` in lines of at most LINE_WIDTH, each starting with `indent`.
std::string wrap(const std::string& text, const std::string& indent) {
    std::istringstream words(text);
    std::string result, line, word;
    while (words >> word) {
        if (!line.empty() && indent.size() + line.size() + 1 + word.size() > LINE_WIDTH) {
            result += indent + line + '\n';
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    if (!line.empty()) result += indent + line + '\n';
    return result;
}

std::string optionLine(const OptionInfo& option, const char* alias = nullptr) {
    const std::string value = std::string(*option.valueName ? " " : "") + option.valueName;
    std::string name = std::string("  ") + option.name + value;
    if (alias) name += std::string(", ") + alias + value;
    return name + '\n' + wrap(option.description, "      ");
}

std::string optionLines(const std::vector<OptionInfo>& options) {
    std::string text;
    for (const OptionInfo& option : options) text += optionLine(option);
    return text;
}

}  // namespace

HelpParts helpParts() {
    HelpParts parts{INTRODUCTION, "Options of every command (anywhere, also as --name=VALUE)",
                    "Options of single commands (anywhere, also before the command)", {}, SECTIONS};
    for (const Command& command : commands())
        for (const OptionUse& use : command.options) {
            const OptionInfo& option = commandOption(use.name);
            bool listed = false;
            for (const OptionInfo& seen : parts.commandOptions) listed = listed || std::string(seen.name) == option.name;
            if (!listed) parts.commandOptions.push_back(option);
        }
    return parts;
}

std::string helpText() {
    const HelpParts parts = helpParts();
    std::string text = parts.introduction;
    text += "\nCommands:\n";
    for (const Command& command : commands())
        text += "  " + synopsis(command) + '\n' + wrap(command.description, "      ");
    text += std::string("\n") + parts.globalOptionsTitle + ":\n";
    text += optionLines(globalOptions());
    text += std::string("\n") + parts.commandOptionsTitle + ":\n";
    text += optionLines(parts.commandOptions);
    return text + parts.sections;
}

std::string commandHelpText(const std::string& name) {
    const Command& command = findCommand(name);
    std::string text = "Usage: quellan " + synopsis(command) + "\n\n" + wrap(command.description, "");
    if (!command.options.empty()) {
        text += "\nOptions:\n";
        for (const OptionUse& use : command.options) text += optionLine(commandOption(use.name), use.alias);
    }
    std::string global;
    for (const OptionInfo& option : globalOptions())
        global += std::string(global.empty() ? "" : ", ") + option.name + (*option.valueName ? " " : "") +
                  option.valueName;
    return text + '\n' + wrap("Options of every command: " + global + " (quellan --help tells more).", "");
}

}  // namespace quellan
