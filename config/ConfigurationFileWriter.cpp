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

std::string configurationText(const std::vector<std::string>& childPaths) {
    const std::string lineEnd = platform::LINE_END;
    std::string text = "<?xml version=\"1.0\" ?>" + lineEnd;
    if (childPaths.empty()) return text + "<settings />" + lineEnd;
    text += "<settings>" + lineEnd;
    for (const std::string& childPath : childPaths) {
        text += "    <quellan path=\"";
        appendAttributeValue(text, childPath);
        text += "\" />" + lineEnd;
    }
    return text + "</settings>" + lineEnd;
}

}  // namespace

bool writeConfigurationFile(const std::string& path, const std::vector<std::string>& childPaths) noexcept {
    try {
        // No path can hold a zero byte, and the reader would cut the text there.
        for (const std::string& childPath : childPaths) {
            if (childPath.find('\0') != std::string::npos) return false;
        }
        return platform::replaceFileContents(path, configurationText(childPaths));
    } catch (...) {
        return false;
    }
}

}  // namespace mq
