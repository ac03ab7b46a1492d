// Splitting the tool's command line into command, operands and options.
#include "CommandLine.h"

#include "ToolError.h"

#include <algorithm>
#include <cctype>

namespace quellan {

namespace {

const std::vector<std::string> OPTIONS_WITH_VALUE = {"--plugin", "--start", "--interval", "--samples",
                                                     "--time",   "--from",  "--to"};

bool isOption(const std::string& word) {
    // A single dash starts negative numbers, which are values.
    return word.size() > 2 && word[0] == '-' && word[1] == '-';
}

}  // namespace

const std::string& CommandLine::required(const std::string& name) const {
    auto found = options.find(name);
    if (found == options.end()) throw usageError(command + " needs " + name);
    return found->second;
}

std::vector<std::string> CommandLine::commandOptions() const {
    std::vector<std::string> names;
    for (const auto& option : options)
        if (option.first != "--plugin") names.push_back(option.first);
    if (hasValues) names.push_back("--values");
    return names;
}

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool formatGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string word = arguments[i];
        if (word == "-h") word = "--help";
        if (!isOption(word)) {
            if (line.command.empty())
                line.command = word;
            else
                line.operands.push_back(word);
            continue;
        }
        std::string name = word;
        std::string value;
        bool inlineValue = false;
        std::string::size_type equals = word.find('=');
        if (equals != std::string::npos) {
            name = word.substr(0, equals);
            value = word.substr(equals + 1);
            inlineValue = true;
        }
        if (name == "--help" || name == "--csv" || name == "--json") {
            if (inlineValue) throw usageError(name + " takes no value");
            if (name == "--help") {
                line.help = true;
                continue;
            }
            OutputFormat format = name == "--csv" ? OutputFormat::CSV : OutputFormat::JSON;
            if (formatGiven && format != line.format) throw usageError("give either --csv or --json, not both");
            formatGiven = true;
            line.format = format;
        } else if (name == "--values") {
            if (line.hasValues) throw usageError("--values is given twice");
            line.hasValues = true;
            if (inlineValue) line.values.push_back(value);
            while (i + 1 < arguments.size() && !isOption(arguments[i + 1])) line.values.push_back(arguments[++i]);
        } else if (std::find(OPTIONS_WITH_VALUE.begin(), OPTIONS_WITH_VALUE.end(), name) !=
                   OPTIONS_WITH_VALUE.end()) {
            if (!inlineValue) {
                if (i + 1 >= arguments.size()) throw usageError(name + " needs a value");
                value = arguments[++i];
            }
            if (!line.options.emplace(name, value).second) throw usageError(name + " is given twice");
            if (name == "--plugin") line.plugin = value;
        } else {
            throw usageError("unknown option " + name);
        }
    }
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

}  // namespace quellan
