// Writing quellan(1) in roff from the command table, the option lists and the help's sections.
#include "ManPage.h"

#include "CommandLine.h"
#include "Commands.h"
#include "Help.h"
#include "config/ConfigurationFilePath.h"
#include "config/DataFolder.h"

#include <cctype>
#include <sstream>
#include <vector>

namespace quellan {

namespace {

// Text for roff: a backslash is printed by \e and a minus sign by \- (a bare
// '-' may be set as a hyphen, which a reader cannot paste into a shell).
std::string escape(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (c == '\\')
            result += "\\e";
        else if (c == '-')
            result += "\\-";
        else
            result += c;
    }
    return result;
}

// One line of text; a leading '.' or '\'' would make it a request.
std::string textLine(const std::string& text) {
    const std::string escaped = escape(text);
    const bool control = !escaped.empty() && (escaped[0] == '.' || escaped[0] == '\'');
    return (control ? "\\&" : "") + escaped + '\n';
}

// A path as a tag of its own, which may break after each '/' (\\: is an
// invisible break point) where it is wider than the page.
std::string pathLine(const std::string& path) {
    std::string result;
    for (char c : escape(path)) result += c == '/' ? std::string("/\\:") : std::string(1, c);
    return result + '\n';
}

bool isWordCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.';
}

// A synopsis as man pages set it: literal words (the program, commands,
// options) bold, placeholders in capitals (TAG..., SECONDS) italic, brackets
// and bars roman.
std::string synopsisText(const std::string& synopsis) {
    std::string result;
    for (std::size_t at = 0; at < synopsis.size();) {
        if (!isWordCharacter(synopsis[at])) {
            result += escape(std::string(1, synopsis[at++]));
            continue;
        }
        std::size_t end = at;
        while (end < synopsis.size() && isWordCharacter(synopsis[end])) ++end;
        const std::string word = synopsis.substr(at, end - at);
        bool placeholder = word[0] != '-';
        for (char c : word) placeholder = placeholder && !std::islower(static_cast<unsigned char>(c));
        result += (placeholder ? "\\fI" : "\\fB") + escape(word) + "\\fR";
        at = end;
    }
    const bool control = !result.empty() && (result[0] == '.' || result[0] == '\'');
    return (control ? "\\&" : "") + result + '\n';
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream input(text);
    for (std::string line; std::getline(input, line);) lines.push_back(line);
    return lines;
}

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// A section heading; quoted, so that it may hold spaces.
std::string heading(const char* macro, const std::string& title) {
    return std::string(".") + macro + " \"" + escape(title) + "\"\n";
}

std::string optionItems(const std::vector<OptionInfo>& options) {
    std::string text;
    for (const OptionInfo& option : options) {
        const std::string value = *option.valueName ? std::string(" ") + option.valueName : std::string();
        text += ".TP\n" + synopsisText(option.name + value) + textLine(option.description);
    }
    return text;
}

// The help's name line, usage line and description.
std::string introduction(const std::string& text) {
    const std::vector<std::string> lines = linesOf(text);
    std::string page = ".SH NAME\n";
    if (!lines.empty()) page += textLine(lines.front());
    std::string description;
    std::string paragraph;
    const auto flush = [&] {
        if (!paragraph.empty()) description += (description.empty() ? "" : ".PP\n") + textLine(paragraph);
        paragraph.clear();
    };
    const std::string usage = "Usage: ";
    for (std::size_t k = 1; k < lines.size(); ++k) {
        const std::string& line = lines[k];
        if (line.rfind(usage, 0) == 0) {
            page += ".SH SYNOPSIS\n" + synopsisText(line.substr(usage.size()));
        } else if (trimmed(line).empty()) {
            flush();
        } else {
            paragraph += (paragraph.empty() ? "" : " ") + trimmed(line);
        }
    }
    flush();
    return page + ".SH DESCRIPTION\n" + description;
}

