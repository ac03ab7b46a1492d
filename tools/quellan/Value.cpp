// Reading values out of value vectors, and parsing values the user writes.
#include "Value.h"

#include "ToolError.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quellan {

namespace {

// Digits with an optional sign, point and exponent; strtof alone would also
// take "inf", "nan" and hexadecimal, which are meant as texts here.
bool isDecimalNumber(const std::string& text) {
    std::size_t i = 0;
    auto digits = [&]() {
        std::size_t start = i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
        return i - start;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t mantissa = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    return i == text.size();
}

}  // namespace

std::string typeName(std::uint32_t type) {
    switch (type) {
    case 0: return "null";
    case 1: return "string";
    case 2: return "float";
    }
    return "type " + std::to_string(type);
}

Value parseValue(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
    if (text == "null") return std::monostate();
    if (!isDecimalNumber(text)) return text;
    float value = std::strtof(text.c_str(), nullptr);
    if (std::isinf(value)) throw usageError("the value " + text + " is beyond the range of a 32-bit float");
    return value;
}

std::string formatFloat(float value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    // The shortest text that reads back as the same float, without the
    // printf-and-check loop: a long history prints millions of them.
    char text[32];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
    return std::string(text, end.ptr);
}

}  // namespace quellan
