// The configuration file reader on any bytes: it never crashes, and on a
// document built by the file's rules it gives exactly the list those rules
// give. A written list reads back unchanged.
#include "config/ConfigurationFileReader.h"
#include "config/ConfigurationFileWriter.h"
#include "fuzz/FuzzInput.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using mq::fuzz::fail;
using mq::fuzz::FuzzInput;

namespace {

// The file every input is written to, removed at the end of the run.
class ScratchFile {
public:
    ScratchFile()
        : path((std::filesystem::temp_directory_path() /
                ("mq-fuzz-configuration-" + std::to_string(getpid()) + ".xml"))
                   .string()) {}
    ~ScratchFile() { std::remove(path.c_str()); }
    const std::string path;
};

const std::string& scratchFile() {
    static const ScratchFile file;
    return file.path;
}

void writeBytes(const std::string& bytes) {
    std::ofstream out(scratchFile(), std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A path without zero bytes, which no path can hold.
std::string pathText(FuzzInput& input) {
    std::string text;
    for (char c : input.bytes(24))
        if (c != '\0') text += c;
    return text;
}

std::string escaped(const std::string& value, char quote) {
    static const char* const HEX = "0123456789ABCDEF";
    std::string out;
    for (char c : value) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == quote) out += quote == '"' ? "&quot;" : "&apos;";
        else if (byte < 0x20) out += std::string("&#x") + HEX[byte >> 4] + HEX[byte & 15] + ";";
        else out += c;
    }
    return out;
}

std::string attribute(FuzzInput& input, const std::string& name, const std::string& value) {
    char quote = input.flag() ? '"' : '\'';
    std::string spacing = input.flag() ? " " : "\n\t";
    return spacing + name + "=" + quote + escaped(value, quote) + quote;
}

// Elements and text under "settings" that must not yield an entry.
std::string distraction(FuzzInput& input) {
    switch (input.below(6)) {
    case 0: return "<quellan" + attribute(input, "Path", pathText(input)) + "/>";
    case 1: return "<Quellan" + attribute(input, "path", pathText(input)) + "/>";
    case 2: return "<group><quellan" + attribute(input, "path", pathText(input)) + "/></group>";
    case 3: return "<!-- <quellan path=\"commented\"/> -->";
    case 4: return "some text";
    default: return "<quellan" + attribute(input, "name", pathText(input)) + "></quellan>";
    }
}

// A document built by the rules from the input, and the list they give.
std::string structuredDocument(FuzzInput& input, std::vector<std::string>& expected) {
    std::string text;
    if (input.flag()) text += "<?xml version=\"1.0\" ?>\n";
    if (input.flag()) text += "<!-- leading comment -->\n";
    if (input.flag()) text += "<other><settings><quellan path=\"not the first settings\"/></settings></other>\n";
    text += "<settings>";
    std::uint32_t items = input.below(12);
    for (std::uint32_t i = 0; i < items && !input.empty(); ++i) {
        if (input.below(3) == 0) {
            text += distraction(input);
            continue;
        }
        std::string path = pathText(input);
        text += "<quellan";
        if (input.flag()) text += attribute(input, "before", pathText(input));
        text += attribute(input, "path", path);
        if (input.flag()) text += attribute(input, "after", pathText(input));
        text += input.flag() ? " />" : "></quellan>";
        if (input.flag()) text += "\r\n    ";
        expected.push_back(path);
    }
    text += "</settings>\n";
    if (input.flag()) text += "<settings><quellan path=\"second root\"/></settings>\n";
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    switch (input.below(3)) {
    case 0: {
        std::string bytes = input.rest();
        writeBytes(bytes);
        mq::ConfigurationFile first = mq::readConfigurationSettings(scratchFile());
        mq::ConfigurationFile second = mq::readConfigurationSettings(scratchFile());
        if (second.state != first.state || !(second.settings == first.settings)) fail("two reads of one file differ");
        if (!first.settings.children.empty() && bytes.find("quellan") == std::string::npos)
            fail("entries from a file without any");
        // Whatever the reader takes, the writer writes back so that it reads the same.
        if (mq::writeConfigurationFile(scratchFile(), first.settings) &&
            !(mq::readConfigurationSettings(scratchFile()).settings == first.settings))
            fail("settings written back did not read the same");
        break;
    }
    case 1: {
        std::vector<std::string> expected;
        writeBytes(structuredDocument(input, expected));
        if (mq::readConfigurationFile(scratchFile()) != expected) fail("the list is not the one the rules give");
        break;
    }
    default: {
        std::vector<std::string> written;
        while (!input.empty() && written.size() < 16) written.push_back(pathText(input));
        if (!mq::writeConfigurationFile(scratchFile(), written)) fail("the writer refused a list");
        if (mq::readConfigurationFile(scratchFile()) != written) fail("a written list did not read back");
        break;
    }
    }
    return 0;
}
