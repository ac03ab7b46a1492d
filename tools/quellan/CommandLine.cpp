// Parsing the tool's command line with CLI11, from the command table.
#include "CommandLine.h"

#include "Commands.h"
#include "ToolError.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>

namespace quellan {

namespace {

const std::vector<OptionInfo> GLOBAL_OPTIONS = {
    {"--plugin", "PATH", "the plug-in library to load (default: MultiQuellan beside this program)"},
    {"--csv", "", "write comma-separated values"},
    {"--json", "", "write a JSON array with one object per row"},
    {"--output", "FILE", "write the rows to FILE instead of standard output, as CSV for .csv, JSON for "
                         ".json, a table otherwise, unless --csv or --json says"},
    {"--strict", "", "with the default plug-in, MultiQuellan: end with exit code 5, before the command's rows, when "
                     "its configuration file gives it no child (missing, unreadable, empty, not well-formed, or "
                     "naming no child) or its tree is empty although the file names children, which a command "
                     "that opens the connection otherwise only mentions; with validate, a warning counts as a "
                     "problem"},
    {"--version", "", "the program's name and version"},
    {"--help", "", "this text (also -h); with a command, that command's usage and options only"},
};

const std::vector<OptionInfo> COMMAND_OPTIONS = {
    {"--start", "T", "the first time point"},
    {"--interval", "SECONDS", "seconds from one time point to the next"},
    {"--samples", "N", "the number of time points"},
    {"--time", "T", "the time point of a write or of a batch"},
    {"--from", "T", "the start of a span of time, not after --to"},
    {"--to", "T", "the end of a span of time"},
    {"--values", "V...", "the values to write: every following word up to the next option"},
    {"--every", "SECONDS", "seconds from one read to the next, with up to three decimals (0.5)"},
    {"--count", "N", "the number of reads"},
};

bool isOptionWord(const std::string& word) {
    // A single dash and a digit start a negative number, which is a value.
    return word.size() > 1 && word[0] == '-' && !std::isdigit(static_cast<unsigned char>(word[1]));
}

std::string optionName(const std::string& word) {
    return word.substr(0, word.find('='));
}

// What CLI11 left over, as the tool's own message.
ToolError leftOverError(const CommandLine& line, const std::vector<std::string>& words) {
    if (line.command.empty()) {
        const std::string& word = words.front();
        if (isOptionWord(word)) return usageError("unknown option " + optionName(word));
        return usageError("unknown command \"" + word + "\"");
    }
    const Command& command = findCommand(line.command);
    for (const std::string& word : words) {
        if (!isOptionWord(word)) continue;
        const std::string name = optionName(word);
        const bool known = std::any_of(COMMAND_OPTIONS.begin(), COMMAND_OPTIONS.end(),
                                       [&](const OptionInfo& option) { return name == option.name; });
        if (!known) return usageError("unknown option " + name);
        return usageError(line.command + " takes no " + name + "; usage: quellan " + synopsis(command));
    }
    return usageError("wrong number of arguments; usage: quellan " + synopsis(command));
}

// The options that take no value.
bool isFlag(const std::string& name) {
    return name == "--csv" || name == "--json" || name == "--help" || name == "-h" || name == "--version" ||
           name == "--strict";
}

// Options may stand anywhere after the program name, also before the command
// (`quellan --start T history TAG`), as they always could; the parser wants
// the command's own options after the command, so the command word goes first.
// The command is the first word that is not an option or an option's value
// (--values takes every following word up to the next option).
std::vector<std::string> commandFirst(std::vector<std::string> words) {
    for (std::size_t k = 0; k < words.size(); ++k) {
        const std::string& word = words[k];
        if (!isOptionWord(word)) {
            std::rotate(words.begin(), words.begin() + static_cast<std::ptrdiff_t>(k),
                        words.begin() + static_cast<std::ptrdiff_t>(k) + 1);
            break;
        }
        if (isFlag(word) || word.find('=') != std::string::npos) continue;
        if (word == "--values") {
            while (k + 1 < words.size() && !isOptionWord(words[k + 1])) ++k;
        } else {
            ++k;
        }
    }
    return words;
}

}  // namespace

const std::string& CommandLine::required(const std::string& name) const {
    auto found = options.find(name);
    if (found == options.end()) throw usageError(command + " needs " + name);
    return found->second;
}

const std::vector<OptionInfo>& globalOptions() {
    return GLOBAL_OPTIONS;
}

const OptionInfo& commandOption(const std::string& name) {
    for (const OptionInfo& option : COMMAND_OPTIONS)
        if (name == option.name) return option;
    throw ToolError(ExitCode::INTERNAL, "the command table names an unknown option " + name);
}

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    CLI::App app("quellan");
    // The help is the tool's own, made from the command table.
    app.set_help_flag();
    app.allow_extras();
    // One command per run: a later word that happens to be a command's name
    // is an operand.
    app.require_subcommand(0, 1);
    bool csv = false, json = false;
    app.add_flag("--csv", csv);
    app.add_flag("--json", json);
    app.add_flag("-h,--help", line.help);
    app.add_flag("--version", line.version);
    app.add_flag("--strict", line.strict);
    CLI::Option* plugin = app.add_option("--plugin", line.plugin);
    CLI::Option* output = app.add_option("--output", line.output);
    for (CLI::Option* option : {plugin, output}) option->multi_option_policy(CLI::MultiOptionPolicy::Throw);

