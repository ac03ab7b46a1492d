// The smallest file that a PE header reader takes for an image of a given machine type.
#pragma once

#include <cstdint>
#include <string>

namespace mq::test {

// A DOS header pointing at offset 64, the "PE\0\0" signature there, the
// machine type and the rest of a zeroed file header: enough for the header
// reader, and nothing that any loader would run.
inline std::string peHeaderBytes(std::uint16_t machine) {
    std::string bytes(64 + 24, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    bytes[0x3C] = 64;
    bytes[64] = 'P';
    bytes[65] = 'E';
    bytes[68] = static_cast<char>(machine & 0xFF);
    bytes[69] = static_cast<char>(machine >> 8);
    return bytes;
}

}  // namespace mq::test
