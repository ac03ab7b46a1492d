// Writing the bash completion from the command table and the option lists, so that a new command or option completes at once.
#include "Completion.h"

#include "CommandLine.h"
#include "Commands.h"

#include <sstream>
#include <vector>

namespace quellan {

namespace {

// What completes a value or an operand named `placeholder` ("PATH", "[COMMAND]",
// "install|remove"): "@file", "@command", the words to offer, or nothing.
std::string completionOf(std::string placeholder) {
    for (const char* bracket : {"[", "]"})
        for (std::size_t at; (at = placeholder.find(bracket)) != std::string::npos;) placeholder.erase(at, 1);
    if (placeholder.size() > 3 && placeholder.compare(placeholder.size() - 3, 3, "...") == 0)
        placeholder.resize(placeholder.size() - 3);
    if (placeholder == "PATH" || placeholder == "FILE") return "@file";
    if (placeholder == "COMMAND") return "@command";
    if (placeholder.find('|') == std::string::npos) return {};
    for (char& c : placeholder)
        if (c == '|') c = ' ';
    return placeholder;
}

std::string joined(const std::vector<std::string>& words, const char* separator) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : separator) + word;
    return text;
}

}  // namespace

std::string bashCompletion() {
    std::vector<std::string> commandNames, globalNames, fileOptions, valueOptions;
    const auto noteValue = [&](const OptionInfo& option, const char* name) {
        if (!*option.valueName || std::string(name) == "--values") return;
        (completionOf(option.valueName) == "@file" ? fileOptions : valueOptions).push_back(name);
    };
    for (const OptionInfo& option : globalOptions()) {
        globalNames.push_back(option.name);
        noteValue(option, option.name);
    }
    std::string commandOptions, operands;
    std::vector<std::string> seen;
    for (const Command& command : commands()) {
        commandNames.push_back(command.name);
        std::vector<std::string> names;
        for (const OptionUse& use : command.options) {
            for (const char* name : {use.name, use.alias}) {
                if (!name) continue;
                names.push_back(name);
                bool known = false;
                for (const std::string& other : seen) known = known || other == name;
                if (known) continue;
                seen.push_back(name);
                noteValue(commandOption(use.name), name);
            }
        }
        if (!names.empty())
            commandOptions += std::string("        ") + command.name + ") options+=\" " + joined(names, " ") + "\" ;;\n";
        // Each operand by its place; the last one repeats when it ends in "...".
        std::istringstream words(command.operands);
        std::size_t place = 0;
        std::string conditions;
        for (std::string word; words >> word; ++place) {
            const std::string completion = completionOf(word);
            if (completion.empty()) continue;
            const bool repeats = word.find("...") != std::string::npos;
            conditions += std::string(conditions.empty() ? "" : "; ") + "((operands " + (repeats ? ">=" : "==") +
                          " " + std::to_string(place) + ")) && kind=\"" + completion + "\"";
        }
        if (!conditions.empty()) operands += std::string("        ") + command.name + ") " + conditions + " ;;\n";
    }
    const std::string allCommands = joined(commandNames, " ");
    const std::string fileCase = fileOptions.empty() ? "--no-such-option" : joined(fileOptions, "|");
    const std::string valueCase = valueOptions.empty() ? "--no-such-option" : joined(valueOptions, "|");

    return "# bash completion for quellan, made by `quellan --internal-bash-completion` from its command table.\n"
           "_quellan() {\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=\"\" word command=\"\" kind=\"\" i operands=0 values=0\n"
           "    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}\n"
           "    COMPREPLY=()\n"
           "    # bash splits --name=VALUE at the '='.\n"
           "    if [[ $cur == = ]]; then\n"
           "        cur=\"\"\n"
           "    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then\n"
           "        prev=${COMP_WORDS[COMP_CWORD - 2]}\n"
           "    fi\n"
           "    case $prev in\n"
           "        " + fileCase + ")\n"
           "            compopt -o filenames 2>/dev/null\n"
           "            mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n"
           "            return ;;\n"
           "        " + valueCase + ") return ;;\n"
           "    esac\n"
           "    # The command is the first word that is neither an option nor an option's value;\n"
           "    # --values takes every word up to the next option.\n"
           "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
           "        word=${COMP_WORDS[i]}\n"
           "        case $word in\n"
           "            --values) values=1; continue ;;\n"
           "            " + fileCase + "|" + valueCase + ")\n"
           "                values=0\n"
           "                [[ ${COMP_WORDS[i + 1]} == = ]] && i=$((i + 1))\n"
           "                i=$((i + 1))\n"
           "                continue ;;\n"
           "            -[0-9]*) ;;\n"
           "            -*) values=0; continue ;;\n"
           "        esac\n"
           "        ((values)) && continue\n"
           "        if [[ -z $command ]]; then command=$word; else operands=$((operands + 1)); fi\n"
           "    done\n"
           "    if [[ $cur == -* ]]; then\n"
           "        local options=\"" + joined(globalNames, " ") + "\"\n"
           "        case $command in\n" + commandOptions +
           "        esac\n"
           "        mapfile -t COMPREPLY < <(compgen -W \"$options\" -- \"$cur\")\n"
           "        return\n"
           "    fi\n"
           "    ((values)) && return\n"
           "    if [[ -z $command ]]; then\n"
           "        mapfile -t COMPREPLY < <(compgen -W \"" + allCommands + "\" -- \"$cur\")\n"
           "        return\n"
           "    fi\n"
           "    case $command in\n" + operands +
           "    esac\n"
           "    case $kind in\n"
           "        \"\") ;;\n"
           "        @file)\n"
           "            compopt -o filenames 2>/dev/null\n"
           "            mapfile -t COMPREPLY < <(compgen -f -- \"$cur\") ;;\n"
           "        @command) mapfile -t COMPREPLY < <(compgen -W \"" + allCommands + "\" -- \"$cur\") ;;\n"
           "        *) mapfile -t COMPREPLY < <(compgen -W \"$kind\" -- \"$cur\") ;;\n"
           "    esac\n"
           "}\n"
           "complete -F _quellan quellan\n";
}

}  // namespace quellan
