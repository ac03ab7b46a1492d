// The string object behind a QUELLAN2_STRING handle.
#pragma once

#include "quellan2.h"

#include <cstring>
#include <memory>
#include <string>

namespace mq {

// Owns a byte string; no encoding is imposed and the length is kept apart
// from the text, so it never counts a terminator.
struct StringObject {
    std::string text;
};

inline QUELLAN2_STRING toHandle(StringObject* string) {
    return reinterpret_cast<QUELLAN2_STRING>(string);
}

inline StringObject* fromHandle(QUELLAN2_STRING handle) {
    return reinterpret_cast<StringObject*>(handle);
}

// A new string object for the host, which frees it with quellan2_stringFree.
inline QUELLAN2_STRING newStringHandle(std::string text) {
    return toHandle(std::make_unique<StringObject>(StringObject{std::move(text)}).release());
}

// quellan2_stringCopy's rule, for every string this library hands out (its
// own and an isolated child's alike). The length is reported whatever the
// result, so a caller can size its buffer; a text that fits a null buffer is
// a mistake of the caller's.
inline QUELLAN2_STATUS copyText(const std::string& text, char* buffer, uint32_t* length) {
    const uint32_t bufferSize = *length;
    *length = static_cast<uint32_t>(text.size());
    if (text.size() > bufferSize) return QUELLAN2_STATUS_INSUFFICIENT_BUFFER;
    if (text.empty()) return QUELLAN2_STATUS_OK;
    if (!buffer) return QUELLAN2_STATUS_INVALID_PARAMETER;
    std::memcpy(buffer, text.data(), text.size());
    return QUELLAN2_STATUS_OK;
}

}  // namespace mq
