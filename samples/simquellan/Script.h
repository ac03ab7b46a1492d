// A script of misbehaviour: bytes, as a fuzzer makes them, that decide call
// by call what the module does instead of answering properly.
#pragma once

#include "samples/simquellan/Behaviour.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace simquellan {

class Script {
public:
    // Takes the bytes from their hexadecimal text; false for text that is not.
    bool set(const std::string& hex);
    void clear() { bytes.clear(); next = 0; }

    // Reads the next call's misbehaviour from the script into `result`. A call
    // after the script's end behaves. The free functions are spared: whatever
    // they leave undone, only the module itself can leak.
    void intercept(const std::string& function, Intercept& result);

private:
    std::uint8_t take();

    std::vector<std::uint8_t> bytes;
    std::size_t next = 0;
};

}  // namespace simquellan
