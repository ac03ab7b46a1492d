// The value vector's elements: their types, their values and the handle conversions.
#include "interface/ValueVector.h"

#include <utility>

namespace mq {

std::uint32_t ValueVector::type(std::uint32_t index) const {
    // A failed any_cast compares type names as text, so the likeliest holder
    // is asked for first and an empty one not at all.
    const std::any& element = elements[index];
    if (!element.has_value()) return QUELLAN2_TYPE_NULL;
    if (std::any_cast<float>(&element)) return QUELLAN2_TYPE_FLOAT;
    if (std::any_cast<std::string>(&element)) return QUELLAN2_TYPE_STRING;
    return QUELLAN2_TYPE_NULL;
}

const std::string* ValueVector::stringAt(std::uint32_t index) const {
    return std::any_cast<std::string>(&elements[index]);
}

const float* ValueVector::floatAt(std::uint32_t index) const {
    return std::any_cast<float>(&elements[index]);
}

void ValueVector::setNull(std::uint32_t index) {
    std::any().swap(elements[index]);
}

void ValueVector::setString(std::uint32_t index, std::string text) {
    std::any holder(std::move(text));
    holder.swap(elements[index]);
}

void ValueVector::setFloat(std::uint32_t index, float value) {
    // Made in place: a float's holder cannot fail to be made.
    elements[index].emplace<float>(value);
}

}  // namespace mq
