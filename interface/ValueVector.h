// The value vector behind a QUELLAN2_VECTOR handle.
#pragma once

#include "quellan2.h"

#include <any>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mq {

// A fixed-length sequence of elements, each empty, a byte string or a 32-bit
// float. The type of an element is read from what its holder holds.
class ValueVector {
public:
    explicit ValueVector(std::uint32_t length) : elements(length) {}

    std::uint32_t length() const { return static_cast<std::uint32_t>(elements.size()); }
    bool contains(std::uint32_t index) const { return index < elements.size(); }

    // QUELLAN2_TYPE_STRING, QUELLAN2_TYPE_FLOAT or QUELLAN2_TYPE_NULL.
    std::uint32_t type(std::uint32_t index) const;
    const std::string* stringAt(std::uint32_t index) const;
    const float* floatAt(std::uint32_t index) const;

    // No setter leaves an element half-written: a string's holder is built
    // before it replaces the old one, and a float's cannot fail.
    void setNull(std::uint32_t index);
    void setString(std::uint32_t index, std::string text);
    void setFloat(std::uint32_t index, float value);

private:
    std::vector<std::any> elements;
};

inline QUELLAN2_VECTOR toHandle(ValueVector* vector) {
    return reinterpret_cast<QUELLAN2_VECTOR>(vector);
}

inline ValueVector* fromHandle(QUELLAN2_VECTOR handle) {
    return reinterpret_cast<ValueVector*>(handle);
}

// Owns a vector until it is handed to the host.
using ValueVectorPtr = std::unique_ptr<ValueVector>;

}  // namespace mq
