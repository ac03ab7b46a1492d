// Parsing the configuration file into its settings, keeping every attribute of the elements it knows.
#include "config/ConfigurationFileReader.h"

#include "config/ConfigurationOutline.h"
#include "platform/FileSystem.h"

#include <boost/property_tree/detail/rapidxml.hpp>
#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <istream>
#include <streambuf>
#include <vector>

namespace mq {

namespace {

namespace xml = boost::property_tree::xml_parser;
using Tree = boost::property_tree::ptree;

// The file needs two levels. The XML parser descends recursively, so a
// document of a million nested elements would exhaust the stack instead of
// failing; anything deeper than this is treated as malformed.
constexpr int MAX_NESTING = 64;

bool isWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isElementNameCharacter(char c) {
    return c != '\0' && !isWhitespace(c) && c != '/' && c != '>' && c != '?';
}

bool isAttributeNameCharacter(char c) {
    return isElementNameCharacter(c) && c != '<' && c != '=' && c != '!';
}

bool startsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// False when elements nest deeper than MAX_NESTING. It reads the text the way
// the parser does, so it never sees less nesting than the parser would see
// before it stops at an error; it stops where the parser would.
bool nestingWithinLimit(const char* text) {
    const char* p = text;
    int depth = 0;
    auto skipPast = [&p](const char* terminator) {
        const char* found = std::strstr(p, terminator);
        p = found ? found + std::strlen(terminator) : nullptr;
        return p != nullptr;
    };
    while (*p) {
        if (*p++ != '<') continue;
        if (*p == '/') {
            if (depth > 0) --depth;
            if (!skipPast(">")) return true;
        } else if (*p == '?') {
            ++p;
            if (!skipPast("?>")) return true;
        } else if (startsWith(p, "!--")) {
            p += 3;
            if (!skipPast("-->")) return true;
        } else if (startsWith(p, "![CDATA[")) {
            p += 8;
            if (!skipPast("]]>")) return true;
        } else if (startsWith(p, "!DOCTYPE") && isWhitespace(p[8])) {
            // Bracketed declarations may hold '>' of their own.
            int brackets = 0;
            for (; *p && (*p != '>' || brackets > 0); ++p) {
                if (*p == '[') ++brackets;
                if (*p == ']' && brackets > 0) --brackets;
            }
            if (!*p++) return true;
        } else if (*p == '!') {
            if (!skipPast(">")) return true;
        } else {
            while (isElementNameCharacter(*p)) ++p;
            for (;;) {
                while (isWhitespace(*p)) ++p;
                if (!isAttributeNameCharacter(*p)) break;
                while (isAttributeNameCharacter(*p)) ++p;
                while (isWhitespace(*p)) ++p;
                if (*p++ != '=') return true;
                while (isWhitespace(*p)) ++p;
                char quote = *p++;
                if (quote != '"' && quote != '\'') return true;
                p = std::strchr(p, quote);
                if (!p) return true;
                ++p;
            }
            if (*p == '>') {
                ++p;
                if (++depth > MAX_NESTING) return false;
            } else if (p[0] == '/' && p[1] == '>') {
                p += 2;
            } else {
                return true;
            }
        }
    }
    return true;
}

bool readWholeFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0) return false;
    in.seekg(0, std::ios::beg);
    text.resize(static_cast<std::size_t>(size));
    in.read(&text[0], size);
    // A file that shrank meanwhile is read as far as it goes.
    text.resize(static_cast<std::size_t>(in.gcount()));
    return !in.bad();
}

// Lets the parser read the text in place instead of through another copy.
class TextInput : public std::streambuf {
public:
    explicit TextInput(std::string& text) { setg(&text[0], &text[0], &text[0] + text.size()); }
};

