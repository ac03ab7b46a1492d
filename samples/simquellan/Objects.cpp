// Creating, reading and freeing the string and vector objects behind handles.
#include "samples/simquellan/Objects.h"

#include <cstdio>

namespace simquellan {

std::uint32_t typeCode(const Element& element) {
    // Any code outside 0..2 would do; 7 is easy to spot in a journal.
    if (element.reportedType) return *element.reportedType;
    if (element.unknownType) return 7;
    if (std::holds_alternative<std::string>(element.value)) return QUELLAN2_TYPE_STRING;
    if (std::holds_alternative<float>(element.value)) return QUELLAN2_TYPE_FLOAT;
    return QUELLAN2_TYPE_NULL;
}

std::string quoted(const std::string& text) {
    // Tabs and line ends are escaped so that a journal line stays one line of fields.
    std::string result = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            result += '\\';
            result += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            result += escape;
        } else {
            result += static_cast<char>(c);
        }
    }
    return result + "\"";
}

std::string describe(const Value& value) {
    if (const auto* text = std::get_if<std::string>(&value)) return quoted(*text);
    if (const auto* number = std::get_if<float>(&value)) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(*number));
        return buffer;
    }
    return "null";
}

std::string describe(const SimVector* vector) {
    if (!vector) return "null";
    std::string result = "[";
    for (std::size_t i = 0; i < vector->elements.size(); ++i) {
        if (i) result += ",";
        result += describe(vector->elements[i].value);
    }
    return result + "]";
}

}  // namespace simquellan
