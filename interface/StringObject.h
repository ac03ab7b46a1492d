// The string object behind a QUELLAN2_STRING handle.
#pragma once

#include "quellan2.h"

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

}  // namespace mq