// Where the parser stopped in `text`, and why. The tree reader reports the
// line alone, so the text is parsed again by the same parser, with the flags
// the tree reader gives it, to find the column too.
std::string parseProblem(const std::string& text) {
    namespace rapidxml = boost::property_tree::detail::rapidxml;
    std::vector<char> copy(text.begin(), text.end());
    copy.push_back('\0');
    try {
        rapidxml::xml_document<char> document;
        document.parse<0>(copy.data());
    } catch (const rapidxml::parse_error& error) {
        return std::string(error.what()) + " at " + describe(placeIn(copy.data(), error.where<char>()));
    }
    return "not a well-formed document";
}

const Tree* firstChild(const Tree& tree, const std::string& key) {
    for (const auto& child : tree) {
        if (child.first == key) return &child.second;
    }
    return nullptr;
}

Attributes attributesOf(const Tree& element) {
    Attributes attributes;
    if (const Tree* list = firstChild(element, xml::xmlattr<std::string>())) {
        for (const auto& attribute : *list) attributes.push_back(Attribute{attribute.first, attribute.second.data()});
    }
    return attributes;
}

ConfigurationSettings settingsOf(const Tree& settingsElement) {
    ConfigurationSettings settings;
    settings.attributes = attributesOf(settingsElement);
    for (const auto& element : settingsElement) {
        if (element.first != CHILD_ELEMENT) continue;
        Attributes attributes = attributesOf(element.second);
        const std::string* path = findAttribute(attributes, PATH_ATTRIBUTE);
        if (!path) continue;
        ChildEntry child{*path, std::move(attributes)};
        removeAttribute(child.attributes, PATH_ATTRIBUTE);
        settings.children.push_back(std::move(child));
    }
    return settings;
}

}  // namespace

const char* describe(ConfigurationFileState state) noexcept {
    switch (state) {
    case ConfigurationFileState::READ: return "read";
    case ConfigurationFileState::MISSING: return "missing";
    case ConfigurationFileState::UNREADABLE: return "unreadable";
    case ConfigurationFileState::EMPTY: return "empty";
    case ConfigurationFileState::MALFORMED: return "malformed";
    case ConfigurationFileState::NO_SETTINGS: return "without a settings element";
    }
    return "unknown";
}

ConfigurationFile readConfigurationSettings(const std::string& path) noexcept {
    ConfigurationFile file;
    try {
        if (!platform::entryExists(path)) return file;
        file.state = ConfigurationFileState::UNREADABLE;
        std::string text;
        if (!platform::isReadableFile(path) || !readWholeFile(path, text)) return file;
        return configurationSettingsOf(text);
    } catch (...) {
        // Running out of memory leaves the state of the step it stopped in.
        file.settings = ConfigurationSettings{};
    }
    return file;
}

ConfigurationFile configurationSettingsOf(std::string& text) noexcept {
    ConfigurationFile file;
    try {
        file.state = ConfigurationFileState::EMPTY;
        if (std::all_of(text.begin(), text.end(), isWhitespace)) return file;
        file.state = ConfigurationFileState::MALFORMED;
        if (!nestingWithinLimit(text.c_str())) {
            file.problem = "elements nested more than " + std::to_string(MAX_NESTING) + " levels deep";
            return file;
        }
        TextInput buffer(text);
        std::istream input(&buffer);
        Tree document;
        try {
            xml::read_xml(input, document, xml::no_comments);
        } catch (const xml::xml_parser_error&) {
            file.problem = parseProblem(text);
            return file;
        }

        file.state = ConfigurationFileState::NO_SETTINGS;
        const Tree* settings = firstChild(document, SETTINGS_ELEMENT);
        if (!settings) return file;
        file.settings = settingsOf(*settings);
        file.state = ConfigurationFileState::READ;
    } catch (...) {
        // Running out of memory leaves the state of the step it stopped in.
        file.settings = ConfigurationSettings{};
    }
    return file;
}

std::vector<std::string> readConfigurationFile(const std::string& path) noexcept {
    try {
        return childPaths(readConfigurationSettings(path).settings);
    } catch (...) {
        return {};
    }
}

}  // namespace mq