    // Each option's value, by name; a std::map keeps the references stable.
    std::map<std::string, std::string> given;
    std::vector<std::pair<const Command*, CLI::App*>> subcommands;
    for (const Command& command : commands()) {
        CLI::App* sub = app.add_subcommand(command.name);
        sub->fallthrough();
        sub->allow_extras();
        sub->set_help_flag();
        sub->add_option("operands", line.operands);
        for (const OptionUse& use : command.options) {
            if (std::string(use.name) == "--values") {
                sub->add_option("--values", line.values)
                    ->expected(1, CLI::detail::expected_max_vector_size)
                    ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
                continue;
            }
            const std::string names = use.alias ? std::string(use.name) + "," + use.alias : std::string(use.name);
            sub->add_option(names, given[use.name])->multi_option_policy(CLI::MultiOptionPolicy::Throw);
        }
        subcommands.emplace_back(&command, sub);
    }

    // CLI11 would take the next word as the value of "--name=": an empty
    // value is refused here instead.
    for (const std::string& word : arguments)
        if (isOptionWord(word) && word.back() == '=' && word.find('=') + 1 == word.size())
            throw usageError(optionName(word) + " needs a value");
    const std::vector<std::string> ordered = commandFirst(arguments);
    // An option given by both its names (history --start and --from) is one option given twice.
    for (const Command& command : commands()) {
        if (ordered.empty() || ordered.front() != command.name) continue;
        for (const OptionUse& use : command.options) {
            if (!use.alias) continue;
            const auto given = [&](const char* name) {
                return std::any_of(ordered.begin(), ordered.end(),
                                   [&](const std::string& word) { return optionName(word) == name; });
            };
            if (given(use.name) && given(use.alias))
                throw usageError(std::string("give ") + use.name + " or " + use.alias + ", not both: they are one option");
        }
    }
    std::vector<std::string> words(ordered.rbegin(), ordered.rend());
    try {
        app.parse(words);
    } catch (const CLI::ParseError& error) {
        throw usageError(error.what());
    }
    for (const auto& [command, sub] : subcommands) {
        if (!sub->parsed()) continue;
        line.command = command->name;
        for (const OptionUse& use : command->options)
            if (sub->count(use.name) > 0 && std::string(use.name) != "--values")
                line.options[use.name] = given[use.name];
        const CLI::Option* values = sub->get_option_no_throw("--values");
        line.hasValues = values && values->count() > 0;
    }
    // With --help the command, if any, is the topic; the rest need not be complete.
    if (line.help || line.version) return line;
    if (plugin->count() > 0 && line.plugin.empty()) throw usageError("--plugin needs a path");
    if (output->count() > 0 && line.output.empty()) throw usageError("--output needs a file name");
    std::vector<std::string> leftOver = app.remaining(true);
    if (!leftOver.empty()) throw leftOverError(line, leftOver);
    if (line.command.empty()) throw usageError("no command given");

    if (csv && json) throw usageError("give either --csv or --json, not both");
    line.format = csv ? OutputFormat::CSV : json ? OutputFormat::JSON
                  : line.output.empty() ? OutputFormat::TABLE : formatOfFile(line.output);

    const Command& command = findCommand(line.command);
    if (line.operands.size() < command.minimumOperands || line.operands.size() > command.maximumOperands)
        throw usageError("wrong number of arguments; usage: quellan " + synopsis(command));
    return line;
}

std::int64_t parseWholeNumber(const std::string& text, std::int64_t minimum, std::int64_t maximum,
                              const std::string& what) {
    std::int64_t number = 0;
    bool valid = !text.empty() && text.size() <= 18;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) valid = false;
        if (valid) number = number * 10 + (c - '0');
    }
    if (!valid || number < minimum || number > maximum)
        throw usageError("bad number \"" + text + "\" for " + what + ": give a whole number from " +
                         std::to_string(minimum) + " to " + std::to_string(maximum));
    return number;
}

std::chrono::milliseconds parseSeconds(const std::string& text, std::int64_t maximum, const std::string& what) {
    const std::size_t point = text.find('.');
    const std::string whole = text.substr(0, point);
    const std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
    bool valid = !(whole.empty() && fraction.empty()) && whole.size() <= 12 && fraction.size() <= 3 &&
                 (point == std::string::npos || !fraction.empty());
    for (char c : whole + fraction) valid = valid && std::isdigit(static_cast<unsigned char>(c));
    // Whole seconds then thousandths: twelve digits of seconds stay far inside 64 bits.
    std::int64_t milliseconds = 0;
    for (std::size_t k = 0; valid && k < whole.size() + 3; ++k) {
        const std::size_t decimal = k - whole.size();
        const char digit = k < whole.size() ? whole[k] : decimal < fraction.size() ? fraction[decimal] : '0';
        milliseconds = milliseconds * 10 + (digit - '0');
    }
    if (!valid || milliseconds > maximum * 1000)
        throw usageError("bad number \"" + text + "\" for " + what + ": give seconds from 0 to " +
                         std::to_string(maximum) + ", with at most three decimals (0.5)");
    return std::chrono::milliseconds(milliseconds);
}

}  // namespace quellan
