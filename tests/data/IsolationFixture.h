// Children in surrogate processes (isolation="process") beside children loaded into the test process,
// configured through the real file, and the host's answers written down bit for bit.
#pragma once

#include "MultiplexerFixture.h"
#include "interface/OutValues.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace mq::test {

// How the configuration file places one child.
struct Placement {
    const SimChild* child;
    bool isolated;
    // The child's timeout="SECONDS", or none.
    std::optional<std::string> timeout = std::nullopt;
    // restart="true".
    bool restart = false;
};


class IsolationTest : public MultiplexerTest {
protected:
    // Names the children, in order, in the configuration file.
    // `settings`: more attributes of the settings element, as written (` status="true"`).
    void place(const std::vector<Placement>& placements, const std::string& settings = "") {
        std::string xml = "<?xml version=\"1.0\"?>\n<settings" + settings + ">\n";
        for (const Placement& placement : placements) {
            xml += "    <quellan path=\"" + placement.child->libraryPath() + "\"";
            if (placement.isolated) xml += " isolation=\"process\"";
            if (placement.timeout) xml += " timeout=\"" + *placement.timeout + "\"";
            if (placement.restart) xml += " restart=\"true\"";
            xml += " />\n";
        }
        configuration->writeBytes(xml + "</settings>\n");
    }
};

// A status and what the host said, as text that differs whenever a bit or a
// byte of the answer differs.
inline std::string statusText(QUELLAN2_STATUS status) {
    return "status=" + std::to_string(status);
}

inline std::string exactText(const std::string& text) {
    std::string quoted = "\"";
    for (unsigned char c : text) {
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
            static const char HEX[] = "0123456789ABCDEF";
            quoted += "\\x";
            quoted += HEX[c >> 4];
            quoted += HEX[c & 0xF];
        } else {
            quoted += static_cast<char>(c);
        }
    }
    return quoted + "\"";
}

inline std::string exactFloat(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    char text[16];
    std::snprintf(text, sizeof text, "f%08X", bits);
    return text;
}

// A string of the host (or of any table), which is freed: its text with the statuses of the copy.
inline std::string exactString(const ChildFunctionTable& plugin, QUELLAN2_STRING string) {
    if (!string) return "no-string";
    uint32_t length = 0;
    const QUELLAN2_STATUS sized = plugin.stringCopy(string, nullptr, &length);
    const uint32_t told = length;
    std::string text(length, '\0');
    const QUELLAN2_STATUS copied = length ? plugin.stringCopy(string, text.data(), &length) : sized;
    plugin.stringFree(string);
    return statusText(sized) + " " + std::to_string(told) + "/" + statusText(copied) + " " +
           exactText(text.substr(0, length));
}

// A vector of the host (or of any table), which is freed: its length and every element's type and
// value, each with the status the host gave.
inline std::string exactVector(const ChildFunctionTable& plugin, QUELLAN2_VECTOR vector) {
    if (!vector) return "no-vector";
    // Each call comes before the words that show its out values.
    uint32_t length = UNWRITTEN_NUMBER;
    QUELLAN2_STATUS status = plugin.vectorGetLength(vector, &length);
    std::string text = "length " + statusText(status) + " " + std::to_string(length);
    for (uint32_t k = 0; k < length && length != UNWRITTEN_NUMBER; ++k) {
        uint32_t type = UNWRITTEN_NUMBER;
        status = plugin.vectorGetType(vector, k, &type);
        text += " [" + statusText(status) + " type " + std::to_string(type);
        if (type == QUELLAN2_TYPE_FLOAT) {
            float value = 0.0f;
            status = plugin.vectorGetFloat(vector, k, &value);
            text += " " + statusText(status) + " " + exactFloat(value);
        } else if (type == QUELLAN2_TYPE_STRING) {
            QUELLAN2_STRING string = nullptr;
            const QUELLAN2_STATUS status = plugin.vectorGetString(vector, k, &string);
            text += " " + statusText(status) + " " + exactString(plugin, string);
        }
        text += "]";
    }
    plugin.vectorFree(vector);
    return text;
}

}  // namespace mq::test
