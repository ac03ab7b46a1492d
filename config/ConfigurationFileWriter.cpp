// Rendering the child list as the configuration file and saving it in one step.
#include "config/ConfigurationFileWriter.h"

#include "platform/FileSystem.h"

namespace mq {

namespace {

const char* const HEX_DIGITS = "0123456789ABCDEF";

// Escapes what XML reserves in a double-quoted attribute. Control characters
// go as character references, since a reader would otherwise fold line ends
// and tabs in attribute values into spaces. Other bytes pass unchanged: paths
// are in the system's code page.
void appendAttributeValue(std::string& out, const std::string& value) {
    for (char c : value) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                out += "&#x";
                if (static_cast<unsigned char>(c) >= 0x10) out += HEX_DIGITS[static_cast<unsigned char>(c) >> 4];
                out += HEX_DIGITS[c & 0x0F];
                out += ';';
            } else {
                out += c;
            }
        }
    }
}

bool isNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// Names came from a parsed file or from the library's own constants; this
// refuses what would make the file unreadable, not every name XML forbids.
bool isWritableName(const std::string& name) {
    if (name.empty() || !isNameStart(name[0])) return false;
    for (char c : name) {
        if (!isNameStart(c) && !(c >= '0' && c <= '9') && c != '-' && c != '.') return false;
    }
    return true;
}

bool isWritableValue(const std::string& value) {
    // The reader would cut the text at a zero byte.
    return value.find('\0') == std::string::npos;
}

bool isWritable(const Attributes& attributes) {
    for (const Attribute& attribute : attributes) {
        if (!isWritableName(attribute.name) || !isWritableValue(attribute.value)) return false;
    }
    return true;
}

void appendAttribute(std::string& out, const std::string& name, const std::string& value) {
    out += ' ';
    out += name;
    out += "=\"";
    appendAttributeValue(out, value);
    out += '"';
}

void appendAttributes(std::string& out, const Attributes& attributes) {
    for (const Attribute& attribute : attributes) appendAttribute(out, attribute.name, attribute.value);
}

std::string configurationText(const ConfigurationSettings& settings) {
    const std::string lineEnd = platform::LINE_END;
    std::string text = "<?xml version=\"1.0\" ?>" + lineEnd + "<" + SETTINGS_ELEMENT;
    appendAttributes(text, settings.attributes);
    if (settings.children.empty()) return text + " />" + lineEnd;
    text += ">" + lineEnd;
    for (const ChildEntry& child : settings.children) {
        text += std::string("    <") + CHILD_ELEMENT;
        appendAttribute(text, PATH_ATTRIBUTE, child.path);
        appendAttributes(text, child.attributes);
        text += " />" + lineEnd;
    }
    return text + "</" + SETTINGS_ELEMENT + ">" + lineEnd;
}

}  // namespace

bool writeConfigurationFile(const std::string& path, const ConfigurationSettings& settings,
                            std::string* why) noexcept {
    try {
        const auto refuse = [why](const char* reason) {
            if (why) *why = reason;
            return false;
        };
        if (!isWritable(settings.attributes)) return refuse("a setting's name or value cannot be written as XML");
        for (const ChildEntry& child : settings.children) {
            if (!isWritableValue(child.path) || !isWritable(child.attributes) ||
                findAttribute(child.attributes, PATH_ATTRIBUTE))
                return refuse("a child's path or attribute cannot be written as XML");
        }
        return platform::replaceFileContents(path, configurationText(settings), why);
    } catch (...) {
        return false;
    }
}

std::string configurationBackupPath(const std::string& path) {
    return path + ".bak";
}

bool writeConfigurationFileKeepingBackup(const std::string& path, const ConfigurationSettings& settings,
                                         std::string* why) noexcept {
    try {
        return platform::keepBackup(path, configurationBackupPath(path), why) &&
               writeConfigurationFile(path, settings, why);
    } catch (...) {
        return false;
    }
}

bool writeConfigurationFile(const std::string& path, const std::vector<std::string>& childPaths) noexcept {
    try {
        return writeConfigurationFile(path, settingsWithChildren(childPaths));
    } catch (...) {
        return false;
    }
}

}  // namespace mq
