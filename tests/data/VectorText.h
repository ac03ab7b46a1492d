// Host vectors and tag handles as the parallel and timeout tests compare them: vectors as text.
#pragma once

#include "MultiplexerFixture.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace mq::test {

inline std::string textOf(const SimValue& value) {
    if (const float* number = std::get_if<float>(&value)) return std::to_string(*number);
    if (const std::string* text = std::get_if<std::string>(&value)) return '"' + *text + '"';
    return "null";
}

// A host vector as text; the vector is freed.
inline std::string take(const LoadedPlugin& plugin, QUELLAN2_VECTOR vector) {
    uint32_t length = 0;
    EXPECT_EQ(QUELLAN2_STATUS_OK, plugin->vectorGetLength(vector, &length));
    std::string text = "[";
    for (uint32_t k = 0; k < length; ++k) text += (k ? "," : "") + textOf(valueAt(plugin, vector, k));
    plugin->vectorFree(vector);
    return text + "]";
}

// A host vector of the library's holding `values`.
inline QUELLAN2_VECTOR hostVector(const LoadedPlugin& plugin, const std::vector<float>& values) {
    QUELLAN2_VECTOR vector = nullptr;
    EXPECT_EQ(QUELLAN2_STATUS_OK, plugin->vectorCreate(static_cast<uint32_t>(values.size()), &vector));
    for (uint32_t k = 0; k < values.size(); ++k) plugin->vectorSetFloat(vector, k, values[k]);
    return vector;
}

inline QUELLAN2_TAG tagAt(uintptr_t position) {
    return reinterpret_cast<QUELLAN2_TAG>(position);
}

}  // namespace mq::test