// The help's closing sections, laid out for the terminal: a title at the
// margin ending in ':'; text indented by two, continued at any indent; an item
// "  TAG  text" (the exit codes) continued further in; a line at the margin
// starting a paragraph of its own; and examples, one command a line.
std::string sections(const std::string& text) {
    std::string page;
    std::string paragraph;
    bool examples = false;
    bool marginParagraph = false;
    const auto flush = [&] {
        if (!paragraph.empty()) page += textLine(paragraph);
        paragraph.clear();
    };
    for (const std::string& line : linesOf(text)) {
        if (trimmed(line).empty()) continue;
        const bool atMargin = line[0] != ' ';
        if (atMargin && line.back() == ':') {
            flush();
            marginParagraph = false;
            if (examples) page += ".fi\n.RE\n";
            const std::string title = line.substr(0, line.size() - 1);
            examples = title == "Examples";
            page += heading("SH", upper(title));
            if (examples) page += ".RS\n.nf\n";
            continue;
        }
        if (examples) {
            page += textLine(trimmed(line));
            continue;
        }
        const std::size_t tagEnd = line.find("  ", 2);
        const bool item = line.rfind("  ", 0) == 0 && line[2] != ' ' && tagEnd != std::string::npos &&
                          line.find(' ', 2) == tagEnd;
        // A line at the margin starts a paragraph unless it goes on with one.
        if ((atMargin && !marginParagraph) || item) {
            flush();
            if (item) {
                page += ".TP\n" + textLine(line.substr(2, tagEnd - 2));
                paragraph = trimmed(line.substr(tagEnd));
                continue;
            }
            page += ".PP\n";
        }
        paragraph += (paragraph.empty() ? "" : " ") + trimmed(line);
        marginParagraph = atMargin;
    }
    flush();
    if (examples) page += ".fi\n.RE\n";
    return page;
}

}  // namespace

std::string manPage(const ManPageFiles& files) {
    const HelpParts parts = helpParts();
    // No date: the page is the same for every build of one version.
    std::string page = ".\\\" quellan(1), made by `quellan --internal-man` from the tool's command table.\n"
                       ".TH QUELLAN 1 \"\" \"quellan " QUELLAN_VERSION "\" \"User Commands\"\n"
                       // Command and option names must not be broken at their hyphens.
                       ".nh\n"
                       // Long identifiers would stretch justified lines.
                       ".ad l\n";
    page += introduction(parts.introduction);

    page += ".SH COMMANDS\n";
    for (const Command& command : commands())
        page += ".TP\n" + synopsisText(synopsis(command)) + textLine(command.description);

    page += ".SH OPTIONS\n";
    page += heading("SS", parts.globalOptionsTitle) + optionItems(globalOptions());
    page += heading("SS", parts.commandOptionsTitle) + optionItems(parts.commandOptions);

    page += sections(parts.sections);

    // Where MultiQuellan, the default plug-in, finds its children: the names
    // are the configuration code's own; /etc/xdg is the POSIX default of
    // platform/posix/FileSystem.cpp, which the tool cannot ask at build time
    // without making the folder.
    std::string dataFolder;
    for (const char* name : mq::DATA_FOLDER_NAMES) dataFolder += (dataFolder.empty() ? "" : "/") + std::string(name);
    page += ".SH FILES\n.TP\n" +
            pathLine("/etc/xdg/" + dataFolder + "/MultiQuellan" + mq::CONFIGURATION_FILE_SUFFIX) +
            textLine("The configuration file of MultiQuellan, the default plug-in: the children it loads, in order, "
                     "and the attributes that change how they are called. The folder is the first one "
                     "XDG_CONFIG_DIRS names, if any, plus " + dataFolder +
                     "; loading the library creates it when it is missing. quellan children shows what the "
                     "library makes of the file.");
    if (!files.example.empty())
        page += ".TP\n" + pathLine(files.example) +
                textLine("An example configuration file with every attribute, each explained: what it does, its "
                         "values and its default.");
    page += ".SH ENVIRONMENT\n.TP\n.B XDG_CONFIG_DIRS\n" +
            textLine("The folders of machine-wide configuration, separated by ':'. MultiQuellan takes only the "
                     "first: its configuration folder is that one plus " + dataFolder + ". When the variable is "
                     "unset or empty, or its first entry is not an absolute path, /etc/xdg is taken. A process "
                     "running set-user-ID or set-group-ID ignores the variable, so that whoever starts it cannot "
                     "choose the libraries it loads.");
    if (!files.readme.empty())
        page += ".SH \"SEE ALSO\"\n" + pathLine(files.readme) +
                textLine("tells the library's whole story: the configuration file and its attributes, parallel "
                         "calls and timeouts, isolated children, the status node, the fault log, and more on "
                         "quellan children and quellan check.");
    return page;
}

}  // namespace quellan
