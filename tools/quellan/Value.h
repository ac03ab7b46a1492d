// Values as they travel in value vectors, and as the user writes them.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace quellan {

// Null, a text or a 32-bit float: what a vector element holds.
using Value = std::variant<std::monostate, std::string, float>;

// A vector element as the plug-in reported it: its type code, which may lie
// outside the three known ones, and its value (null for unknown types).
struct Element {
    std::uint32_t type = 0;
    Value value;
};

// "null", "string", "float", or "type N" for any other code.
std::string typeName(std::uint32_t type);

// A value to write: a decimal number is a float, `null` is null, a text in
// double quotes is that text without them, anything else is the text itself.
// Raises a usage error for a number beyond the float range.
Value parseValue(const std::string& text);

// The shortest decimal text that reads back as the same float.
std::string formatFloat(float value);

}  // namespace quellan
