// The string and vector objects behind the plug-in's handles.
#pragma once

#include "quellan2.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace simquellan {

struct SimString {
    std::string text;
};

// One element: empty, a text or a float.
using Value = std::variant<std::monostate, std::string, float>;

struct Element {
    Value value;
    // Test quirks: an unknown type code, or a type whose getter then fails.
    bool unknownType = false;
    bool getterFails = false;
    // A script's answer to the type query, whatever the element holds.
    std::optional<std::uint32_t> reportedType;
};

struct SimVector {
    std::vector<Element> elements;
};

inline QUELLAN2_STRING handleOf(std::unique_ptr<SimString> string) {
    return reinterpret_cast<QUELLAN2_STRING>(string.release());
}
inline QUELLAN2_VECTOR handleOf(std::unique_ptr<SimVector> vector) {
    return reinterpret_cast<QUELLAN2_VECTOR>(vector.release());
}
inline SimString* objectOf(QUELLAN2_STRING handle) {
    return reinterpret_cast<SimString*>(handle);
}
inline SimVector* objectOf(QUELLAN2_VECTOR handle) {
    return reinterpret_cast<SimVector*>(handle);
}
// Takes back ownership of an object whose handle a caller returns.
inline std::unique_ptr<SimString> adopt(QUELLAN2_STRING handle) {
    return std::unique_ptr<SimString>(objectOf(handle));
}
inline std::unique_ptr<SimVector> adopt(QUELLAN2_VECTOR handle) {
    return std::unique_ptr<SimVector>(objectOf(handle));
}

// The type code an element reports.
std::uint32_t typeCode(const Element& element);

// "[1.5,\"abc\",null]"
std::string describe(const SimVector* vector);
std::string describe(const Value& value);
std::string quoted(const std::string& text);

}  // namespace simquellan
